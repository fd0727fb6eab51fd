#pragma once
// A pseudo-terminal pair for the simulators: they own the master side and hand the slave path
// to the program under test, exactly as a real serial device would be handed over.
#include <string>

namespace sim {

class PseudoTerminal {
public:
    // Opens a new pair in raw mode. Throws std::runtime_error with the system's text on failure.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

    // Makes `linkPath` a symbolic link to the slave (replacing an old link there), removed again
    // on destruction. Anything else already at `linkPath` is left alone and refused.
    // Throws std::runtime_error on failure.
    void linkTo(const std::string& linkPath);

private:
    int master_ = -1;
    // Kept open so that the slave side never sees a hang-up while no program has it open.
    int slaveKeepAlive_ = -1;
    std::string slavePath_;
    std::string link_;
};

// Puts a terminal device into raw 8-bit mode with no echo and no line processing.
void makeRaw(int fd);

} // namespace sim
