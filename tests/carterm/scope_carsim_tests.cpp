// carscope's car window against the real carsim over a real pseudo-terminal: the window runs
// in-process on the real serial backend, its timers on the virtual clock driven in step with
// real time while Qt's events are pumped.
#include "carscope/ScopeForm1.h"
#include "sim/common/testing/SimulatorProcess.h"
#include "tests/support/RealTime.h"
#include "toolkit/TestPlatform.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>
#include <unistd.h>

using namespace std::chrono;

namespace {

struct ScopeWithCarsim : ::testing::Test {
    toolkit::TestPlatform platform;
    std::unique_ptr<sim::SimulatorProcess> carsim;
    std::unique_ptr<carterm::ScopeForm1> form;

    void SetUp() override
    {
        carsim = std::make_unique<sim::SimulatorProcess>(CARSIM_PROGRAM, std::vector<std::string>{"--seed", "7"});
        const std::string line = carsim->ptyPath();
        ASSERT_FALSE(line.empty()) << "carsim did not report its line";
        ::setenv("HOISTWISE_COM1", line.c_str(), 1);
        form = std::make_unique<carterm::ScopeForm1>();
        form->load();
        form->show();
        ASSERT_TRUE(form->MSComm1.portOpen()) << (platform.boxes.empty() ? "" : platform.boxes[0].text);
    }
    void TearDown() override
    {
        form.reset();
        carsim.reset();
        ::unsetenv("HOISTWISE_COM1");
    }

    // Pumps the window with real time until `done` holds or `limit` has passed. `watch` sees the
    // window after every step.
    bool runUntil(const std::function<bool()>& done, milliseconds limit, const std::function<void()>& watch = {})
    {
        return runInRealTime(platform, done, limit, watch);
    }
    void runFor(milliseconds span) { runUntil({}, span); }

    static int count(const std::string& text, const std::string& what)
    {
        int n = 0;
        for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }
    std::string cell(int r, int c) const { return form->Grid1.cell(r, c); }
};

} // namespace

