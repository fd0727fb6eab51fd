#pragma once
// Opening a real serial device for a simulator run with --device instead of a pseudo-terminal.
#include <string>

namespace sim {

// Opens an existing serial device raw, 8N1, at the given standard rate, non-blocking, with
// modem control lines ignored. Throws std::runtime_error naming the device and the reason.
int openSerialDevice(const std::string& path, long baud);

} // namespace sim
