// The command recogniser: what each string found in the terminal does, in which order, and how
// long a string keeps acting.
#include "tests/iobench/BenchTest.h"
#include "iobench/RemoteCommands.h"

#include <gtest/gtest.h>

using namespace toolkit;
using namespace iobench;
using Call = FakeDriverCall;

namespace {
struct Recogniser : BenchTest {
    void receive(std::string_view text) { h.line->feed(text); }
};

const std::string kOpenEchoes = "base_io_textbox.Text = \"220\"\rconfigmask_textbox.Text = \"00000001\"";
} // namespace

TEST_F(Recogniser, OpenKx9RunsTheOpenSendsBothEchoesAndClears)
{
    receive("open_kx9_button_Click()");
    EXPECT_EQ(driver.calls(), (std::vector<Call>{{EntryPoint::KX9_Open, {0, 544}}}));
    EXPECT_FALSE(f.open_kx9_button.enabled());
    EXPECT_EQ(h.sent(), kOpenEchoes);
    EXPECT_EQ(f.Term.text(), "");
}

TEST_F(Recogniser, OpenKx9EchoesEvenWhenTheOpenFailsOrIsRefused)
{
    driver.scriptResult(EntryPoint::KX9_Open, 6);
    receive("open_kx9_button_Click()");
    EXPECT_EQ(h.sent(), kOpenEchoes);
    EXPECT_TRUE(f.open_kx9_button.enabled());

    // A board text that cannot be read: no box (nobody may be at the bench), no call, the echo
    // carries the text as it stands.
    driver.clearCalls();
    f.boardid_textbox.setText("12345");
    receive("open_kx9_button_Click()");
    EXPECT_TRUE(driver.calls().empty());
    EXPECT_TRUE(h.platform.boxes.empty());
    EXPECT_EQ(h.sent(), "base_io_textbox.Text = \"12345\"\rconfigmask_textbox.Text = \"00000001\"");
    EXPECT_EQ(f.Term.text(), "");

    // So is a missing driver.
    driver.makeLibraryMissing();
    f.boardid_textbox.setText("220");
    receive("open_kx9_button_Click()");
    EXPECT_TRUE(h.platform.boxes.empty());
    EXPECT_EQ(h.sent(), kOpenEchoes);
    EXPECT_EQ(f.last_error, DriverResult::kNotPerformed);
}

TEST_F(Recogniser, OpenKx9WithAnAdapterOpenStaysUntilAClearingRow)
{
    f.openadapter_button.click();
    driver.clearCalls();
    receive("open_kx9_button_Click()");
    EXPECT_TRUE(driver.calls().empty());
    EXPECT_EQ(h.sent(), "");
    EXPECT_EQ(f.Term.text(), "open_kx9_button_Click()");
    receive("\r");
    EXPECT_EQ(f.Term.text(), "open_kx9_button_Click()\r\n");
    receive("closeadapter_button_Click ()");
    EXPECT_EQ(f.Term.text(), "");
    EXPECT_EQ(driver.calls(), (std::vector<Call>{{EntryPoint::Close, {1}}}));
}

TEST_F(Recogniser, ACommandSplitOverTwoReceptionsActsOnceComplete)
{
    receive("configpoints_butt");
    EXPECT_TRUE(driver.calls().empty());
    receive("on_Click ()");
    EXPECT_EQ(driver.calls(), (std::vector<Call>{{EntryPoint::Direct_Packed_Config, {0, 0, 1}}}));
    EXPECT_EQ(h.sent(), "\r");
    EXPECT_TRUE(f.Timer2.enabled());
    EXPECT_TRUE(f.cmdStart.enabled());
    EXPECT_EQ(f.cmdStart.caption(), "&Start Test");
    EXPECT_EQ(f.Term.text(), "");
}

TEST_F(Recogniser, CaseAndBlanksMatterExactly)
{
    for (const char* text : {"ring", "Ring", "configpoints_button_Click()", "Open_kx9_button_Click()",
                             "writemask_textbox.Text = \"00000001\"", "no carrier", "disconnect"}) {
        f.Term.setText(text);
        EXPECT_EQ(f.Term.text(), text);
    }
    EXPECT_TRUE(driver.calls().empty());
    EXPECT_EQ(h.sent(), "");
}

