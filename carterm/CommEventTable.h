#pragma once
// The serial event table shared by the car terminals and the bench: what each event or error
// code of the serial control means, and the reporting that follows every event.
#include <string>

namespace toolkit {
class Label;
}

namespace serial::control {
class CommControl;
}

namespace carterm {

enum class CommAction {
    None,     // nothing to do (transmit threshold)
    Receive,  // read the input and append it to the terminal
    Report,   // a status-line or alert message was set
    Overrun,  // the overrun recovery
};

// Looks the code up; sets `eventMessage` (status line) or `errorMessage` (alert) as the table
// says, and tells what else the handler must do.
CommAction lookUpCommEvent(int code, std::string& eventMessage, std::string& errorMessage);

// The two steps after the table: an event message goes to the status line; otherwise an error
// message beeps and asks "Press Cancel to Quit, Ok to ignore.", and Cancel closes the port.
// Both messages are empty afterwards. Returns true when Cancel closed the port.
bool reportCommEvent(std::string& eventMessage, std::string& errorMessage, toolkit::Label& statusLine,
                     serial::control::CommControl& comm);

inline constexpr const char* kAlertTitle = "Press Cancel to Quit, Ok to ignore.";

} // namespace carterm
