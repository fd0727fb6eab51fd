#include "sim/modemsim/EscapeDetector.h"

namespace modemsim {

void EscapeDetector::restart(TimePoint now)
{
    lastByte_ = now;
    count_ = 0;
}

void EscapeDetector::feed(unsigned char byte, TimePoint now, unsigned escapeChar, Duration guard)
{
    const Duration gap = now - lastByte_;
    lastByte_ = now;
    if (escapeChar > 127 || byte != escapeChar) {
        count_ = 0;
        return;
    }
    if (count_ == 0)
        count_ = gap >= guard ? 1 : 0;
    else if (count_ < 3)
        count_ = (guard == Duration::zero() || gap <= guard) ? count_ + 1 : 0;
    else
        count_ = 0; // a fourth character: plain data after all
}

bool EscapeDetector::complete(TimePoint now, Duration guard) const
{
    return count_ == 3 && now - lastByte_ >= guard;
}

std::optional<TimePoint> EscapeDetector::deadline(Duration guard) const
{
    if (count_ != 3)
        return std::nullopt;
    return lastByte_ + guard;
}

} // namespace modemsim
