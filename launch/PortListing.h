#pragma once
// What --list-ports prints: the serial devices present, the ports file's problems, and the
// device behind each port number the program uses or that is mapped.
#include "serial/PortMap.h"
#include "launch/ProgramEntry.h"

#include <string>

namespace launch {

std::string portListing(const Program& program, const serial::PortMap& map);

} // namespace launch
