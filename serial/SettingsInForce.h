#pragma once
// What to tell the technician when a device runs with other values than it was asked for (a
// pseudo-terminal carries 8 data bits without parity whatever it is told; a network server may
// answer with its own values): which settings are really in force.
#include "serial/SerialSettings.h"

#include <string>

namespace carterm {

// "COM1 runs at 9600,n,8,1: the device does not take parity m or 5 data bits."; empty when the
// device runs with what was asked.
std::string settingsInForceText(int port, const SerialSettings& asked, const SerialSettings& inForce);

} // namespace carterm
