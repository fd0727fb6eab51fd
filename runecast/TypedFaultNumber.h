#pragma once
// How a fault number typed into the number box is read when a key is released there.
#include <string_view>

namespace runecast {

// The stepper position the text asks for: the number it begins with (leading blanks skipped,
// no number at all reads 0), fractions rounded to the nearest whole number with exact halves
// going to the even neighbour, then held within [min, max], the stepper's own range. Pulling
// the position into the fault table's range is the stepper's change handling, not this.
int stepperPositionFor(std::string_view text, int min, int max);

} // namespace runecast
