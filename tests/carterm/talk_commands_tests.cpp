// cabtalk's buttons, the poll/rest hand-over and the stress test, with the port open and closed.
#include "tests/carterm/talk_harness.h"

#include <gtest/gtest.h>

using namespace toolkit;
using carterm::lamp::grey;

namespace {

struct TalkCommands : TalkWindowTest {
    // Collects what goes out, stamped with the virtual time it went.
    std::vector<std::pair<double, std::string>> sendsDuring(int ms, int stepMs = 10)
    {
        std::vector<std::pair<double, std::string>> out;
        for (int t = 0; t < ms; t += stepMs) {
            h.platform.advance(stepMs);
            if (std::string s = h.sent(); !s.empty())
                out.emplace_back(h.platform.nowMs(), s);
        }
        return out;
    }
};

} // namespace

TEST_F(TalkCommands, Pmi1PollsAtOnceAndStartsLiveMode)
{
    f.Command1.click();
    EXPECT_EQ(h.sent(), "pmii\r");
    EXPECT_TRUE(f.Text3.visible());
    EXPECT_TRUE(f.Text4.visible());
    EXPECT_TRUE(f.Picture1.visible());
    EXPECT_EQ(f.Label3.backColor(), (Color{0, 192, 0}));
    EXPECT_TRUE(f.Timer2.enabled());
    EXPECT_FALSE(f.Timer1.enabled()); // the button leaves the display to the reply
    EXPECT_TRUE(f.Text3.hasFocus());

    // The regular poll, 250 ms later, lights the transmit lamp and arms the display.
    h.platform.advance(250);
    EXPECT_EQ(h.sent(), "pmii\r");
    EXPECT_EQ(f.Label5.backColor(), (Color{0, 255, 0}));
    EXPECT_TRUE(f.Timer1.enabled());
}

TEST_F(TalkCommands, AfterEachDisplayThePollRestsEightSeconds)
{
    f.Command1.click();
    f.Text3.setVisible(false); // keep the silence poll out of this count
    f.txtvel.setText("  0");   // and the velocity request of a car at rest
    h.sent();
    h.line->feed(PmiReply().text());
    h.platform.advance(250); // the display
    EXPECT_FALSE(f.Timer2.enabled());
    EXPECT_TRUE(f.Timer3.enabled());
    EXPECT_EQ(f.Label3.backColor(), grey); // the live lamp goes out at the first display
    EXPECT_FALSE(f.Timer1.enabled());
    h.sent();
    const double displayedAt = h.platform.nowMs();
    const auto sends = sendsDuring(8300);
    ASSERT_EQ(sends.size(), 1u);
    EXPECT_EQ(sends[0].second, "pmii\r");
    // 8 s of rest, then the 250 ms poll the rest timer switched back on.
    EXPECT_EQ(sends[0].first - displayedAt, 8250);
    EXPECT_TRUE(f.Timer3.enabled()); // it stays enabled
}

TEST_F(TalkCommands, ResetStopsLiveModeAndSendsNothing)
{
    f.Command1.click();
    h.line->feed(PmiReply().text());
    h.platform.advance(250);
    h.sent();
    ASSERT_TRUE(f.Timer5.enabled()); // a silence poll is armed
    f.setCaption("Stress Test");
    f.Command2.click();
    EXPECT_FALSE(f.Timer1.enabled());
    EXPECT_FALSE(f.Timer2.enabled());
    EXPECT_FALSE(f.Timer3.enabled());
    EXPECT_FALSE(f.Text3.visible());
    EXPECT_FALSE(f.Picture1.visible());
    EXPECT_EQ(f.Label3.backColor(), grey);
    EXPECT_EQ(f.caption(), "Hoistwise Car");
    EXPECT_TRUE(f.Term.hasFocus());
    EXPECT_EQ(h.sent(), "");
    h.platform.advance(20000); // no silence poll, display or rest brings polling back
    EXPECT_EQ(h.sent(), "");
    EXPECT_FALSE(f.Timer5.enabled());
}

