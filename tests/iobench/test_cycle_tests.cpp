// The test panel: Start/Stop, the status poll, the evaluation of every new status (passes, the
// input lamp, the status line to the remote end) and the write/read cycle.
#include "tests/iobench/BenchTest.h"

#include <gtest/gtest.h>

using namespace toolkit;
using namespace iobench;
using Call = FakeDriverCall;

namespace {
struct TestCycle : BenchTest {
    void SetUp() override { h.openAndConfigure(); }
    size_t reads() const { return driver.callsOf(EntryPoint::Direct_Packed_Read).size(); }
};
} // namespace

TEST_F(TestCycle, StartRunsOnlyThePollAndStopEndsEveryTimer)
{
    EXPECT_TRUE(f.cmdStart.enabled());
    f.cmdStart.click();
    EXPECT_EQ(f.cmdStart.caption(), "&Stop Test");
    EXPECT_TRUE(f.Timer2.enabled());
    EXPECT_FALSE(f.Timer1.enabled());
    EXPECT_FALSE(f.Timer3.enabled());

    h.platform.advance(499);
    EXPECT_EQ(reads(), 0u);
    h.platform.advance(1);
    EXPECT_EQ(reads(), 1u);
    EXPECT_EQ(driver.calls().back(), (Call{EntryPoint::Direct_Packed_Read, {1, 0, 0}}));
    h.platform.advance(1000);
    EXPECT_EQ(reads(), 3u);
    EXPECT_EQ(f.txtAtemps.text(), ""); // the write step never ran
    EXPECT_TRUE(driver.callsOf(EntryPoint::Direct_Packed_Update).empty());

    f.Timer1.setEnabled(true);
    f.Timer3.setEnabled(true);
    f.cmdStart.click();
    EXPECT_EQ(f.cmdStart.caption(), "&Start Test");
    EXPECT_FALSE(f.Timer1.enabled() || f.Timer2.enabled() || f.Timer3.enabled());
    h.platform.advance(2000);
    EXPECT_EQ(reads(), 3u);
}

TEST_F(TestCycle, ANewStatusIsSentTwiceAndAnUnchangedOneOnce)
{
    driver.scriptRead(kLowPattern);
    driver.scriptRead(kLowPattern);
    driver.scriptRead(kPassPattern);
    f.cmdStart.click();
    h.platform.advance(500);
    EXPECT_EQ(h.sent(), "FF00FF02\rFF00FF02\r");
    h.platform.advance(500);
    EXPECT_EQ(h.sent(), "FF00FF02\r");
    h.platform.advance(500);
    EXPECT_EQ(h.sent(), "FF00FF03\rFF00FF03\r");
}

TEST_F(TestCycle, APassCountsOncePerChangeToThePassPattern)
{
    for (int32_t v : {kPassPattern, kPassPattern, kLowPattern, kPassPattern})
        driver.scriptRead(v);
    f.cmdStart.click();
    h.platform.advance(500);
    EXPECT_EQ(f.pass_count, 1);
    EXPECT_EQ(f.txtPassed.text(), "1");
    EXPECT_EQ(h.platform.beeps, 1);
    h.platform.advance(500); // the same reading again: no change, no pass
    EXPECT_EQ(f.txtPassed.text(), "1");
    h.platform.advance(1000); // something else in between makes the next one count
    EXPECT_EQ(f.txtPassed.text(), "2");
    EXPECT_EQ(h.platform.beeps, 2);

    // Counts go on over stops and starts.
    f.cmdStart.click();
    f.cmdStart.click();
    driver.scriptRead(3);
    driver.scriptRead(kPassPattern);
    h.platform.advance(1000);
    EXPECT_EQ(f.txtPassed.text(), "3");
}

TEST_F(TestCycle, NoPassWithoutTheExactConfigMaskText)
{
    for (const char* mask : {"1", "00000001 ", " 00000001", "000000001"}) {
        f.configmask_textbox.setText(mask);
        f.iostatus_textbox.setText("0");
        f.iostatus_textbox.setText("FF00FF03");
        EXPECT_EQ(f.pass_count, 0) << '"' << mask << '"';
    }
    EXPECT_EQ(f.txtPassed.text(), "");
    // A read, a write's read-back and a remote write evaluate the same way.
    f.configmask_textbox.setText("00000001");
    f.iostatus_textbox.setText("0");
    driver.scriptRead(kPassPattern);
    f.readio_button.click();
    EXPECT_EQ(f.txtPassed.text(), "1");
}

TEST_F(TestCycle, TheInputLampIsRedExactlyWhenTheStatusEndsIn02)
{
    f.iostatus_textbox.setText("FF00FF02");
    EXPECT_EQ(f.Text2.backColor(), colors::red);
    EXPECT_EQ(f.Text2.backColor().value(), 255);
    f.iostatus_textbox.setText("FF00FF03");
    EXPECT_EQ(f.Text2.backColor(), colors::white);
    EXPECT_EQ(f.Text2.backColor().value(), 16777215);
    f.iostatus_textbox.setText("102");
    EXPECT_EQ(f.Text2.backColor(), colors::red);
    f.iostatus_textbox.setText("2"); // a 2 shown as "2" does not end in "02"
    EXPECT_EQ(f.Text2.backColor(), colors::white);
}

