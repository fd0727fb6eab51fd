#pragma once
// The system's own view of an open serial device, kept next to Qt SerialPort: an exclusive claim
// that holds for root and for pseudo-terminals too, the driver's line counters, its output queue,
// the settings the driver really took, and whether the device has hung up.
#include "serial/CommError.h"
#include "serial/SerialSettings.h"

#include <optional>
#include <string>
#include <vector>

namespace serial::device {

// Running totals the driver keeps for an open device.
struct LineCounters {
    int cts = 0, dsr = 0, ring = 0, carrier = 0;
    int breaks = 0, framing = 0, overrun = 0, parity = 0, bufferOverrun = 0;
};

// The event and error codes for what changed between two readings, one code per kind of change
// however often it happened: CTS, DSR, CD, ring, then break, framing, overrun, buffer overflow
// and parity.
std::vector<int> lineEventCodes(const LineCounters& before, const LineCounters& after);

class PortDevice {
public:
    PortDevice() = default;
    ~PortDevice();
    PortDevice(const PortDevice&) = delete;
    PortDevice& operator=(const PortDevice&) = delete;

    // Opens a descriptor of its own on `path` and claims the device for this program. Refused
    // with errPortInUse ("is in use by another program") when another descriptor holds the
    // claim; other failures carry the system's text.
    CommError claim(const std::string& path);
    void release();

    std::optional<LineCounters> lineCounters() const;      // nullopt: the driver keeps none
    int outputQueue() const;                               // bytes the driver has not sent yet
    std::optional<SerialSettings> currentSettings() const; // what the driver runs with now
    // Pseudo-terminals carry bytes without framing: the kernel keeps them at 8 bits, no parity.
    bool isPseudoTerminal() const;
    bool hungUp() const;
    std::string hangUpText() const;   // the system's text for I/O on the lost device
    std::string takeInput();          // whatever the driver still holds for reading
    void discardOutput();

private:
    int fd_ = -1;
};

} // namespace serial::device
