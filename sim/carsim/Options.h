#pragma once
// Command line of carsim. Parsing is pure: it never prints or exits, so every message can be
// checked by a test.
#include "sim/carsim/CarModel.h"
#include "sim/carsim/Scenario.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace carsim {

struct Options {
    std::string linkPath;    // --link: symlink to the created pty slave
    std::string devicePath;  // --device: run on this device instead of a new pty
    Scenario scenario = Scenario::Normal;
    long baud = 1200;              // line rate: pacing for "slow", device speed for --device
    double hangupAfterSeconds = 10.0;  // for "hangup"
    std::optional<std::uint64_t> seed;  // none: pick one and report it
    CarUse use;                          // --traffic, --fault-chance
    bool help = false;
};

struct ParsedOptions {
    Options options;
    std::string error;  // empty when the command line was good
};

ParsedOptions parseOptions(const std::vector<std::string>& args);
std::string usageText();

// Line rates a serial device can be set to through termios.
bool isStandardBaud(long baud);

}  // namespace carsim
