#pragma once
// Time as the modem sees it. Every timed decision takes `now` as an argument, so the state
// machine runs unchanged under a test's hand-made clock.
#include <chrono>

namespace modemsim {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;
using Duration = Clock::duration;

} // namespace modemsim
