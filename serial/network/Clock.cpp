#include "serial/network/Clock.h"

#include <QTimer>

namespace serial::network {

namespace {

class QtTimer final : public Clock::Timer {
public:
    explicit QtTimer(std::function<void()> fire)
    {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, std::move(fire));
    }
    void start(int ms) override { timer_.start(ms); }
    void stop() override { timer_.stop(); }

private:
    QTimer timer_;
};

class RealClock final : public Clock {
public:
    std::chrono::steady_clock::time_point now() const override { return std::chrono::steady_clock::now(); }
    std::unique_ptr<Timer> timer(std::function<void()> fire) override { return std::make_unique<QtTimer>(std::move(fire)); }
};

} // namespace

Clock& Clock::real()
{
    static RealClock clock;
    return clock;
}

} // namespace serial::network
