#include "sim/modemsim/ModemOptions.h"

#include "sim/common/OptionTable.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

namespace modemsim {

namespace {

constexpr double kMinRingSeconds = 0.1;
constexpr double kMaxRingSeconds = 3600;

} // namespace

const std::vector<unsigned>& acceptedSpeeds()
{
    static const std::vector<unsigned> speeds{300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    return speeds;
}

bool parseModemOptions(const std::vector<std::string>& args, ModemOptions& options, std::string& error)
{
    const auto flag = [](bool& into) {
        return [&into](const std::string&) {
            into = true;
            return std::string();
        };
    };
    const auto path = [](const char* name, std::string& into) {
        return [name, &into](const std::string& v) {
            into = v;
            return v.empty() ? std::string(name) + " needs a non-empty path" : std::string();
        };
    };
    const std::vector<sim::Option> table{
        {"--help", "-h", "", flag(options.help)},
        {"--verbose", "-v", "", flag(options.verbose)},
        {"--link", nullptr, "a path for the link, e.g. /tmp/hoistwise-com3", path("--link", options.linkPath)},
        {"--device", nullptr, "the path of a terminal device, e.g. /dev/ttyS2", path("--device", options.devicePath)},
        {"--listen", nullptr, "a TCP port number from 0 to 65535", [&](const std::string& v) {
             const auto port = sim::wholeNumber(v);
             if (!port || *port > 65535)
                 return "--listen needs a TCP port number from 0 to 65535 (0: any free port); got '" + v + "'";
             options.listenPort = static_cast<std::uint16_t>(*port);
             return std::string();
         }},
        {"--ring-interval", nullptr, "a number of seconds", [&](const std::string& v) {
             const auto seconds = sim::decimalNumber(v);
             if (!seconds || *seconds < kMinRingSeconds || *seconds > kMaxRingSeconds)
                 return "--ring-interval needs seconds from 0.1 to 3600 (e.g. 2 or 0.5); got '" + v + "'";
             options.ringInterval = std::chrono::milliseconds(std::lround(*seconds * 1000));
             return std::string();
         }},
        {"--speed", nullptr, "a line speed", [&](const std::string& v) {
             const auto speed = sim::wholeNumber(v);
             const auto& speeds = acceptedSpeeds();
             if (!speed || std::find(speeds.begin(), speeds.end(), *speed) == speeds.end())
                 return "--speed needs one of " + sim::listed(acceptedSpeeds()) + "; got '" + v + "'";
             options.speed = static_cast<unsigned>(*speed);
             return std::string();
         }},
    };
    const sim::OptionWords words{
        [](const std::string& name, const std::string& value) {
            return name + " takes no value; got '" + value + "'";
        },
        [](const std::string& argument, const std::string&) {
            return "unknown argument '" + argument
                + "'; accepted: --link PATH, --device PATH, --listen PORT, --ring-interval SECONDS, "
                  "--speed BPS, --verbose, --help";
        }};
    error = sim::readOptions(args, table, words);
    if (!error.empty())
        return false;
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
           "                          one of " + sim::listed(acceptedSpeeds()) + ")\n"
           "  --verbose               log everything that passes, and call and DSR changes, on stderr\n"
           "  --help                  show this text\n"
           "  --version               show the version and exit\n";
}

} // namespace modemsim
