#pragma once
// A timer control: Interval and Enabled. Enabling a timer that is already enabled does not
// restart its countdown; disabling and enabling it does. Ticks arrive between other events.
#include "toolkit/Platform.h"

#include <functional>
#include <memory>
#include <string>

namespace toolkit {

class Timer {
public:
    explicit Timer(std::string name, int intervalMs = 0, bool enabled = false);
    ~Timer();
    const std::string& name() const { return name_; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool e);
    int interval() const { return interval_; }
    // A new interval restarts a running countdown; 0 stops ticking until a positive one is set.
    void setInterval(int ms);
    // Ticks from now on come from `backend` (a replay runs the window's timers on the recording's
    // clock); a running countdown starts again there.
    void runOn(std::unique_ptr<TimerBackend> backend);
    std::function<void()> onTimer;

private:
    void rearm();

    std::string name_;
    std::unique_ptr<TimerBackend> backend_;
    int interval_;
    bool enabled_ = false;
};

} // namespace toolkit
