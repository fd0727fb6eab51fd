// The command recogniser: what each string found in the terminal does, in which order, and how
// long a string keeps acting.
#include "BenchHarness.h"
#include "RemoteCommands.h"

#include <gtest/gtest.h>

using namespace toolkit;
using namespace iobench;
using Call = FakeDriverCall;

namespace {
struct Recogniser : ::testing::Test {
    BenchHarness h;
    Packed_Form& f = *h.form;
    FakeAdapterDriver& driver = h.driver;
    void SetUp() override { h.sent(); }
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

TEST_F(Recogniser, RingStopsThePollAndAsksAgainOnEveryChangeWhileItStays)
{
    f.Timer2.setEnabled(true);
    receive("\r\nRING\r\n");
    EXPECT_FALSE(f.Timer2.enabled());
    EXPECT_EQ(h.sent(), "at&s0=1\r");
    EXPECT_EQ(f.Term.text(), "\r\nRING\r\n");

    f.Timer2.setEnabled(true);
    receive("at&s0=1\r");
    EXPECT_FALSE(f.Timer2.enabled());
    EXPECT_EQ(h.sent(), "at&s0=1\r");
    receive("\r\nCONNECT 9600\r\n");
    EXPECT_EQ(h.sent(), "at&s0=1\r");
    // Until a clearing row takes it away.
    receive("closeadapter_button_Click ()");
    EXPECT_EQ(h.sent(), "");
    receive("x");
    EXPECT_EQ(h.sent(), "");
}

TEST_F(Recogniser, RingLeavesWithTheTrimmingOfTheTerminal)
{
    receive("RING");
    h.sent();
    receive(std::string(16380, '.'));
    EXPECT_EQ(h.sent(), "at&s0=1\r");
    receive("!"); // the pane reached 16384: its first 4096 characters, RING among them, go
    EXPECT_EQ(h.sent(), "");
}

TEST_F(Recogniser, NoCarrierHangsUpClearsAndStopsAnswering)
{
    receive("\r\nNO CARRIER\r\n");
    EXPECT_EQ(h.sent(), "ath0\rat&s0=0\r");
    EXPECT_EQ(f.Term.text(), "");
}

TEST_F(Recogniser, DisconnectHangsUpWithoutClearingAndKeepsActing)
{
    receive("Disconnect");
    EXPECT_EQ(h.sent(), "ath0\rat&s0=0\r");
    EXPECT_EQ(f.Term.text(), "Disconnect");
    receive("\r");
    EXPECT_EQ(h.sent(), "ath0\rat&s0=0\r");
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
