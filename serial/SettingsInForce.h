#pragma once
// The one way the serial layer tells the operator that a port runs with other settings than
// asked for (a serial server answering with its own values, a driver rounding a rate).
#include "serial/SerialSettings.h"

#include <string>

namespace serial {

// Empty when `inForce` is what was asked; otherwise, for example, "COM1 (rfc2217://mr3:3001)
// runs at 9600 baud, not 115200 (settings in force: 9600,n,8,1)". `port` names the port as every
// error text does.
std::string settingsInForceNotice(const std::string& port, const SerialSettings& asked, const SerialSettings& inForce);

} // namespace serial