TEST_F(Recogniser, TheWriteCommandsSetTheMaskWriteAndReadBack)
{
    h.openAndConfigure();
    driver.scriptRead(kPassPattern);
    driver.scriptRead(kLowPattern);
    receive("writemask_textbox.Text =\"00000001\"");
    EXPECT_EQ(f.writemask_textbox.text(), "00000001");
    EXPECT_EQ(driver.calls(), (std::vector<Call>{{EntryPoint::Direct_Packed_Update, {1, 0, 1}},
                                                 {EntryPoint::Direct_Packed_Read, {1, 0, 0}}}));
    EXPECT_EQ(f.txtPassed.text(), "1");
    EXPECT_EQ(h.sent(), "FF00FF03\r");
    EXPECT_EQ(f.Term.text(), "");

    receive("writemask_textbox.Text =\"00000000\"");
    EXPECT_EQ(f.writemask_textbox.text(), "00000000");
    EXPECT_EQ(driver.calls()[2], (Call{EntryPoint::Direct_Packed_Update, {1, 0, 0}}));
    EXPECT_EQ(h.sent(), "FF00FF02\r");
    EXPECT_EQ(f.Text2.backColor(), colors::red);
}

TEST_F(Recogniser, ARemoteCommandWithAnUnreadableFieldIsRefusedQuietlyAndTheRowGoesOn)
{
    f.open_kx9_button.click();
    f.busnumber_textbox.setText("two");
    driver.clearCalls();
    receive("configpoints_button_Click ()");
    EXPECT_TRUE(driver.calls().empty());
    EXPECT_TRUE(h.platform.boxes.empty());
    EXPECT_EQ(h.sent(), "\r");
    EXPECT_TRUE(f.Timer2.enabled());
    EXPECT_EQ(f.Term.text(), "");
}

TEST_F(Recogniser, CloseWithNoAdapterOpenOnlyClears)
{
    receive("closeadapter_button_Click ()");
    EXPECT_EQ(f.Term.text(), "");
    EXPECT_TRUE(driver.calls().empty());
}

TEST_F(Recogniser, AClearingRowEmptiesTheTextForTheRowsAfterIt)
{
    f.Timer2.setEnabled(false);
    receive("\r\nRING\r\nconfigpoints_button_Click ()");
    EXPECT_EQ(driver.callsOf(EntryPoint::Direct_Packed_Config).size(), 1u);
    EXPECT_EQ(h.sent(), "\r"); // no at&s0=1: row 6 found an empty terminal
    EXPECT_TRUE(f.Timer2.enabled());
    EXPECT_EQ(f.Term.text(), "");
}

TEST_F(Recogniser, EachRingReportStopsThePollAndAsksOnceHoweverLongItStays)
{
    f.Timer2.setEnabled(true);
    receive("\r\nRI");
    receive("NG\r\n");
    EXPECT_FALSE(f.Timer2.enabled());
    EXPECT_EQ(h.sent(), "at&s0=1\r");
    EXPECT_EQ(f.Term.text(), "\r\nRING\r\n");

    // The modem's echo and its answer leave the report in view: it acts no more.
    f.Timer2.setEnabled(true);
    receive("at&s0=1\r");
    receive("\r\nOK\r\n");
    EXPECT_EQ(h.sent(), "");
    EXPECT_TRUE(f.Timer2.enabled());

    // Every new report gets its own command, two in one piece two.
    receive("\r\nRING\r\n");
    EXPECT_FALSE(f.Timer2.enabled());
    EXPECT_EQ(h.sent(), "at&s0=1\r");
    receive("RING RING");
    EXPECT_EQ(h.sent(), "at&s0=1\rat&s0=1\r");
    // After a clearing row a report is new again.
    receive("closeadapter_button_Click ()");
    receive("RING");
    EXPECT_EQ(h.sent(), "at&s0=1\r");
}

TEST_F(Recogniser, ARingArrivingAsTheTerminalIsTrimmedStillGetsItsCommand)
{
    receive("RING");
    h.sent();
    receive(std::string(16380, '.'));
    EXPECT_EQ(h.sent(), "");
    // The pane reached 16384: its first 4096 characters, the old RING among them, go first.
    receive("RING");
    EXPECT_EQ(f.Term.text().find("RING"), f.Term.text().size() - 4);
    EXPECT_EQ(h.sent(), "at&s0=1\r");
}

