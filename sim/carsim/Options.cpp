#include "sim/carsim/Options.h"

#include "sim/common/OptionTable.h"

#include <algorithm>
#include <array>

namespace carsim {

namespace {
constexpr unsigned long long kMinBaud = 50;
constexpr unsigned long long kMaxBaud = 4000000;
constexpr double kMaxHangupSeconds = 86400.0;
constexpr double kMaxCallsPerMinute = 600.0;

constexpr std::array<long, 30> kStandardBauds{50, 75, 110, 134, 150, 200, 300, 600, 1200, 1800, 2400,
    4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 500000, 576000, 921600, 1000000, 1152000,
    1500000, 2000000, 2500000, 3000000, 3500000, 4000000};

const char* const kAccepted =
    "accepted: --link PATH, --device PATH, --scenario NAME, --baud N, --after SECONDS, --seed N, "
    "--traffic CALLS_PER_MINUTE, --fault-chance P, --help";
}  // namespace

bool isStandardBaud(long baud)
{
    return std::find(kStandardBauds.begin(), kStandardBauds.end(), baud) != kStandardBauds.end();
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
    const auto path = [](const char* name, std::string& into) {
        return [name, &into](const std::string& v) {
            if (v.empty())
                return std::string(name) + " needs a path, got an empty one";
            into = v;
            return std::string();
        };
    };
    const std::string value = std::string("a value; ") + kAccepted;
    const std::vector<sim::Option> table{
        {"--help", "-h", "", [&](const std::string&) { o.help = true; return std::string(); }},
        {"--link", nullptr, value, path("--link", o.linkPath)},
        {"--device", nullptr, value, path("--device", o.devicePath)},
        {"--scenario", nullptr, value, [&](const std::string& v) {
             const auto scenario = scenarioFromName(v);
             if (!scenario)
                 return "unknown scenario '" + v + "'; accepted: " + scenarioNameList();
             o.scenario = *scenario;
             return std::string();
         }},
        {"--baud", nullptr, value, [&](const std::string& v) {
             const auto baud = sim::wholeNumber(v);
             if (!baud || *baud < kMinBaud || *baud > kMaxBaud)
                 return "--baud '" + v + "' is not a line rate; give a whole number of bits per second from "
                     + std::to_string(kMinBaud) + " to " + std::to_string(kMaxBaud) + ", e.g. 1200";
             o.baud = static_cast<long>(*baud);
             baudGiven = true;
             return std::string();
         }},
        {"--after", nullptr, value, [&](const std::string& v) {
             const auto seconds = sim::decimalNumber(v);
             if (!seconds || *seconds <= 0.0 || *seconds > kMaxHangupSeconds)
                 return "--after '" + v + "' is not a time; give seconds greater than 0 and at most 86400, e.g. 2.5";
             o.hangupAfterSeconds = *seconds;
             afterGiven = true;
             return std::string();
         }},
        {"--traffic", nullptr, value, [&](const std::string& v) {
             const auto rate = sim::decimalNumber(v);
             if (!rate || *rate < 0.0 || *rate > kMaxCallsPerMinute)
                 return "--traffic '" + v + "' is not a call rate; give landing calls per minute from 0 to 600, e.g. 2";
             o.use.callsPerMinute = *rate;
             return std::string();
         }},
        {"--fault-chance", nullptr, value, [&](const std::string& v) {
             const auto chance = sim::decimalNumber(v);
             if (!chance || *chance < 0.0 || *chance > 1.0)
                 return "--fault-chance '" + v + "' is not a chance; give a number from 0 to 1, e.g. 0.15";
             o.use.faultChancePerRun = *chance;
             return std::string();
         }},
        {"--seed", nullptr, value, [&](const std::string& v) {
             const auto seed = sim::wholeNumber(v);
             if (!seed)
                 return "--seed '" + v + "' is not a seed; give a whole number from 0 to 18446744073709551615";
             o.seed = *seed;
             return std::string();
         }},
    };
    const sim::OptionWords words{
        [](const std::string& name, const std::string&) { return name + " takes no value"; },
        [](const std::string&, const std::string& name) {
            return (name.starts_with("-") ? "unknown option '" : "unexpected argument '") + name + "'; " + kAccepted;
        }};
    if (std::string error = sim::readOptions(args, table, words); !error.empty())
        return fail(std::move(error));

    if (o.help)
        return result;
    if (!o.linkPath.empty() && !o.devicePath.empty())
        return fail("--link and --device cannot be used together: --link names the pseudo-terminal carsim creates, "
                    "--device runs on an existing one");
    if (afterGiven && o.scenario != Scenario::Hangup)
        return fail("--after is used only with --scenario hangup");
    if (baudGiven && !o.devicePath.empty() && !isStandardBaud(o.baud))
        return fail("--baud " + std::to_string(o.baud) + " cannot be set on a device; standard rates: "
            + sim::listed(kStandardBauds));
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
           "  --traffic CALLS_PER_MINUTE\n"
           "                    landing calls arriving by themselves, so the car runs, stops and logs\n"
           "                    faults with nobody at a terminal (default 0: only the terminal calls)\n"
           "  --fault-chance P  chance that a run leaves a fault in the log, 0 to 1 (default 0.15)\n"
           "  --help            show this text\n"
           "  --version         show the version and exit\n"
           "\n"
           "The first line on standard output is the path of the line carsim talks on.\n"
           "Commands (each ended by CR): pmii, vel, bbt, flt0, stu, std, scc1-scc7, install.\n";
}

}  // namespace carsim
