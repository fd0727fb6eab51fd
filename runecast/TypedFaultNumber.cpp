#include "runecast/TypedFaultNumber.h"

#include "toolkit/Bytes.h"

#include <cmath>

namespace runecast {

int stepperPositionFor(std::string_view text, int min, int max)
{
    // nearbyint rounds in the default mode, to nearest with halves to even.
    const double rounded = std::nearbyint(toolkit::leadingNumber(text));
    if (!(rounded >= min)) // also catches a NaN, which leadingNumber never gives but costs nothing
        return min;
    if (rounded > max)
        return max;
    return static_cast<int>(rounded);
}

} // namespace runecast
