#include "launch/HelpText.h"

#include <algorithm>

namespace launch {

namespace {

std::string portOptions(const Program& p)
{
    if (p.ports.empty())
        return {};
    return "      --port N=DEVICE  use DEVICE as port N (COMN) for this run; repeat it for\n"
           "                       more ports; DEVICE may be rfc2217://HOST:PORT,\n"
           "                       rfc2217s://HOST:PORT or tcp://HOST:PORT\n"
           "      --list-ports     list the serial devices present and the device each port\n"
           "                       number of " + p.name + " maps to, then exit\n";
}

std::string ownOptions(const Program& p)
{
    std::string text;
    for (const Option& o : p.options) {
        // The help starts in column 24, or under it on a line of its own after a long option;
        // two spaces at least between, or the manual page reads the help as part of the option.
        const std::string head = "      --" + o.name + " " + o.valueName;
        text += head.size() + 2 <= 23 ? head + std::string(23 - head.size(), ' ') + o.help + "\n"
                                 : head + "\n" + std::string(23, ' ') + o.help + "\n";
    }
    return text;
}

std::string captureOptions(const Program& p)
{
    if (p.ports.empty())
        return {};
    return "      --no-capture     record nothing this run\n"
           "      --capture-dir DIR\n"
           "                       record the sessions in DIR\n"
           "      --capture-limit SIZE\n"
           "                       let the recorded sessions take at most SIZE (bytes, or\n"
           "                       with K, M or G; default 500M): the oldest go first\n";
}

std::string captureSection(const Program& p)
{
    if (p.ports.empty())
        return {};
    return "\nCapture:\n"
           "  Every session while a port is open is recorded: what was received and sent,\n"
           "  the line's events, settings, open, close, loss and reconnection, each with\n"
           "  its time. The files are in script(1)'s advanced timing format, one pair a\n"
           "  session: NAME.timing and NAME.data, NAME being program, port and UTC start,\n"
           "  in $XDG_STATE_HOME/hoistwise/captures (~/.local/state when unset).\n"
           "  scriptreplay -T NAME.timing -B NAME.data shows what was received; add\n"
           "  -x in for what was sent. cartrace draws a session as a timeline. A disk that\n"
           "  cannot take them stops the recording with a message; nothing else changes.\n";
}

std::string portSections(const Program& p)
{
    if (p.ports.empty())
        return p.operand.empty() && p.options.empty() ? "\n" + p.name + " opens no serial port and no file.\n"
                                                      : std::string{};
    return "\nPort mapping:\n"
           "  " + p.name + " " + p.portUse + ".\n"
           // Prose, not a column list: a line starting with an option reads as one more option
           // to help2man, which makes the manual pages from this text.
           "  Port N is the device that the first of these names: the command line\n"
           "  (--port N=DEVICE), the environment (HOISTWISE_COM<N>=DEVICE), a line\n"
           "  COM<N>=DEVICE in the ports file, otherwise /dev/ttyS<N-1>.\n"
           "  A USB serial adapter keeps its /dev/serial/by-id/ name whatever order the\n"
           "  adapters were plugged in: " + p.name + " --list-ports shows those names. A port\n"
           "  that cannot open is named with its device and where that mapping came from.\n"
           "  DEVICE may also be a port on a serial server (ser2net) on the network:\n"
           "    rfc2217://HOST:PORT       telnet with RFC 2217 line control (settings, modem\n"
           "                              and line state); in clear\n"
           "    rfc2217s://HOST:PORT      the same over TLS, the server checked against the\n"
           "                              system's CA store, or ?ca=FILE; &cert=FILE&key=FILE\n"
           "                              for a server that asks for a client certificate\n"
           "    tcp://HOST:PORT           a bare byte stream, no line control; in clear\n"
           "  HOST is a name, an IPv4 address or an IPv6 address in brackets. A lost\n"
           "  connection is tried again every 1 s, growing to 30 s, until it answers.\n";
}

std::string environment(const Program& p)
{
    std::string text = "\nEnvironment:\n";
    if (!p.ports.empty())
        text += "  HOISTWISE_COM<N>   the device of port N, for example HOISTWISE_COM1=/dev/ttyUSB0\n"
                "  XDG_CONFIG_HOME    the folder of the ports file (~/.config when unset)\n";
    if (!p.ports.empty())
        text += "  HOISTWISE_NO_CAPTURE\n"
                "                     set (to anything but 0): record nothing, as --no-capture\n"
                "  HOISTWISE_CAPTURE_DIR, HOISTWISE_CAPTURE_LIMIT\n"
                "                     as --capture-dir and --capture-limit\n"
                "  XDG_STATE_HOME     the recorded sessions go to its hoistwise/captures\n"
                "                     (~/.local/state when unset)\n";
    text += p.moreEnvironment;
    text += "  DISPLAY, WAYLAND_DISPLAY\n"
            "                     the graphical display the windows open on; without one\n"
            "                     " + p.name + " says so and exits with status 2\n"
            "  QT_QPA_PLATFORM    Qt's platform plugin; offscreen runs with no display\n";
    return text;
}

std::string files(const Program& p)
{
    if (p.ports.empty())
        return {};
    return "\nFiles:\n"
           "  $XDG_CONFIG_HOME/hoistwise/ports.conf\n"
           "         the technician's port mapping, one port a line, for example\n"
           "         COM1=/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0\n"
           "         Lines starting with # or ; are comments, and a [ports] line may head\n"
           "         the file. A line that is not a mapping is reported with its number at\n"
           "         start-up and in --list-ports, and ignored.\n";
}

std::string examples(const Program& p)
{
    if (p.ports.empty())
        return {};
    const std::string n = std::to_string(p.ports.front());
    return "\nExamples:\n"
           "  " + p.name + " --port " + n + "=/dev/ttyUSB0\n"
           "         use the USB serial adapter as COM" + n + " for this run\n"
           "  echo COM" + n + "=/dev/ttyUSB0 >> ~/.config/hoistwise/ports.conf\n"
           "         the same for every run (create the folder first)\n"
           "  " + p.name + " --port " + n + "=rfc2217s://mr3.example:3001?ca=/etc/hoistwise/site-ca.pem\n"
           "         the controller's port on the machine room's serial server, over TLS\n"
           "  " + p.name + " --list-ports\n"
           "         the devices present and where each port number leads\n";
}

} // namespace

std::string helpText(const Program& p)
{
    return "Usage: " + p.name + " [OPTION]..." + (p.operand.empty() ? "" : " " + p.operand) + "\n" + p.summary + "\n"
           "\nOptions:\n"
           "  -h, --help           show this help and exit\n"
           "      --version        show the version and exit\n" +
           portOptions(p) + captureOptions(p) + ownOptions(p) + (p.description.empty() ? "" : "\n" + p.description) +
           portSections(p) + captureSection(p) +
           "\nExit status:\n" +
           (p.exitStatus.empty() ? "  0 when the program ends normally, 2 for a bad command line or when no\n"
                                   "  display is there.\n"
                                 : p.exitStatus) +
           environment(p) + files(p) + examples(p);
}

std::string versionText(const Program& p)
{
    return p.name + " (Hoistwise kit) " HOISTWISE_VERSION "\n";
}

} // namespace launch
