#include "carwatch/WatchOptions.h"

#include "serial/NetworkEndpoint.h"
#include "serial/OutsideText.h"
#include "serial/SerialSettings.h"
#include "serial/capture/CaptureSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

namespace carwatch {

namespace {

constexpr std::string_view kSpace = " \t\r";

std::string_view trim(std::string_view s)
{
    const auto first = s.find_first_not_of(kSpace);
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(kSpace) - first + 1);
}

std::string quoted(std::string_view s) { return serial::printable(std::string(s)); }

std::optional<std::string> pollProblem(std::string_view text, double& out)
{
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value < 0.1 || value > 3600)
        return "poll period " + quoted(text) + " is not accepted: give seconds from 0.1 to 3600 (for example 1 or 2.5)";
    out = value;
    return std::nullopt;
}

std::optional<std::string> limitProblem(std::string_view text, long long& out)
{
    const auto bytes = serial::capture::parseCaptureLimit(text);
    if (!bytes)
        return "capture limit " + quoted(text) + " is not a size: give bytes or a number with K, M or G (for example 500M)";
    if (*bytes < serial::capture::kSmallestCaptureLimit)
        return "capture limit " + quoted(text) + " is too small: the smallest is " +
               serial::capture::captureLimitText(serial::capture::kSmallestCaptureLimit);
    out = *bytes;
    return std::nullopt;
}

std::optional<std::string> portProblem(std::string_view port)
{
    if (port.empty())
        return std::string("no port: give a device path or rfc2217://, rfc2217s:// or tcp://HOST:PORT");
    return serial::networkMappingProblem(port);
}

// "NAME=PORT" of --car.
std::optional<std::string> carProblem(std::string_view value, CarConfig& car)
{
    const auto eq = value.find('=');
    if (eq == std::string_view::npos)
        return "--car " + quoted(value) + " is not NAME=PORT (for example --car car1=/dev/ttyUSB0)";
    car.name = std::string(value.substr(0, eq));
    car.port = std::string(value.substr(eq + 1));
    if (auto problem = nameProblem("car name", car.name))
        return "--car: " + *problem;
    if (auto problem = portProblem(car.port))
        return "--car " + car.name + ": " + *problem;
    return std::nullopt;
}

// Options that take a value, and the key the config file spells them with.
const std::vector<std::string_view> kValueOptions = {
    "broker", "broker-user", "broker-password-file", "site", "car", "poll", "config", "capture-dir", "capture-limit",
};

// Keys of each kind of section.
const std::vector<std::string_view> kTopKeys = {"site", "poll", "capture-dir", "capture-limit"};
const std::vector<std::string_view> kBrokerKeys = {"url", "user", "password-file"};
const std::vector<std::string_view> kCarKeys = {"port", "site", "settings"};

std::string keyList(const std::vector<std::string_view>& keys)
{
    std::string out;
    for (auto k : keys)
        out += (out.empty() ? "" : ", ") + std::string(k);
    return out;
}

} // namespace

std::optional<std::string> nameProblem(std::string_view what, std::string_view name)
{
    const bool good = !name.empty() && name.size() <= 64 && name.front() != '.' &&
                      std::all_of(name.begin(), name.end(), [](char c) {
                          return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                                 c == '.' || c == '_' || c == '-';
                      });
    if (good)
        return std::nullopt;
    return std::string(what) + " " + quoted(name) +
           " is not accepted: use 1 to 64 letters, digits, '.', '_' or '-', not starting with '.'";
}

Parsed parseCommandLine(const std::vector<std::string>& args)
{
    Parsed parsed;
    WatchConfig& c = parsed.config;
    auto fail = [&](std::string text) {
        parsed.error = std::move(text);
        return parsed;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        if (name == "--help")
            c.help = true;
        else if (name == "--version")
            c.version = true;
        if (name == "--help" || name == "--version")
            continue;
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (!name.starts_with("--") ||
            std::find(kValueOptions.begin(), kValueOptions.end(), std::string_view(name).substr(2)) == kValueOptions.end())
            return fail("unknown option " + quoted(name) + "; see carwatch --help");
        if (!value) {
            if (i + 1 == args.size())
                return fail(name + " needs a value; see carwatch --help");
            value = args[++i];
        }
        const std::string key = name.substr(2);
        if (key == "broker") {
            if (auto problem = parseBrokerUrl(*value, c.broker))
                return fail(*problem);
            c.brokerUrl = *value;
        } else if (key == "broker-user")
            c.brokerUser = *value;
        else if (key == "broker-password-file")
            c.brokerPasswordFile = *value;
        else if (key == "site") {
            if (auto problem = nameProblem("site", *value))
                return fail(*problem);
            c.site = *value;
        } else if (key == "car") {
            CarConfig car;
            if (auto problem = carProblem(*value, car))
                return fail(*problem);
            if (std::any_of(c.cars.begin(), c.cars.end(), [&](const CarConfig& o) { return o.name == car.name; }))
                return fail("car " + car.name + " is given twice");
            c.cars.push_back(car);
        } else if (key == "poll") {
            if (auto problem = pollProblem(*value, c.pollSeconds))
                return fail(*problem);
            c.pollGiven = true;
        } else if (key == "config") {
            c.configFile = *value;
            c.configGiven = true;
        } else if (key == "capture-dir")
            c.captureDir = *value;
        else if (key == "capture-limit") {
            if (auto problem = limitProblem(*value, c.captureLimitBytes))
                return fail(*problem);
            c.captureLimit = *value;
        }
    }
    return parsed;
}

