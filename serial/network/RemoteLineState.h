#pragma once
// A serial server's modem-state and line-state reports (RFC 2217) as the event and error codes
// a local device raises, in the order a local device raises them.
#include <vector>

namespace serial::network {

// CTS, DSR, CD and ring changes: codes 3, 4, 5 and 6.
std::vector<int> modemStateCodes(unsigned state);
// Break, framing error, overrun and parity error: codes 1001, 1004, 1006 and 1009.
std::vector<int> lineStateCodes(unsigned state);

} // namespace serial::network
