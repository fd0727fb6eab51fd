#pragma once
// The command line of modemsim.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace modemsim {

struct ModemOptions {
    std::string linkPath;   // --link: symlink to the pseudo-terminal
    std::string devicePath; // --device: use this terminal device instead of a pseudo-terminal
    std::uint16_t listenPort = 5555; // 0: any free port
    std::chrono::milliseconds ringInterval{2000};
    unsigned speed = 9600;
    bool verbose = false;
    bool help = false;
};

// The speeds --speed takes: the standard line rates, so that --device can run at it too.
const std::vector<unsigned>& acceptedSpeeds();

// Reads the arguments after the program name. On a bad argument returns false and sets `error`
// to a message naming the argument and what is accepted.
bool parseModemOptions(const std::vector<std::string>& args, ModemOptions& options, std::string& error);

std::string modemUsage();

} // namespace modemsim
