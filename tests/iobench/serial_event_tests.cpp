// The bench's modem port: opening at load, and the serial events with the bench's own
// differences from the car terminals (ONLINE on DSR, an overrun reported, not recovered).
#include "tests/iobench/BenchTest.h"
#include "carterm/CommEventTable.h"
#include "serial/CommEvents.h"

#include <gtest/gtest.h>

using namespace toolkit;
using namespace iobench;

TEST(BenchPort, AFailedOpenAtLoadIsToldAndTheBenchWorksWithoutIt)
{
    BenchHarness h(false);
    ASSERT_EQ(h.platform.boxes.size(), 1u);
    const std::string& text = h.platform.boxes[0].text;
    EXPECT_NE(text.find("COM3"), std::string::npos) << text;
    EXPECT_NE(text.find("No such file"), std::string::npos);
    EXPECT_EQ(h.platform.boxes[0].icon, MsgIcon::Exclamation);
    EXPECT_FALSE(h.form->MSComm1.portOpen());
    EXPECT_FALSE(h.platform.ended);

    h.form->open_kx9_button.click();
    EXPECT_FALSE(h.form->open_kx9_button.enabled());
}

using BenchEvents = BenchTest;

TEST_F(BenchEvents, DsrShowsOnTheStatusLineAndSaysOnline)
{
    h.line->raiseEvent(serial::comEvDSR);
    EXPECT_EQ(f.Label1.caption(), "Change in DSR Detected");
    EXPECT_EQ(h.sent(), "ONLINE\r");
    h.line->raiseEvent(serial::comEvRing);
    EXPECT_EQ(f.Label1.caption(), "The Phone is Ringing");
    h.line->raiseEvent(serial::comEventRxParity);
    EXPECT_EQ(f.Label1.caption(), "Parity Error");
    EXPECT_EQ(h.sent(), "");
    EXPECT_TRUE(h.platform.boxes.empty());
}

TEST_F(BenchEvents, AnOverrunIsAnAlertNotARecovery)
{
    h.line->raiseEvent(serial::comEventOverrun);
    ASSERT_EQ(h.platform.boxes.size(), 1u);
    EXPECT_EQ(h.platform.boxes[0].text, "Overrun Error");
    EXPECT_EQ(h.platform.boxes[0].title, carterm::kAlertTitle);
    EXPECT_EQ(h.platform.beeps, 1);
    EXPECT_EQ(h.sent(), ""); // no "install"
    EXPECT_EQ(h.line->openCount(), 1);
    EXPECT_TRUE(f.MSComm1.portOpen());
}

TEST_F(BenchEvents, CancelInAnAlertClosesTheLinkForGood)
{
    h.platform.answer(MsgResult::Cancel);
    h.line->raiseEvent(serial::comEventCTSTO);
    EXPECT_EQ(h.platform.boxes.at(0).text, "CTS Timeout");
    EXPECT_FALSE(f.MSComm1.portOpen());
    EXPECT_FALSE(f.MSComm1.awaitingReconnect());
    // Remote commands typed locally still run; nothing is sent.
    f.Term.type("configpoints_button_Click ()");
    EXPECT_TRUE(f.Timer2.enabled());
    EXPECT_EQ(h.line->sent(), "");
}

TEST_F(BenchEvents, LosingTheModemIsToldAndTheBenchGoesOn)
{
    h.line->loseDevice();
    ASSERT_EQ(h.platform.boxes.size(), 1u);
    EXPECT_NE(h.platform.boxes[0].text.find("COM3"), std::string::npos) << h.platform.boxes[0].text;
    EXPECT_FALSE(f.MSComm1.portOpen());
    f.Term.type("x");
    EXPECT_EQ(f.Term.text(), "x");

    // Plugged in again: open once more, and the status line says so.
    h.line->plugBack();
    EXPECT_TRUE(f.MSComm1.portOpen());
    EXPECT_EQ(f.Label1.caption(), "COM3 reconnected");
    EXPECT_EQ(h.platform.boxes.size(), 1u);
}

TEST_F(BenchEvents, ReceivedTextIsNormalisedIntoTheTerminal)
{
    h.line->feed("AB\n\rC");
    EXPECT_EQ(f.Term.text(), "AB\r\nC");
    h.line->feed("\bD");
    EXPECT_EQ(f.Term.text(), "AB\r\nD");
}
