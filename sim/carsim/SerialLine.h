#pragma once
// Opening the line carsim talks on when it is not a pseudo-terminal of its own.
#include <string>

namespace sim {
class PseudoTerminal;
}

namespace carsim {

// Opens an existing serial device raw, 8N1, at the given standard rate, non-blocking.
// Throws std::runtime_error naming the device and the reason.
int openSerialDevice(const std::string& path, long baud);

// Links `linkPath` to the pseudo-terminal, but only over nothing or over an old symbolic link:
// an ordinary file or a folder there is never removed. Throws std::runtime_error otherwise.
void linkPseudoTerminal(sim::PseudoTerminal& pty, const std::string& linkPath);

}  // namespace carsim
