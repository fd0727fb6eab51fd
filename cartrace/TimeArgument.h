#pragma once
// Times on the command line, against a capture: seconds from its start ("90", "90.5"), a UTC
// time of day ("03:05:00", "03:05:00.250") on the capture's first day, or on the next when only
// that one falls inside the capture, or a full UTC time ("2026-12-09T03:05:00Z",
// "2026-12-09 03:05:00.250").
#include <optional>
#include <string>

namespace cartrace {

// Microseconds from the capture's start (negative before it), or nothing for other text.
std::optional<long long> parseTimeArgument(const std::string& text, long long startEpochMicros,
                                           long long duration);

// "the capture, which runs from 09:00:00 to 09:03:11 UTC on 2026-12-09 (0 to 191.2 s)"
std::string captureSpan(long long startEpochMicros, long long duration);

// --from and --to (either may be empty) as the stretch they ask for, kept inside the capture;
// or, in `error`, why they cannot be taken.
struct TimeRange {
    long long from = 0;
    long long to = 0;
    std::string error;
};
TimeRange resolveTimeRange(const std::string& from, const std::string& to, long long startEpochMicros,
                           long long duration);

} // namespace cartrace