TEST_F(TestCycle, AFailedPollChangesNothingAndSendsNothing)
{
    driver.scriptRead(kLowPattern);
    f.cmdStart.click();
    h.platform.advance(500);
    h.sent();
    const long passes = f.pass_count;

    driver.scriptResult(EntryPoint::Direct_Packed_Read, 6);
    driver.scriptRead(kPassPattern);
    h.platform.advance(500);
    EXPECT_EQ(f.iostatus_textbox.text(), "FF00FF02");
    EXPECT_EQ(f.Text2.backColor(), colors::red);
    EXPECT_EQ(f.pass_count, passes);
    EXPECT_EQ(f.last_error, 6);
    EXPECT_EQ(h.sent(), "");
    EXPECT_TRUE(h.platform.boxes.empty());
    // Polling goes on.
    h.platform.advance(500);
    EXPECT_EQ(f.iostatus_textbox.text(), "FF00FF03");
}

TEST_F(TestCycle, WithThePortClosedTheStatusIsEvaluatedButNotSent)
{
    f.MSComm1.setPortOpen(false);
    driver.scriptRead(kPassPattern);
    f.cmdStart.click();
    h.platform.advance(1000);
    EXPECT_EQ(f.txtPassed.text(), "1");
    EXPECT_EQ(h.line->sent(), "");
}

TEST_F(TestCycle, CloseDuringARunKeepsTheStopCaptionForTheNextPress)
{
    f.cmdStart.click();
    f.closeadapter_button.click();
    EXPECT_FALSE(f.Timer2.enabled());
    EXPECT_EQ(f.cmdStart.caption(), "&Stop Test");
    f.open_kx9_button.click();
    f.configpoints_button.click();
    f.cmdStart.click(); // the stop branch
    EXPECT_EQ(f.cmdStart.caption(), "&Start Test");
    EXPECT_FALSE(f.Timer2.enabled());
}

TEST_F(TestCycle, ABadBusFieldStopsThePollWithOneBoxNotOneATick)
{
    f.cmdStart.click();
    f.busnumber_textbox.setText("bus 0");
    h.platform.advance(5000);
    EXPECT_EQ(h.platform.boxes.size(), 1u);
    EXPECT_EQ(reads(), 0u);
    f.busnumber_textbox.setText("0");
    h.platform.advance(500);
    EXPECT_EQ(reads(), 1u);
    // Told again after it had been mended.
    f.busnumber_textbox.setText("bus 0");
    h.platform.advance(1000);
    EXPECT_EQ(h.platform.boxes.size(), 2u);
}

TEST_F(TestCycle, TheWriteStepAndTheReadAndResetStepRunWhenTimer1Is)
{
    driver.scriptRead(kPassPattern);
    f.Timer1.setEnabled(true);
    h.platform.advance(400);
    EXPECT_EQ(h.platform.beeps, 1);
    EXPECT_EQ(driver.calls().back(), (Call{EntryPoint::Direct_Packed_Update, {1, 0, 1}}));
    EXPECT_EQ(f.Text1.backColor(), colors::red);
    EXPECT_EQ(f.txtAtemps.text(), "1");
    EXPECT_TRUE(f.Timer3.enabled());

    h.platform.advance(200);
    const auto& calls = driver.calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[calls.size() - 2], (Call{EntryPoint::Direct_Packed_Read, {1, 0, 0}}));
    EXPECT_EQ(calls.back(), (Call{EntryPoint::Direct_Packed_Update, {1, 0, 0}}));
    EXPECT_EQ(f.output_value, 0);
    EXPECT_EQ(f.iostatus_textbox.text(), "FF00FF03");
    EXPECT_EQ(f.txtPassed.text(), "1");
    EXPECT_EQ(f.Text1.backColor(), colors::white);
    EXPECT_FALSE(f.Timer3.enabled());
    // The read-and-reset step does not send the status line itself; the evaluation does.
    EXPECT_EQ(h.sent(), "FF00FF03\r");
}

TEST_F(TestCycle, TheThousandthAttemptStopsTheTestAndOneLastResetFollows)
{
    f.cmdStart.click();
    f.Timer1.setEnabled(true);
    f.attempt_count = 999;
    h.platform.advance(400);
    EXPECT_EQ(f.txtAtemps.text(), "1000");
    EXPECT_EQ(f.cmdStart.caption(), "&Start Test");
    EXPECT_FALSE(f.Timer1.enabled());
    EXPECT_FALSE(f.Timer2.enabled());
    EXPECT_TRUE(f.Timer3.enabled());
    h.platform.advance(200);
    EXPECT_EQ(driver.calls().back(), (Call{EntryPoint::Direct_Packed_Update, {1, 0, 0}}));
    EXPECT_FALSE(f.Timer3.enabled());
    const size_t callsAfter = driver.calls().size();
    h.platform.advance(5000);
    EXPECT_EQ(driver.calls().size(), callsAfter);
}
