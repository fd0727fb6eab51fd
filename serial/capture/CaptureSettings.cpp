#include "serial/capture/CaptureSettings.h"

#include <utility>

namespace serial::capture {

std::optional<long long> parseCaptureLimit(std::string_view text)
{
    long long value = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value > (1LL << 50))
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    if (i == 0 || i + 1 < text.size())
        return std::nullopt;
    if (i == text.size())
        return value;
    switch (text[i]) {
    case 'K': case 'k': return value << 10;
    case 'M': case 'm': return value << 20;
    case 'G': case 'g': return value << 30;
    default: return std::nullopt;
    }
}

std::string captureLimitText(long long bytes)
{
    for (const auto& [shift, unit] : {std::pair{30, "G"}, std::pair{20, "M"}, std::pair{10, "K"}})
        if (bytes > 0 && bytes % (1LL << shift) == 0)
            return std::to_string(bytes >> shift) + unit;
    return std::to_string(bytes);
}

} // namespace serial::capture
