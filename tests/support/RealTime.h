#pragma once
// Window tests against real processes (a simulator, a serial server): Qt's events are pumped and
// the test platform's virtual clock moves with real time, so the window's timers and the far
// end's timing agree.
#include "toolkit/TestPlatform.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <functional>
#include <unistd.h>

// Runs until `done` holds or `limit` of real time has passed. `watch` sees the window after every
// step; `longestStep`, when given, keeps the longest the window went without being served.
inline bool runInRealTime(toolkit::TestPlatform& platform, const std::function<bool()>& done,
                          std::chrono::milliseconds limit, const std::function<void()>& watch = {},
                          std::chrono::milliseconds* longestStep = nullptr)
{
    using namespace std::chrono;
    const auto start = steady_clock::now();
    auto clock = start;
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const auto now = steady_clock::now();
        const auto step = duration_cast<milliseconds>(now - clock);
        if (longestStep)
            *longestStep = std::max(*longestStep, step);
        if (step.count() > 0) {
            platform.advance(static_cast<int>(step.count()));
            clock += step;
        }
        if (watch)
            watch();
        if (done && done())
            return true;
        if (now - start >= limit)
            return false;
        ::usleep(2000);
    }
}
