#pragma once
// The modem's S-registers with their power-up values. Only the registers listed here exist;
// any other number is refused with ERROR.
#include <array>
#include <cstdint>

namespace modemsim {

class SRegisters {
public:
    static constexpr unsigned kCount = 13; // S0..S12
    static constexpr unsigned kMaxValue = 255;

    // The registers the modem acts on; the others are kept for reading back only.
    static constexpr unsigned kAutoAnswerRings = 0;
    static constexpr unsigned kRingCount = 1;
    static constexpr unsigned kEscapeChar = 2;
    static constexpr unsigned kLineEnd = 3;
    static constexpr unsigned kLineFeed = 4;
    static constexpr unsigned kBackspace = 5;
    static constexpr unsigned kGuardTime = 12; // in fiftieths of a second

    SRegisters() { reset(); }

    void reset()
    {
        values_ = {0, 0, 43, 13, 10, 8, 2, 50, 2, 6, 14, 95, 50};
    }

    static bool exists(unsigned reg) { return reg < kCount; }
    unsigned get(unsigned reg) const { return values_[reg]; }
    void set(unsigned reg, unsigned value) { values_[reg] = static_cast<std::uint8_t>(value); }

private:
    std::array<std::uint8_t, kCount> values_{};
};

} // namespace modemsim
