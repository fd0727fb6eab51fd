#pragma once
// The result of a serial-control operation: number 0 means success, anything else carries a text
// the operator can read as it stands.
#include <string>

namespace serial {

struct CommError {
    int number = 0;
    std::string text;
    explicit operator bool() const { return number != 0; }
};

// Error numbers of the serial control, in the ranges technicians know from the classic control.
constexpr int errInvalidValue = 380;        // malformed settings string or port number
constexpr int errNoSuchPort = 8002;         // the device does not exist
constexpr int errPortAlreadyOpen = 8005;    // change refused while the port is open
constexpr int errPortInUse = 8010;          // another program (or control) holds the device
constexpr int errPortNotOpen = 8012;        // sending on a closed port
constexpr int errSettingsRefused = 8015;    // the device cannot take these settings
constexpr int errDeviceFailure = 8020;      // any other system error on the device

} // namespace serial
