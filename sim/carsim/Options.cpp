#include "sim/carsim/Options.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace carsim {

namespace {
constexpr long kMinBaud = 50;
constexpr long kMaxBaud = 4000000;
constexpr double kMaxHangupSeconds = 86400.0;

constexpr std::array<long, 30> kStandardBauds{50, 75, 110, 134, 150, 200, 300, 600, 1200, 1800, 2400,
    4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 500000, 576000, 921600, 1000000, 1152000,
    1500000, 2000000, 2500000, 3000000, 3500000, 4000000};

const char* const kAccepted =
    "accepted: --link PATH, --device PATH, --scenario NAME, --baud N, --after SECONDS, --seed N, --help";

std::optional<long> parseWhole(const std::string& text, long lo, long hi)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < lo || v > hi)
        return std::nullopt;
    return static_cast<long>(v);
}

std::optional<std::uint64_t> parseSeed(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0')
        return std::nullopt;
    return static_cast<std::uint64_t>(v);
}

std::optional<double> parseSeconds(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos)
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(v) || v <= 0.0 || v > kMaxHangupSeconds)
        return std::nullopt;
    return v;
}

std::string standardBaudList()
{
    std::string list;
    for (long b : kStandardBauds) {
        if (!list.empty())
            list += ", ";
        list += std::to_string(b);
    }
    return list;
}
}  // namespace

bool isStandardBaud(long baud)
{
    for (long b : kStandardBauds)
        if (b == baud)
            return true;
    return false;
}

ParsedOptions parseOptions(const std::vector<std::string>& args)
{
    ParsedOptions result;
    Options& o = result.options;
    bool afterGiven = false;
    bool baudGiven = false;

    auto fail = [&result](std::string message) {
        result.error = std::move(message);
        return result;
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (name.starts_with("--")) {
            const auto eq = name.find('=');
            if (eq != std::string::npos) {
                value = name.substr(eq + 1);
                name.resize(eq);
            }
        }
        if (name == "--help" || name == "-h") {
            if (value)
                return fail("--help takes no value");
            o.help = true;
            continue;
        }

        const bool takesValue = name == "--link" || name == "--device" || name == "--scenario"
            || name == "--baud" || name == "--after" || name == "--seed";
        if (!takesValue) {
            if (name.starts_with("-"))
                return fail("unknown option '" + name + "'; " + kAccepted);
            return fail("unexpected argument '" + name + "'; " + kAccepted);
        }
        if (!value) {
            if (i + 1 >= args.size())
                return fail(name + " needs a value; " + kAccepted);
            value = args[++i];
        }

        if (name == "--link" || name == "--device") {
            if (value->empty())
                return fail(name + " needs a path, got an empty one");
            (name == "--link" ? o.linkPath : o.devicePath) = *value;
        } else if (name == "--scenario") {
            const auto scenario = scenarioFromName(*value);
            if (!scenario)
                return fail("unknown scenario '" + *value + "'; accepted: " + scenarioNameList());
            o.scenario = *scenario;
        } else if (name == "--baud") {
            const auto baud = parseWhole(*value, kMinBaud, kMaxBaud);
            if (!baud)
                return fail("--baud '" + *value + "' is not a line rate; give a whole number of bits per second from "
                    + std::to_string(kMinBaud) + " to " + std::to_string(kMaxBaud) + ", e.g. 1200");
            o.baud = *baud;
            baudGiven = true;
        } else if (name == "--after") {
            const auto seconds = parseSeconds(*value);
            if (!seconds)
                return fail("--after '" + *value + "' is not a time; give seconds greater than 0 and at most 86400, e.g. 2.5");
            o.hangupAfterSeconds = *seconds;
            afterGiven = true;
        } else {  // --seed
            const auto seed = parseSeed(*value);
            if (!seed)
                return fail("--seed '" + *value + "' is not a seed; give a whole number from 0 to 18446744073709551615");
            o.seed = *seed;
        }
    }

    if (o.help)
        return result;
    if (!o.linkPath.empty() && !o.devicePath.empty())
        return fail("--link and --device cannot be used together: --link names the pseudo-terminal carsim creates, "
                    "--device runs on an existing one");
    if (afterGiven && o.scenario != Scenario::Hangup)
        return fail("--after is used only with --scenario hangup");
    if (baudGiven && !o.devicePath.empty() && !isStandardBaud(o.baud))
        return fail("--baud " + std::to_string(o.baud) + " cannot be set on a device; standard rates: "
            + standardBaudList());
    return result;
}

std::string usageText()
{
    return "Usage: carsim [options]\n"
           "Simulates an elevator car controller on a serial line.\n"
           "\n"
           "Options:\n"
           "  --link PATH       also make PATH a symbolic link to the pseudo-terminal created\n"
           "  --device PATH     run on an existing serial device instead of creating a pseudo-terminal\n"
           "  --scenario NAME   line conditions: " + scenarioNameList() + " (default normal)\n"
           "  --baud N          line rate in bits per second (default 1200): paces every byte with\n"
           "                    --scenario slow, sets the speed of a --device\n"
           "  --after SECONDS   with --scenario hangup: close the line this long after start (default 10)\n"
           "  --seed N          seed for every random choice, to repeat a run exactly\n"
           "  --help            show this text\n"
           "  --version         show the version and exit\n"
           "\n"
           "The first line on standard output is the path of the line carsim talks on.\n"
           "Commands (each ended by CR): pmii, vel, bbt, flt0, stu, std, scc1-scc7, install.\n";
}

}  // namespace carsim
