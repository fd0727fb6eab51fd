#pragma once
// A session capture as util-linux script(1) writes its advanced timing format, so that
// scriptreplay and every tool that reads script's logs read ours: a timing file of records
// "<kind> <delay> <rest>" and one data file holding what was received and sent, in order, after
// a first header line. Kinds: H header (name and value), O received bytes, I sent bytes, S an
// event of the line (name and value). Delays are the seconds since the previous record, always
// with six decimals. Plain C++, no Qt.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace serial::capture {

inline constexpr char kHeader = 'H';
inline constexpr char kReceived = 'O';
inline constexpr char kSent = 'I';
inline constexpr char kEvent = 'S';

// File name endings of the two files of a capture.
inline constexpr std::string_view kTimingSuffix = ".timing";
inline constexpr std::string_view kDataSuffix = ".data";

// Event names of the line, beside the line-event codes (OPEN, FAILED, CLOSE, LOST, RECONNECT,
// SETTINGS and STOPPED have no code).
inline constexpr std::string_view kOpen = "OPEN";
// An attempt to open that did not: "<port> <device or endpoint>: <why>". Never followed by what
// the window tried to send into the port.
inline constexpr std::string_view kFailed = "FAILED";
inline constexpr std::string_view kClose = "CLOSE";
inline constexpr std::string_view kLost = "LOST";
inline constexpr std::string_view kReconnect = "RECONNECT";
inline constexpr std::string_view kSettings = "SETTINGS";
// The recorder's own end, before the session's: why the capture stopped.
inline constexpr std::string_view kStopped = "STOPPED";

// "12.000345": seconds and exactly six decimals.
std::string delayText(long long micros);
// Microseconds of a delay as written above; nothing for anything else.
std::optional<long long> parseDelay(std::string_view text);

// One timing line: "O 0.000345 12\n" for bytes, "S 0.000100 CTS 3\n" for a named record.
std::string bytesLine(char kind, long long delayMicros, std::size_t count);
std::string namedLine(char kind, long long delayMicros, std::string_view name, std::string_view value);

// "2026-12-09 09:01:48.123456+00:00", script's start-time form with the microseconds.
std::string startTimeText(std::chrono::system_clock::time_point t);
// Microseconds since the epoch of that form (or of script's own, without the fraction).
std::optional<long long> parseStartTime(std::string_view text);
// "2026-12-09T09:01:48.123Z": ISO 8601 with milliseconds, in UTC.
std::string isoMillis(long long epochMicros);
// "20261209T090148Z", for file names.
std::string fileStamp(std::chrono::system_clock::time_point t);

// The data file's first line, as scriptreplay skips it: "Script started on <start> [...]\n".
std::string dataHeaderLine(std::string_view startTime, std::string_view description);

// The name an event code is recorded under ("CTS", "BREAK", ...); "EVENT" for codes no name has.
std::string_view eventName(int code);
// The code of a line event recorded under `name`; nothing for the other events.
std::optional<int> eventCode(std::string_view name);

// The two files of a capture, from the path of either file or their common stem.
struct CapturePaths {
    std::string timing;
    std::string data;
    std::string stem;
};
CapturePaths capturePaths(std::string_view given);

} // namespace serial::capture