std::string mergeConfigFile(std::string_view text, const std::string& path, WatchConfig& config)
{
    enum class Section { Top, Broker, Car } section = Section::Top;
    std::map<std::string, CarConfig> fileCars;
    std::vector<std::string> order;
    std::string car;
    WatchConfig file;   // what the file says, merged at the end
    bool filePoll = false;
    int lineNo = 0;
    while (!text.empty()) {
        ++lineNo;
        const auto nl = text.find('\n');
        std::string_view line = trim(text.substr(0, nl));
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
        const std::string where = path + " line " + std::to_string(lineNo) + ": ";
        if (line.empty() || line.front() == '#' || line.front() == ';')
            continue;
        if (line.front() == '[') {
            if (line.back() != ']')
                return where + "a section header ends in ']': [broker] or [car NAME]";
            const std::string_view inner = trim(line.substr(1, line.size() - 2));
            if (inner == "broker")
                section = Section::Broker;
            else if (inner.starts_with("car ") || inner.starts_with("car\t")) {
                car = std::string(trim(inner.substr(4)));
                if (auto problem = nameProblem("car name", car))
                    return where + *problem;
                if (fileCars.count(car))
                    return where + "car " + car + " has a second section";
                fileCars[car].name = car;
                order.push_back(car);
                section = Section::Car;
            } else
                return where + "unknown section " + quoted(line) + ": the sections are [broker] and [car NAME]";
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string_view::npos)
            return where + "not key=value";
        const std::string key(trim(line.substr(0, eq)));
        const std::string value(trim(line.substr(eq + 1)));
        const auto& keys = section == Section::Top ? kTopKeys : section == Section::Broker ? kBrokerKeys : kCarKeys;
        if (std::find(keys.begin(), keys.end(), key) == keys.end())
            return where + "unknown key " + quoted(key) + "; " +
                   (section == Section::Top ? "before any section" : section == Section::Broker ? "in [broker]" : "in [car NAME]") +
                   " the keys are " + keyList(keys);
        std::optional<std::string> problem;
        if (section == Section::Broker) {
            if (key == "url") {
                problem = parseBrokerUrl(value, file.broker);
                file.brokerUrl = value;
            } else if (key == "user")
                file.brokerUser = value;
            else
                file.brokerPasswordFile = value;
        } else if (section == Section::Car) {
            CarConfig& c = fileCars[car];
            if (key == "port") {
                problem = portProblem(value);
                c.port = value;
            } else if (key == "site") {
                problem = nameProblem("site", value);
                c.site = value;
            } else {
                serial::SerialSettings parsed;
                if (const serial::CommError e = serial::SerialSettings::parse(value, parsed))
                    problem = e.text;
                c.settings = value;
            }
        } else if (key == "site") {
            problem = nameProblem("site", value);
            file.site = value;
        } else if (key == "poll") {
            problem = pollProblem(value, file.pollSeconds);
            filePoll = true;
        } else if (key == "capture-dir")
            file.captureDir = value;
        else {
            problem = limitProblem(value, file.captureLimitBytes);
            file.captureLimit = value;
        }
        if (problem)
            return where + *problem;
    }
    for (const std::string& name : order) {
        const CarConfig& c = fileCars[name];
        if (c.port.empty())
            return path + ": [car " + name + "] has no port=";
        if (std::none_of(config.cars.begin(), config.cars.end(), [&](const CarConfig& o) { return o.name == name; }))
            config.cars.push_back(c);
    }
    if (config.brokerUrl.empty()) {
        config.brokerUrl = file.brokerUrl;
        config.broker = file.broker;
    }
    if (config.brokerUser.empty())
        config.brokerUser = file.brokerUser;
    if (config.brokerPasswordFile.empty())
        config.brokerPasswordFile = file.brokerPasswordFile;
    if (config.site.empty())
        config.site = file.site;
    if (config.captureDir.empty())
        config.captureDir = file.captureDir;
    if (config.captureLimit.empty()) {
        config.captureLimit = file.captureLimit;
        config.captureLimitBytes = file.captureLimitBytes;
    }
    if (filePoll && !config.pollGiven)
        config.pollSeconds = file.pollSeconds;
    return {};
}

