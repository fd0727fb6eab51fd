#pragma once
// carwatch's command line and config file. The config file is the kit's plain key=value text:
// keys before any section apply to the whole watcher, [broker] holds the broker's, and one
// [car NAME] section per car. The command line wins over the file; a car named on both is the
// command line's. Parsing is pure: it never prints or exits, so every message can be tested.
#include "mqtt/BrokerAddress.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace carwatch {

inline constexpr const char* kDefaultConfig = "/etc/hoistwise/carwatch.conf";
inline constexpr const char* kDefaultSettings = "1200,n,8,1";

using mqtt::BrokerAddress;

struct CarConfig {
    std::string name;
    std::string port;       // a device path or a network port, as a port mapping takes it
    std::string site;       // empty: the watcher's
    std::string settings;   // empty: kDefaultSettings
};

struct WatchConfig {
    std::string brokerUrl;
    BrokerAddress broker;
    std::string brokerUser;
    std::string brokerPasswordFile;
    std::string site;
    std::vector<CarConfig> cars;
    double pollSeconds = 1.0;
    bool pollGiven = false;
    std::string configFile = kDefaultConfig;
    bool configGiven = false;   // --config: a missing file is then an error
    std::string captureDir;     // empty: the state folder's captures/
    std::string captureLimit;   // as given; empty: the recorder's default
    long long captureLimitBytes = 0;
    bool help = false;
    bool version = false;
};

struct Parsed {
    WatchConfig config;
    std::string error;   // empty when good
};

// The command line alone (without argv[0]).
Parsed parseCommandLine(const std::vector<std::string>& args);
// Merges a config file's text into `config` wherever the command line left a value unset.
// What is wrong, naming the file and line, or empty.
std::string mergeConfigFile(std::string_view text, const std::string& path, WatchConfig& config);
// The checks once both sources are in: a broker, a site for every car, at least one car.
std::string checkComplete(WatchConfig& config);

using mqtt::parseBrokerUrl;
// Site and car names become topic levels and file names: letters, digits, '.', '_' and '-'.
std::optional<std::string> nameProblem(std::string_view what, std::string_view name);

std::string helpText();

} // namespace carwatch
