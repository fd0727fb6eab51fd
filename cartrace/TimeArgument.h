#pragma once
// A time on the command line: seconds from the capture's start ("90", "90.5") or a UTC time
// ("2026-12-09T09:01:48Z", "2026-12-09 09:01:48.250"). Microseconds from the start, or nothing.
#include <optional>
#include <string>

namespace cartrace {

std::optional<long long> parseTimeArgument(const std::string& text, long long startEpochMicros);

} // namespace cartrace
