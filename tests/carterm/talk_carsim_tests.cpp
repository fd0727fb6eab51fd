// cabtalk's car window in live mode against the real carsim over a real pseudo-terminal: the
// window runs in-process on the real serial backend while virtual and real time run together.
#include "sim/common/testing/SimulatorProcess.h"
#include "cabtalk/TalkForm1.h"
#include "toolkit/TestPlatform.h"
#ifdef OVER_SER2NET
#include "tests/support/Ser2netProcess.h"
#endif

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Event {
    double at;
    const char* what;
};

struct TalkAgainstCarsim : ::testing::Test {
    toolkit::TestPlatform platform;
    // carsim on a pseudo-terminal of its own, stopped when the test ends whatever happened.
    sim::SimulatorProcess carsim{CARSIM_PROGRAM, {"--seed", "7"}, sim::SimulatorProcess::discardErrors()};
#ifdef OVER_SER2NET
    std::unique_ptr<Ser2netProcess> server;
#endif
    std::unique_ptr<carterm::TalkForm1> form;
    std::vector<Event> events;

    void SetUp() override
    {
        const std::string path = carsim.ptyPath();
        ASSERT_FALSE(path.empty()) << "carsim printed no line path";
#ifdef OVER_SER2NET
        // The same run with COM1 on a serial server in front of carsim.
        server = std::make_unique<Ser2netProcess>(std::vector<Ser2netProcess::Connection>{{"telnet(rfc2217)", path}});
        ASSERT_TRUE(server->start());
        ::setenv("HOISTWISE_COM1", server->url("rfc2217").c_str(), 1);
#else
        ::setenv("HOISTWISE_COM1", path.c_str(), 1);
#endif
        form = std::make_unique<carterm::TalkForm1>();
        watch();
        form->load();
        form->show();
        ASSERT_TRUE(form->MSComm1.portOpen()) << (platform.boxes.empty() ? "" : platform.boxes[0].text);
    }
    void TearDown() override
    {
        form.reset(); // closes the port before carsim goes
        ::unsetenv("HOISTWISE_COM1");
    }

    // Records receptions, polls, displays and rest ticks with their virtual time.
    void watch()
    {
        auto& f = *form;
        const auto note = [this](const char* what) { events.push_back({platform.nowMs(), what}); };
        auto onComm = f.MSComm1.onComm;
        f.MSComm1.onComm = [this, &f, onComm, note] {
            if (f.MSComm1.commEvent() == 2)
                note("receive");
            onComm();
        };
        auto timer1 = f.Timer1.onTimer;
        f.Timer1.onTimer = [&f, timer1, note] {
            timer1();
            if (!f.Timer1.enabled())
                note("display");
        };
        auto timer2 = f.Timer2.onTimer;
        f.Timer2.onTimer = [&f, timer2, note] {
            if (f.MSComm1.portOpen())
                note("poll");
            timer2();
        };
        auto timer3 = f.Timer3.onTimer;
        f.Timer3.onTimer = [timer3, note] {
            note("rest over");
            timer3();
        };
        auto timer5 = f.Timer5.onTimer;
        f.Timer5.onTimer = [&f, timer5, note] {
            if (f.MSComm1.portOpen())
                note("silence poll");
            timer5();
        };
    }

    // Virtual time follows real time in 10 ms steps, the serial line being served in between.
    void run(int ms)
    {
        for (int t = 0; t < ms; t += 10) {
            platform.advance(10);
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(8));
        }
    }

    std::vector<double> times(const char* what) const
    {
        std::vector<double> out;
        for (const Event& e : events)
            if (std::string_view(e.what) == what)
                out.push_back(e.at);
        return out;
    }
    double lastReceiveBefore(double at) const
    {
        double last = -1;
        for (const Event& e : events)
            if (std::string_view(e.what) == "receive" && e.at < at)
                last = e.at;
        return last;
    }
};

} // namespace

TEST_F(TalkAgainstCarsim, LiveModePollsRestsAndShowsTheCarsSignals)
{
    run(300); // the greeting's echo
    events.clear();
    form->Command1.click();
    const double start = platform.nowMs();
    run(18000);

    // The matrix shows carsim's car: at rest at floor 1, in service, SM off.
    auto& m = form->matrix;
    EXPECT_EQ(m.value(7, 1).caption(), "0 "); // POP
    EXPECT_EQ(m.value(7, 2).caption(), "1 "); // R1
    EXPECT_EQ(m.value(7, 3).caption(), "0 "); // R2
    EXPECT_EQ(m.value(7, 4).caption(), "0 "); // R4
    EXPECT_EQ(m.value(13, 1).caption(), "1 "); // position lamp, floor 1
    EXPECT_EQ(m.value(13, 11).caption(), "1 "); // in service
    EXPECT_EQ(m.value(5, 14).caption(), "0 "); // SM
    for (int column : carterm::SignalMatrix::kValueColumns)
        for (int row = 1; row <= 16; ++row) {
            const std::string v = m.value(column, row).caption();
            const bool never = (column == 1 && row >= 5 && row <= 7) || (column == 5 && row >= 15);
            if (never) {
                EXPECT_EQ(v, "") << column << "/" << row;
                continue;
            }
            ASSERT_EQ(v.size(), 2u) << column << "/" << row;
            EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(v[0]))) << column << "/" << row << " '" << v << "'";
            EXPECT_EQ(v[1], row == 16 ? '\r' : ' ') << column << "/" << row;
        }
    // At rest the display asked once for the speed, and the chain went on to BBT.
    EXPECT_EQ(form->txtvel.text(), "  0");
    EXPECT_EQ(form->Text2.text(), "1");
    EXPECT_EQ(form->txtbbt.text(), "11.31");

    const auto displays = times("display");
    const auto rests = times("rest over");
    const auto polls = times("poll");
    const auto silencePolls = times("silence poll");
    ASSERT_GE(displays.size(), 5u);
    ASSERT_GE(rests.size(), 2u);
    ASSERT_GE(silencePolls.size(), 5u);

    // The rest timer runs out 8 s after the first display, then every 8 s.
    EXPECT_EQ(rests[0] - displays[0], 8000);
    EXPECT_EQ(rests[1] - rests[0], 8000);

    // The regular poll goes out only at its first 250 ms after "pmi 1" and after a rest ran out,
    // never in the middle of a rest.
    for (double p : polls) {
        bool afterRest = p - start <= 600;
        for (double r : rests)
            afterRest = afterRest || (p > r && p - r <= 600);
        EXPECT_TRUE(afterRest) << "poll at " << p - start << " ms";
    }

    // A silence poll goes out a second after the last reception, not sooner.
    for (double s : silencePolls) {
        const double quiet = s - lastReceiveBefore(s);
        EXPECT_GE(quiet, 1000) << "at " << s - start;
        EXPECT_LE(quiet, 1011) << "at " << s - start;
    }
    // ... and each one brings a table that is displayed.
    for (double s : silencePolls) {
        if (s > platform.nowMs() - 1000)
            continue;
        bool shown = false;
        for (double d : displays)
            shown = shown || (d > s && d - s <= 1000);
        EXPECT_TRUE(shown) << "silence poll at " << s - start << " ms brought no display";
    }
}
