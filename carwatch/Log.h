#pragma once
// Log lines on standard error in the form journald reads under systemd: "<6>text", the number
// being the syslog priority. One line each; a line break in outside text becomes a blank.
#include <string>

namespace carwatch::log {

void error(const std::string& text);     // <3>
void warning(const std::string& text);   // <4>
void notice(const std::string& text);    // <5>
void info(const std::string& text);      // <6>

} // namespace carwatch::log
