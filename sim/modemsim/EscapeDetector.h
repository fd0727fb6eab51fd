#pragma once
// Watches the bench's data for the "+++" escape: a guard time of silence, three escape
// characters each within the guard time of the one before, then a guard time of silence.
// The characters themselves still travel to the caller; only the silence after them decides.
#include "sim/modemsim/ModemClock.h"

#include <optional>

namespace modemsim {

class EscapeDetector {
public:
    // Starts over, counting silence from `now` (a call was connected or resumed).
    void restart(TimePoint now);

    // One byte from the bench. `escapeChar` above 127 switches the escape off; a zero guard
    // time escapes on the third character without looking at the clock.
    void feed(unsigned char byte, TimePoint now, unsigned escapeChar, Duration guard);

    // True once the escape is complete: three characters and the guard time of silence since.
    bool complete(TimePoint now, Duration guard) const;

    // When `complete` can next turn true, if an escape is in progress.
    std::optional<TimePoint> deadline(Duration guard) const;

private:
    TimePoint lastByte_{};
    int count_ = 0;
};

} // namespace modemsim