TEST_F(ScopeWithCarsim, Pmi1PollsEveryQuarterSecondAndTheGridShowsTheCarAtRest)
{
    auto& f = *form;
    runFor(milliseconds(300)); // the greeting's echo
    f.Command1.click();
    const int before = count(f.Term.text(), "> PMII");
    runFor(milliseconds(2000));
    const int replies = count(f.Term.text(), "> PMII") - before;
    EXPECT_GE(replies, 6);
    EXPECT_LE(replies, 9);

    EXPECT_TRUE(f.Grid1.visible());
    EXPECT_EQ(cell(1, 6), "POP ");
    // Floor 1 at rest: POP 0, R1 1, R2 0, R4 0; SM 0; position lamp 1 lit.
    EXPECT_EQ(cell(1, 7), "0 ");
    EXPECT_EQ(cell(2, 7), "1 ");
    EXPECT_EQ(cell(3, 7), "0 ");
    EXPECT_EQ(cell(4, 7), "0 ");
    EXPECT_EQ(cell(14, 5), "0 ");
    EXPECT_EQ(cell(1, 13), "1 ");
    EXPECT_EQ(cell(16, 13).size(), 2u); // the last cell reads digit and CR
    for (int r = 1; r <= 16; ++r)
        for (int c : {3, 7, 13})
            EXPECT_TRUE(cell(r, c).size() == 2 && cell(r, c)[0] >= '0' && cell(r, c)[0] <= '9')
                << "row " << r << " column " << c << ": '" << cell(r, c) << "'";
    EXPECT_EQ(f.txtpos.text(), "1");
    EXPECT_EQ(f.txtvel.text(), "  0");
    EXPECT_EQ(f.Text2.text(), "1");
    EXPECT_EQ(f.txtbbt.text(), "11.31"); // no run yet
    EXPECT_EQ(count(f.Term.text(), "BBT  =  11.31"), 1);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(ScopeWithCarsim, DobRunsTheCarUpAFloorAndTheDisplayFollowsTheRun)
{
    auto& f = *form;
    f.Command1.click();
    ASSERT_TRUE(runUntil([&] { return f.txtpos.text() == "1" && f.Text2.text() == "1"; }, seconds(3)));
    const int bbtReplies = count(f.Term.text(), "BBT  =  ");

    f.Command3.click();
    int fastest = 0;
    bool smSeen = false;
    const bool arrived = runUntil(
        [&] { return f.txtpos.text() == "2" && f.txtvel.text() == "  0" && std::atoi(f.Text2.text().c_str()) >= 2; },
        seconds(15), [&] {
            fastest = std::max(fastest, std::atoi(f.txtvel.text().c_str()));
            smSeen = smSeen || cell(14, 5) == "1 ";
        });
    ASSERT_TRUE(arrived) << "position " << f.txtpos.text() << ", velocity '" << f.txtvel.text() << "'";
    EXPECT_TRUE(smSeen);
    EXPECT_GT(fastest, 100); // the velocity was asked for and shown while the car ran
    EXPECT_NE(f.Term.text().find("CALL 2"), std::string::npos);
    EXPECT_EQ(cell(1, 7), "0 ");
    EXPECT_EQ(cell(2, 7), "0 ");
    EXPECT_EQ(cell(3, 7), "1 ");
    EXPECT_EQ(cell(2, 13), "1 "); // position lamp 2
    // The stop asked for the BBT value again, and one run counts one stop.
    ASSERT_TRUE(runUntil([&] { return count(f.Term.text(), "BBT  =  ") > bbtReplies; }, seconds(2)));
    runFor(milliseconds(1500));
    EXPECT_EQ(f.Text2.text(), "2");
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(ScopeWithCarsim, TheStressTestSendsTheCarToTheTargetAndBackAndTheFaultsFollow)
{
    auto& f = *form;
    f.Command1.click();
    ASSERT_TRUE(runUntil([&] { return f.txtpos.text() == "1"; }, seconds(3)));
    f.Text4.setText("2");
    f.Command6.click();
    EXPECT_EQ(f.caption(), "Stress Test");

    ASSERT_TRUE(runUntil([&] { return f.caption() == "scc2"; }, seconds(18))) << f.caption();
    ASSERT_TRUE(runUntil([&] { return f.txtpos.text() == "2"; }, seconds(8)));
    ASSERT_TRUE(runUntil([&] { return f.caption() == "scc1"; }, seconds(9))) << f.caption();
    ASSERT_TRUE(runUntil([&] { return f.txtpos.text() == "1"; }, seconds(14)));

    // carsim keeps the brake-to-brake time of a run from just after the car came to rest, so
    // at the latest the second stop brings a value other than the start value, and with it the
    // fault registers.
    ASSERT_TRUE(runUntil([&] { return f.Grid2.cell(3, 2) != ""; }, seconds(5))) << f.txtbbt.text();
    EXPECT_NE(f.txtbbt.text(), "11.31");
    for (int n = 0; n < 4; ++n)
        for (int c : {1, 2}) {
            const std::string v = f.Grid2.cell(n, c);
            EXPECT_TRUE(v.size() == 2 && isdigit(v[0]) && isdigit(v[1])) << n << "," << c << ": '" << v << "'";
        }
    EXPECT_NE(f.Grid2.cell(0, 1), "00"); // carsim's log is never empty
    EXPECT_EQ(f.Text2.text(), "3");       // at rest at the start, then two stops

    f.Command2.click();
    EXPECT_EQ(f.caption(), "Hoistwise Car");
    EXPECT_FALSE(f.Grid1.visible());
    const int polls = count(f.Term.text(), "> PMII");
    runFor(milliseconds(600)); // no more polls: at most the one on its way arrives
    EXPECT_LE(count(f.Term.text(), "> PMII"), polls + 1);
    EXPECT_TRUE(platform.boxes.empty());
}

// carsim killed outright and started again on the same link, as an adapter pulled and plugged
// back in: the window reopens the link by itself and the live poll carries on.
TEST_F(ScopeWithCarsim, ACarsimRestartedOnTheSameLinkIsReconnectedAndPollingResumes)
{
    const std::string link = "/tmp/hoistwise-scope-relink-" + std::to_string(::getpid());
    const auto startCarsim = [&] {
        carsim = std::make_unique<sim::SimulatorProcess>(CARSIM_PROGRAM,
                                                         std::vector<std::string>{"--seed", "7", "--link", link});
        return !carsim->ptyPath().empty();
    };
    form.reset();
    ASSERT_TRUE(startCarsim());
    ::setenv("HOISTWISE_COM1", link.c_str(), 1);
    form = std::make_unique<carterm::ScopeForm1>();
    form->load();
    form->show();
    auto& f = *form;
    ASSERT_TRUE(f.MSComm1.portOpen());
    f.Command1.click();
    ASSERT_TRUE(runUntil([&] { return count(f.Term.text(), "> PMII") >= 2; }, seconds(3)));

    carsim->signal(SIGKILL);
    carsim->waitExit();
    ASSERT_TRUE(runUntil([&] { return !f.MSComm1.portOpen() && !platform.boxes.empty(); }, seconds(3)));
    EXPECT_FALSE(f.MOpen.checked());
    runFor(milliseconds(1500)); // unplugged for a while: nothing to open
    EXPECT_FALSE(f.MSComm1.portOpen());

    ASSERT_TRUE(startCarsim());
    ASSERT_TRUE(runUntil([&] { return f.Label1.caption() == "COM1 reconnected"; }, seconds(4)));
    EXPECT_TRUE(f.MOpen.checked());
    EXPECT_TRUE(f.Command6.enabled());
    f.Term.setText("");
    EXPECT_TRUE(runUntil([&] { return count(f.Term.text(), "> PMII") >= 2; }, seconds(3)));
    EXPECT_EQ(platform.boxes.size(), 1u); // the loss, told once
}
