#pragma once
// Moves bytes between the bench port, the caller's socket and the modem, and lets the modem's
// time run, in one poll() loop that sleeps until a descriptor or the modem's next deadline
// needs it.
#include "sim/modemsim/BenchPort.h"
#include "sim/modemsim/CallerLine.h"
#include "sim/modemsim/HayesModem.h"
#include "sim/modemsim/TrafficLog.h"

#include <csignal>
#include <signal.h>

namespace modemsim {

class ModemLoop {
public:
    ModemLoop(HayesModem& modem, BenchPort& bench, CallerLine& caller, const TrafficLog& log);

    // Runs until `stop` turns nonzero. `stop` is set by a signal handler for signals that are
    // blocked outside the wait and unblocked during it by `waitMask`, so none is missed.
    // Returns 0 when stopped, 1 when the bench's device is lost.
    int run(const volatile std::sig_atomic_t& stop, const sigset_t& waitMask);

private:
    // Above this many bytes waiting for one side, the other side is not read until it drains.
    static constexpr std::size_t kHighWater = 64 * 1024;

    bool serviceBench(short revents, TimePoint now);
    void serviceListener(TimePoint now);
    void serviceCaller(short revents, TimePoint now);
    void callerGone(TimePoint now, bool passRemainingData);
    // Hands what the modem produced to the two sides and reports changes; false when the
    // bench's device is lost.
    bool collect(TimePoint now);

    HayesModem& modem_;
    BenchPort& bench_;
    CallerLine& caller_;
    const TrafficLog& log_;
    CallState lastState_;
    bool lastDsr_;
    bool benchLost_ = false;
};

} // namespace modemsim
