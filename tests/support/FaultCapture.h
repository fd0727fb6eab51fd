#pragma once
// A car session as carsim answers it, and a capture of it repeated with a new fault each time:
// for the tests of what reads captures back (cartrace, the replay bar).
#include "serial/capture/CaptureFormat.h"
#include "sim/carsim/ReplyFormat.h"

#include <fstream>
#include <string>
#include <string_view>
#include <utility>

// Car at floor 3 (POP 1, R1 1, R2 1, R4 0), at rest, DOL lit: then its velocity, BBT and a
// fault log whose newest entry is fault `newestFault` at floor 3.
inline std::string carsimSession(int newestFault = 24)
{
    carsim::PmiTable table{};
    table[3][0] = 1;   // POP
    table[3][1] = 1;   // R1
    table[3][2] = 1;   // R2
    table[1][8] = 1;   // DOL
    carsim::FaultRegisters faults{};
    faults[0] = {newestFault, 3};
    faults[1] = {9, 1};
    return "pmii\r\n" + carsim::formatPmiReply(table) + "vel\r\n" + carsim::formatVelocityReply(0) + "bbt\r\n" +
           carsim::formatBbtReply(6.66) + "flt0\r\n" + carsim::formatFaultReply(faults);
}

// A capture at `stem` of three such sessions at 1, 2 and 3 minutes, with faults 24, 30 and 36.
inline serial::capture::CapturePaths writeFaultCapture(const std::string& stem)
{
    const serial::capture::CapturePaths paths = serial::capture::capturePaths(stem);
    std::ofstream timing(paths.timing), data(paths.data);
    timing << serial::capture::namedLine(serial::capture::kHeader, 0, "START_TIME", "2026-12-09 09:00:00.000000+00:00");
    data << serial::capture::dataHeaderLine("2026-12-09 09:00:00.000000+00:00", "test");
    for (int minute = 0; minute < 3; ++minute) {
        const std::string session = carsimSession(24 + 6 * minute);
        timing << serial::capture::bytesLine(serial::capture::kReceived, 60000000, session.size());
        data << session;
    }
    return paths;
}

// A capture written record by record, each after `delay` microseconds: for captures shaped by
// hand (typed keys, losses, failed attempts).
struct CaptureScript {
    explicit CaptureScript(const std::string& stem, const std::string& start = "2026-12-09 09:00:00.000000+00:00")
        : paths(serial::capture::capturePaths(stem)), timing(paths.timing), data(paths.data)
    {
        timing << serial::capture::namedLine(serial::capture::kHeader, 0, "START_TIME", start);
        data << serial::capture::dataHeaderLine(start, "test");
    }
    CaptureScript& bytes(char kind, long long delay, const std::string& bytes)
    {
        timing << serial::capture::bytesLine(kind, delay, bytes.size());
        data << bytes;
        return *this;
    }
    // Keys typed one by one, a millisecond apart.
    CaptureScript& typed(long long delay, const std::string& keys)
    {
        for (char c : keys)
            bytes(serial::capture::kSent, std::exchange(delay, 1000), std::string(1, c));
        return *this;
    }
    CaptureScript& event(long long delay, std::string_view name, const std::string& value)
    {
        timing << serial::capture::namedLine(serial::capture::kEvent, delay, name, value);
        return *this;
    }

    serial::capture::CapturePaths paths;
    std::ofstream timing, data;
};
