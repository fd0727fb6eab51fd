// The session log of the car window.
#include "Form1.h"

namespace carterm {

void Form1::MOpenLog_Click() {}

void Form1::MCloseLog_Click() { logFileNumber = 0; }

void Form1::writeToLog(const std::string&) {}

} // namespace carterm
