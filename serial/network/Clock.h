#pragma once
// The network backend's clock and timers, so that a test can run them on a clock of its own.
#include <chrono>
#include <functional>
#include <memory>

namespace serial::network {

class Clock {
public:
    class Timer {
    public:
        virtual ~Timer() = default;
        // Fires once, `ms` from now; a start replaces the one before.
        virtual void start(int ms) = 0;
        virtual void stop() = 0;
    };

    virtual ~Clock() = default;
    virtual std::chrono::steady_clock::time_point now() const = 0;
    // A stopped timer that calls `fire` on this clock's thread.
    virtual std::unique_ptr<Timer> timer(std::function<void()> fire) = 0;

    // The steady clock, and timers on the window's thread.
    static Clock& real();
};

} // namespace serial::network
