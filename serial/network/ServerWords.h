#pragma once
// What a serial server says as it turns a client away (ser2net: "Port already in use"), as one
// line the operator can read.
#include <string>

namespace serial::network {

// `raw` without telnet commands and option negotiations, line ends folded into single blanks,
// other control characters dropped, trailing blanks trimmed.
std::string serverWords(const std::string& raw);

} // namespace serial::network