TEST_F(TalkCommands, StressSendsTheTargetFloorAndFloorOneInTurn)
{
    ASSERT_EQ(f.Text4.text(), "5");
    f.Command6.click();
    EXPECT_EQ(f.caption(), "Stress Test");
    EXPECT_TRUE(f.Timer3.enabled());
    const double start = h.platform.nowMs();
    std::vector<std::pair<double, std::string>> stressSends;
    for (const auto& [at, text] : sendsDuring(40000, 50))
        if (text.find("scc") != std::string::npos)
            stressSends.emplace_back(at - start, text.substr(text.find("scc"), 5));
    ASSERT_EQ(stressSends.size(), 4u);
    EXPECT_EQ(stressSends[0], (std::pair<double, std::string>{16000, "scc5\r"}));
    EXPECT_EQ(stressSends[1], (std::pair<double, std::string>{24000, "scc1\r"}));
    EXPECT_EQ(stressSends[2], (std::pair<double, std::string>{32000, "scc5\r"}));
    EXPECT_EQ(stressSends[3], (std::pair<double, std::string>{40000, "scc1\r"}));
    EXPECT_EQ(f.caption(), "Stress Test"); // the steps leave the caption alone
}

TEST_F(TalkCommands, StressAfterADisplayStopsTheRestTimerAndThePoll)
{
    f.Command1.click();
    h.line->feed(PmiReply().text());
    h.platform.advance(250);
    ASSERT_TRUE(f.Timer3.enabled());
    f.Command6.click(); // the rest timer runs, so this press stops it
    EXPECT_FALSE(f.Timer3.enabled());
    EXPECT_FALSE(f.Timer2.enabled());
    EXPECT_EQ(f.caption(), "Hoistwise Car");
    EXPECT_EQ(f.Label3.backColor(), grey);
    EXPECT_TRUE(f.Text3.hasFocus());
    f.Command6.click(); // the next press starts the test
    EXPECT_TRUE(f.Timer3.enabled());
    EXPECT_EQ(f.caption(), "Stress Test");
}

TEST_F(TalkCommands, StressResumesAtTheStepItStoppedOn)
{
    f.Command6.click();
    h.platform.advance(16000); // first tick nothing, second tick scc5: step now 2
    h.sent();
    f.Command6.click();
    f.Command6.click();
    h.platform.advance(8000);
    EXPECT_EQ(h.sent(), "scc1\r");
}

TEST_F(TalkCommands, StuAndStdLightTheTransmitLampEvenWithThePortClosed)
{
    f.Command4.click();
    EXPECT_EQ(h.sent(), "stu\r");
    EXPECT_EQ(f.Label5.backColor(), (Color{0, 255, 0}));
    EXPECT_TRUE(f.Term.hasFocus());
    f.Label5.setBackColor(grey);
    f.MOpen.click();
    f.Command5.click();
    EXPECT_EQ(h.sent(), "");
    EXPECT_EQ(f.Label5.backColor(), (Color{0, 255, 0}));
}

TEST_F(TalkCommands, AClickOnThePanelHidesItAndGoesToTheCommandLine)
{
    f.Command1.click();
    f.Term.setFocus();
    f.Picture1_Click();
    EXPECT_FALSE(f.Picture1.visible());
    EXPECT_TRUE(f.Text3.hasFocus());
}

TEST_F(TalkCommands, WithThePortClosedNothingIsSentAndTheTimersRunOn)
{
    f.Command1.click();
    h.line->feed(PmiReply().text());
    h.sent();
    f.Command6.click(); // the display has not run yet: this starts the stress test
    ASSERT_EQ(f.caption(), "Stress Test");
    f.MOpen.click(); // "Port &Open" only moves the check mark
    EXPECT_FALSE(f.MSComm1.portOpen());
    EXPECT_FALSE(f.MOpen.checked());
    EXPECT_EQ(f.caption(), "Stress Test");
    EXPECT_TRUE(f.Timer3.enabled());
    EXPECT_TRUE(f.Command6.enabled());

    f.txtvel.setText("  7");
    f.txtvel.setText("  0");   // would ask for "bbt"
    f.txtbbt.setText("99.99"); // would ask for "flt0"
    f.txtpos.setText("2");
    f.Command3.click();        // would send "scc3"
    h.platform.advance(40000); // displays ("vel"), rest ticks and stress steps
    EXPECT_EQ(h.sent(), "");
    EXPECT_TRUE(h.platform.boxes.empty());
    EXPECT_TRUE(f.Timer3.enabled());
    EXPECT_EQ(f.stressStep, 1); // five ticks in: the steps went on without sending

    f.MOpen.click();
    EXPECT_EQ(h.sent(), ""); // the toggle itself greets nobody
    h.platform.advance(8000);
    EXPECT_NE(h.sent().find("scc5\r"), std::string::npos);
}

TEST_F(TalkCommands, AllButtonsStayEnabledWhateverThePort)
{
    f.MOpen.click();
    for (Button* b : {&f.Command1, &f.Command2, &f.Command3, &f.Command4, &f.Command5, &f.Command6})
        EXPECT_TRUE(b->enabled()) << b->name();
}
