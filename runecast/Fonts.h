#pragma once
// The faces the windows were drawn for do not exist on Linux; these metric-compatible ones
// (Debian's fonts-liberation) keep the texts the same size so they fit their boxes.
#include "toolkit/Geometry.h"

namespace runecast::fonts {

inline constexpr const char* kTimesNewRoman = "Liberation Serif";
inline constexpr const char* kMsSansSerif = "Liberation Sans";

inline constexpr toolkit::Font timesNewRoman(double points, bool bold = false) { return {kTimesNewRoman, points, bold}; }
inline constexpr toolkit::Font msSansSerif(double points, bool bold = false) { return {kMsSansSerif, points, bold}; }

} // namespace runecast::fonts
