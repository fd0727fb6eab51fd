#pragma once
// What carwatch knows of one car, read from the replies to the four read-only requests of
// carscope's live view with the window's own reply parsers, and the messages it publishes about
// it. Plain C++, no Qt.
#include "carterm/reply/SignalNames.h"

#include <array>
#include <bitset>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace carwatch {

enum class Request { Table, Velocity, Bbt, Faults };

// The command as sent: "pmii\r", "vel\r", "bbt\r", "flt0\r". Nothing else is ever sent.
std::string_view requestText(Request request);
// About how many characters its answer takes, for the timeout on a slow line.
int replySize(Request request);
// Whether the answer to `request` stands complete in `text` (what arrived since it was sent,
// line ends normalised as the reply buffer keeps them).
bool replyComplete(Request request, std::string_view text);

struct FaultEntry {
    int code = 0;    // 0: an empty register
    int floor = 0;
    bool operator==(const FaultEntry&) const = default;
};
using FaultLog = std::array<FaultEntry, 4>;   // register 0 newest

// The entries of `now` that are not in `before`: the log shifts down as entries arrive, so the
// new ones are those in front of the longest overlap. Oldest first; empty registers left out.
std::vector<FaultEntry> newFaultEntries(const FaultLog& before, const FaultLog& now);

struct CarReading {
    std::optional<int> floor;
    std::optional<int> velocity;   // ft/min
    std::optional<std::string> bbt;
    std::optional<FaultLog> faults;
    std::optional<std::bitset<carterm::reply::kSignalCount>> signalBits;   // kSignalNames' order
    bool moving = false;   // the last table's SM cell read 1: its speed is worth asking
    bool operator==(const CarReading&) const = default;
};

// Reads one complete answer into `reading` as carscope's window reads it: a table's floor only
// when its position bits name one, velocity 0 when SM is not 1, the fault registers as numbers.
// Returns the fault log's new entries when the answer was the fault registers and a log was
// already known (the first log read is what was there before: no news).
std::vector<FaultEntry> applyReply(Request request, std::string_view text, CarReading& reading);

// "2026-12-09T09:01:48.123Z"
std::string isoTime(std::chrono::system_clock::time_point t);

// The state message: time, link, floor, velocity, bbt, faults (newest first), signals; null for
// what is not known yet.
// `poll`: the seconds between reads, so that a reader knows when a state is overdue.
std::string stateJson(const CarReading& reading, std::string_view link, std::string_view time, double poll);
// One new fault-log entry: time, code, floor, description.
std::string faultJson(const FaultEntry& entry, std::string_view time);

} // namespace carwatch
