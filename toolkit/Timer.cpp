#include "toolkit/Timer.h"

#include "toolkit/Dispatch.h"

namespace toolkit {

Timer::Timer(std::string name, int intervalMs, bool enabled)
    : name_(std::move(name)), interval_(intervalMs)
{
    runOn(platform().createTimer());
    setEnabled(enabled);
}

void Timer::runOn(std::unique_ptr<TimerBackend> backend)
{
    if (backend_)
        backend_->stop();
    backend_ = std::move(backend);
    backend_->onTick = [this] {
        if (enabled_)
            dispatch(onTimer);
    };
    rearm();
}

Timer::~Timer() { backend_->stop(); }

void Timer::setEnabled(bool e)
{
    if (e == enabled_)
        return;
    enabled_ = e;
    rearm();
}

void Timer::setInterval(int ms)
{
    if (ms == interval_)
        return;
    interval_ = ms;
    rearm();
}

void Timer::rearm()
{
    if (enabled_ && interval_ > 0)
        backend_->start(interval_);
    else
        backend_->stop();
}

} // namespace toolkit
