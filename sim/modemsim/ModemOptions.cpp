#include "sim/modemsim/ModemOptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace modemsim {

namespace {

constexpr double kMinRingSeconds = 0.1;
constexpr double kMaxRingSeconds = 3600;

std::string speedList()
{
    std::string text;
    for (unsigned speed : acceptedSpeeds())
        text += (text.empty() ? "" : ", ") + std::to_string(speed);
    return text;
}

std::optional<unsigned long> wholeNumber(const std::string& text)
{
    unsigned long value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::optional<double> decimalNumber(const std::string& text)
{
    double value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

const std::vector<unsigned>& acceptedSpeeds()
{
    static const std::vector<unsigned> speeds{300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    return speeds;
}

bool parseModemOptions(const std::vector<std::string>& args, ModemOptions& options, std::string& error)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }

        auto flag = [&]() {
            if (inlineValue) {
                error = name + " takes no value; got '" + *inlineValue + "'";
                return false;
            }
            return true;
        };
        auto value = [&](const char* what) -> std::optional<std::string> {
            if (inlineValue)
                return inlineValue;
            if (i + 1 >= args.size()) {
                error = name + " needs " + what;
                return std::nullopt;
            }
            return args[++i];
        };

        if (name == "--help" || name == "-h") {
            if (!flag())
                return false;
            options.help = true;
        } else if (name == "--verbose" || name == "-v") {
            if (!flag())
                return false;
            options.verbose = true;
        } else if (name == "--link") {
            auto path = value("a path for the link, e.g. /tmp/hoistwise-com3");
            if (!path)
                return false;
            if (path->empty()) {
                error = "--link needs a non-empty path";
                return false;
            }
            options.linkPath = *path;
        } else if (name == "--device") {
            auto path = value("the path of a terminal device, e.g. /dev/ttyS2");
            if (!path)
                return false;
            if (path->empty()) {
                error = "--device needs a non-empty path";
                return false;
            }
            options.devicePath = *path;
        } else if (name == "--listen") {
            auto text = value("a TCP port number from 0 to 65535");
            if (!text)
                return false;
            auto port = wholeNumber(*text);
            if (!port || *port > 65535) {
                error = "--listen needs a TCP port number from 0 to 65535 (0: any free port); got '" + *text + "'";
                return false;
            }
            options.listenPort = static_cast<std::uint16_t>(*port);
        } else if (name == "--ring-interval") {
            auto text = value("a number of seconds");
            if (!text)
                return false;
            auto seconds = decimalNumber(*text);
            if (!seconds || *seconds < kMinRingSeconds || *seconds > kMaxRingSeconds) {
                error = "--ring-interval needs seconds from 0.1 to 3600 (e.g. 2 or 0.5); got '" + *text + "'";
                return false;
            }
            options.ringInterval = std::chrono::milliseconds(std::lround(*seconds * 1000));
        } else if (name == "--speed") {
            auto text = value("a line speed");
            if (!text)
                return false;
            auto speed = wholeNumber(*text);
            const auto& speeds = acceptedSpeeds();
            if (!speed || std::find(speeds.begin(), speeds.end(), *speed) == speeds.end()) {
                error = "--speed needs one of " + speedList() + "; got '" + *text + "'";
                return false;
            }
            options.speed = static_cast<unsigned>(*speed);
        } else {
            error = "unknown argument '" + args[i]
                + "'; accepted: --link PATH, --device PATH, --listen PORT, --ring-interval SECONDS, "
                  "--speed BPS, --verbose, --help";
            return false;
        }
    }
    if (!options.linkPath.empty() && !options.devicePath.empty()) {
        error = "--link names a link to the modem's own pseudo-terminal and cannot be used with --device";
        return false;
    }
    return true;
}

std::string modemUsage()
{
    return "Usage: modemsim [options]\n"
           "A Hayes-style modem: AT commands on a pseudo-terminal (its path is the first line\n"
           "printed), incoming calls from a TCP caller on 127.0.0.1.\n"
           "\n"
           "Options:\n"
           "  --link PATH             also make PATH a symbolic link to the pseudo-terminal\n"
           "  --device PATH           use this terminal device instead of a pseudo-terminal\n"
           "  --listen PORT           TCP port for callers on 127.0.0.1 (default 5555, 0: any free)\n"
           "  --ring-interval SECONDS time between RINGs (default 2, from 0.1 to 3600)\n"
           "  --speed BPS             speed in CONNECT, and the line rate of --device (default 9600;\n"
           "                          one of " + speedList() + ")\n"
           "  --verbose               log everything that passes, and call and DSR changes, on stderr\n"
           "  --help                  show this text\n"
           "  --version               show the version and exit\n";
}

} // namespace modemsim