std::string checkComplete(WatchConfig& config)
{
    if (config.brokerUrl.empty())
        return "no broker: give --broker mqtt://HOST:PORT (or mqtts://HOST:PORT?ca=FILE), or url= in [broker] of the config file";
    if (config.cars.empty())
        return "no car to watch: give --car NAME=PORT, or a [car NAME] section with port= in the config file";
    for (const CarConfig& car : config.cars)
        if (car.site.empty() && config.site.empty())
            return "car " + car.name + " has no site: give --site SITE, site= in the config file, or site= in [car " +
                   car.name + "]";
    if (!config.brokerUser.empty() && config.brokerPasswordFile.empty())
        return "--broker-user needs --broker-password-file FILE (password-file= in [broker])";
    return {};
}

} // namespace carwatch

namespace carwatch {

std::string helpText()
{
    return R"(Usage: carwatch --broker URL --site SITE --car NAME=PORT [--car NAME=PORT ...] [OPTION...]
Watch elevator car controllers unattended, record their lines and publish them to an MQTT broker.

Options:
  --broker URL                 the broker: mqtt://HOST:PORT, or mqtts://HOST:PORT?ca=FILE
                               (the CA file or folder that signed the broker's certificate;
                               without ?ca= the system's store)
  --broker-user NAME           user name at the broker
  --broker-password-file FILE  the password, the file's first line (a bare name under systemd's
                               LoadCredential= is read from $CREDENTIALS_DIRECTORY)
  --site SITE                  the site the cars stand in (a topic level)
  --car NAME=PORT              a car to watch and its line: a device path, /dev/serial/by-id/...,
                               rfc2217://HOST:PORT, rfc2217s://HOST:PORT or tcp://HOST:PORT;
                               repeat for every car
  --poll SECONDS               read each car at most once in this period (default 1; 0.1 to 3600)
  --config FILE                the config file (default /etc/hoistwise/carwatch.conf; the command
                               line wins over it)
  --capture-dir DIR            where the captures go (default: captures/ in the state folder)
  --capture-limit SIZE         the captures' cap, bytes or with K, M, G (default 500M; at least 64K)
  --help                       show this help and exit
  --version                    show the version and exit

Reading:
  Each car is sent only the read-only requests of carscope's live view, pmii, vel (while the car
  moves), bbt and flt0, one at a time, each waiting for its answer or its timeout, and read by
  carscope's own reply parser. Each line is recorded as carscope records it, one capture per car
  and connection; cartrace and carscope --replay open them. A line that will not open or is lost
  is tried again 1 s to 30 s apart; the other cars go on.

Topics:
  hoistwise/SITE/CAR/state     retained, QoS 1, on every change (at most 4 a second per car) and
                               every two poll periods while nothing changes:
                               {"time", "poll" (s), "link": "up"|"down"|"held", "floor", "velocity" (ft/min),
                               "bbt", "faults": [{"code", "floor", "description"}] (newest first),
                               "signals": {"NAME": 0|1}}; null where not known yet
  hoistwise/SITE/CAR/fault     QoS 1: one message per new entry of the fault log
                               {"time", "code", "floor", "description"}
  hoistwise/SITE/CAR/hold      read: a retained {"minutes": N, "by": "NAME"} closes the car's line
                               for N minutes ("link": "held"); an empty retained message withdraws
                               it; carwatch clears it when the minutes run out
  hoistwise/SITE/watcher/HOST  retained: "online", "offline" (also the last will)

Config file:
  The same settings as key=value lines; '#' starts a comment. For example:
    site=tower-a
    poll=1
    capture-limit=2G

    [broker]
    url=mqtts://broker.example:8883?ca=/etc/hoistwise/site-ca.pem
    user=carwatch
    password-file=/etc/hoistwise/carwatch.password

    [car car1]
    port=/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0

    [car car2]
    port=rfc2217://mr2.example:3001
    settings=9600,n,8,1
    site=tower-b

Files and environment:
  STATE_DIRECTORY              the state folder under systemd; else $XDG_STATE_HOME/hoistwise/carwatch
                               (~/.local/state/hoistwise/carwatch). It holds captures/ and
                               fault-queue, the fault messages the broker has not taken yet
                               (published in order once it is back, also after a restart).

Logging goes to standard error, each line led by its syslog priority as journald reads it.
SIGTERM and SIGINT end carwatch in order: lines and captures closed, "offline" published.
Bad input ends it at once with exit status 2.
)";
}

} // namespace carwatch
