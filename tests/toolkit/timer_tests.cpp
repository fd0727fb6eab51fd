// Timers on the virtual clock: re-enabling an enabled timer does not restart its countdown,
// disabling and enabling does, and due timers fire in time order.
#include "toolkit/TestPlatform.h"
#include "toolkit/Timer.h"

#include <gtest/gtest.h>

using namespace toolkit;

TEST(Timer, EnablingTwiceKeepsTheCountdownButToggleRestartsIt)
{
    TestPlatform p;
    Timer t("Timer1", 250);
    std::vector<double> ticks;
    t.onTimer = [&] { ticks.push_back(p.nowMs()); };

    t.setEnabled(true);
    p.advance(200);
    t.setEnabled(true); // no restart
    p.advance(100);
    EXPECT_EQ(ticks, (std::vector<double>{250}));

    t.setEnabled(false);
    t.setEnabled(true); // restart at 300
    p.advance(500);
    EXPECT_EQ(ticks, (std::vector<double>{250, 550, 800}));
}

TEST(Timer, DueTimersFireInOrderAndMayStopEachOther)
{
    TestPlatform p;
    Timer fast("fast", 100, true), slow("slow", 250, true);
    std::string order;
    fast.onTimer = [&] { order += "f"; };
    slow.onTimer = [&] {
        order += "S";
        fast.setEnabled(false);
    };
    p.advance(400);
    EXPECT_EQ(order, "ffS");
}

TEST(Timer, ATimerThatDisablesItselfRunsOnce)
{
    TestPlatform p;
    Timer t("Timer1", 250, true);
    int n = 0;
    t.onTimer = [&] {
        ++n;
        t.setEnabled(false);
    };
    p.advance(2000);
    EXPECT_EQ(n, 1);
}
