#pragma once
// Colours and the twip measure controls are placed in.
#include <cstdint>

namespace toolkit {

// 1440 twips to the inch at 96 logical pixels per inch; Qt scales logical pixels on high-DPI screens.
constexpr int kTwipsPerPixel = 15;
constexpr int px(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

struct Color {
    int r = 0, g = 0, b = 0;
    friend bool operator==(const Color&, const Color&) = default;
    // The single-number form: red + 256 * green + 65536 * blue (255 is red, 16777215 white).
    static constexpr Color fromValue(std::int32_t v) { return {v & 255, (v >> 8) & 255, (v >> 16) & 255}; }
    constexpr std::int32_t value() const { return r + 256 * g + 65536 * b; }
};

namespace colors {
constexpr Color white{255, 255, 255};
constexpr Color red{255, 0, 0};
constexpr Color grey{192, 192, 192};
constexpr Color buttonFace{240, 240, 240};
constexpr Color black{0, 0, 0};
} // namespace colors

struct Font {
    const char* family = nullptr; // nullptr keeps the platform's default
    double pointSize = 0;         // 0 keeps the default size
    bool bold = false;
};

} // namespace toolkit
