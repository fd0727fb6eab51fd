#pragma once
// Lets the Qt event loop run in a test until something holds, never longer than a deadline.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>

inline bool runUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    QTimer tick;   // wakes the loop even when nothing else happens
    tick.start(5);
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return done();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

inline void runFor(int ms)
{
    runUntil([] { return false; }, ms);
}