TEST_F(Recogniser, NoCarrierHangsUpClearsAndStopsAnswering)
{
    receive("\r\nNO CARRIER\r\n");
    EXPECT_EQ(h.sent(), "ath0\rat&s0=0\r");
    EXPECT_EQ(f.Term.text(), "");
}

TEST_F(Recogniser, DisconnectEscapesBetweenGuardTimesThenHangsUpOnce)
{
    h.line->setWaitingToSend(40); // a status line still on its way out
    receive("Disconnect");
    h.platform.advance(300);
    h.line->setWaitingToSend(0);
    const double quietFrom = h.platform.nowMs();

    std::vector<std::pair<double, std::string>> sends;
    for (int ms = 0; ms < 4000; ms += 10) {
        h.platform.advance(10);
        if (std::string s = h.sent(); !s.empty())
            sends.emplace_back(h.platform.nowMs(), s);
    }
    ASSERT_EQ(sends.size(), 2u);
    EXPECT_EQ(sends[0].second, "+++");
    EXPECT_GE(sends[0].first - quietFrom, 1000);
    EXPECT_EQ(sends[1].second, "ath0\rat&s0=0\r");
    EXPECT_GE(sends[1].first - sends[0].first, 1000);

    // The report stays in the terminal and acts no more.
    receive("\r\nOK\r\n");
    h.platform.advance(4000);
    EXPECT_EQ(h.sent(), "");
    EXPECT_EQ(f.Term.text(), "Disconnect\r\nOK\r\n");

    // A line that never drains holds the next hang-up back for a while, not for good.
    h.line->setWaitingToSend(100);
    receive("Disconnect");
    h.platform.advance(ModemHangUp::kDrainLimitMs + ModemHangUp::kGuardMs + 100);
    EXPECT_EQ(h.sent(), "+++");
}

TEST_F(Recogniser, DuringTheHangUpCommandsRunButNothingElseGoesOutAndNoCarrierEndsIt)
{
    receive("Disconnect");
    h.platform.advance(500);
    receive("configpoints_button_Click ()");
    EXPECT_EQ(driver.callsOf(EntryPoint::Direct_Packed_Config).size(), 1u);
    EXPECT_TRUE(f.Timer2.enabled());
    f.Timer2.setEnabled(false);
    f.Term.type("x");
    receive("Disconnect"); // a second report while the first is served starts nothing more
    EXPECT_EQ(h.sent(), "");
    h.platform.advance(5000);
    EXPECT_EQ(h.sent(), "+++ath0\rat&s0=0\r");

    // The modem's "NO CARRIER" answers the bench's own hang-up: nothing goes out a second time.
    receive("\r\nNO CARRIER\r\n");
    EXPECT_EQ(h.sent(), "");
    // The caller hangs up first: the modem is in command mode already, the hang-up goes at once.
    receive("Disconnect");
    h.platform.advance(500);
    receive("\r\nNO CARRIER\r\n");
    EXPECT_EQ(h.sent(), "ath0\rat&s0=0\r");
    h.platform.advance(5000);
    EXPECT_EQ(h.sent(), "");
}

TEST_F(Recogniser, TypedKeysGoOutWhileThePortIsOpenAndShowOnlyWhenEchoed)
{
    f.Term.type("RING");
    EXPECT_EQ(h.sent(), "RING");
    EXPECT_EQ(f.Term.text(), "");
}

TEST(RecogniserPortClosed, TypingLocallyActsLikeReceivedTextButSendsNothing)
{
    BenchHarness h(false);
    Packed_Form& f = *h.form;
    h.platform.boxes.clear();
    f.Timer2.setEnabled(true);
    f.Term.type("RIN");
    EXPECT_TRUE(f.Timer2.enabled());
    f.Term.type("G");
    EXPECT_EQ(f.Term.text(), "RING");
    EXPECT_FALSE(f.Timer2.enabled());

    f.Term.type("open_kx9_button_Click()");
    EXPECT_EQ(h.driver.calls(), (std::vector<Call>{{EntryPoint::KX9_Open, {0, 544}}}));
    EXPECT_EQ(f.Term.text(), "");
    EXPECT_EQ(h.line->sent(), "");
    EXPECT_TRUE(h.platform.boxes.empty());
}
