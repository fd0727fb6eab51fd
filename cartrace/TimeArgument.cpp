#include "cartrace/TimeArgument.h"

#include "serial/capture/CaptureFormat.h"

#include <cmath>
#include <cstdlib>

namespace cartrace {

std::optional<long long> parseTimeArgument(const std::string& text, long long startEpochMicros)
{
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (end != nullptr && *end == '\0' && std::isfinite(seconds) && seconds >= 0)
        return std::llround(seconds * 1e6);
    std::string iso = text;
    if (iso.size() > 10 && iso[10] == 'T')
        iso[10] = ' ';
    if (!iso.empty() && (iso.back() == 'Z' || iso.back() == 'z'))
        iso.pop_back();
    if (const auto at = serial::capture::parseStartTime(iso))
        return *at - startEpochMicros;
    return std::nullopt;
}

} // namespace cartrace
