#include "serial/capture/CaptureSettings.h"

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

} // namespace serial::capture
