// The bench window's adapter operations: what each passes to the driver, the two window states,
// the Driver Errors box, and how unreadable fields and a missing driver are refused.
#include "tests/iobench/BenchTest.h"
#include "toolkit/Geometry.h"

#include <QWidget>
#include <gtest/gtest.h>

using namespace toolkit;
using namespace iobench;
using Call = FakeDriverCall;

namespace {

struct Bench : BenchTest {

    // The controls whose enabled state the open and closed states set.
    std::vector<Control*> openGroup()
    {
        return {&f.openadapter_frame, &f.openadapter_label, &f.boardid_textbox, &f.openadapter_button,
                &f.open_kx9_button};
    }
    std::vector<Control*> adapterGroup()
    {
        return {&f.selectbus_frame, &f.selectbus_label, &f.busnumber_textbox, &f.configpoint_frame,
                &f.configpoint_label, &f.configmask_textbox, &f.configpoints_button, &f.momoio_frame,
                &f.momoio_label1, &f.momoio_label2, &f.muston_textbox, &f.mustoff_textbox, &f.momo_button,
                &f.writeio_frame, &f.writeio_label, &f.writemask_textbox, &f.writeio_button, &f.readio_label,
                &f.iostatus_textbox, &f.readio_frame, &f.readio_button, &f.closeadapter_frame,
                &f.closeadapter_button};
    }
    // Frames and controls no state change touches.
    std::vector<Control*> fixedGroup()
    {
        return {&f.drivererror_frame, &f.Label7, &f.clearerror_button, &f.Special_Frame, &f.enabledebug_button,
                &f.disabledebug_button, &f.Frame1, &f.Term, &f.Exit, &f.Exit_Packed, &f.Label1};
    }
    void expectState(bool adapterOpen)
    {
        for (Control* c : openGroup())
            EXPECT_EQ(c->enabled(), !adapterOpen) << c->name();
        for (Control* c : adapterGroup())
            EXPECT_EQ(c->enabled(), adapterOpen) << c->name();
        for (Control* c : fixedGroup())
            EXPECT_TRUE(c->enabled()) << c->name();
        EXPECT_FALSE(f.errormessage_textbox.enabled());
    }
};

} // namespace

TEST_F(Bench, StartsClosedWithTheBuiltInTextsAndTheModemPortOpen)
{
    EXPECT_EQ(f.caption(), "Packed Example");
    expectState(false);
    EXPECT_FALSE(f.cmdStart.enabled());
    EXPECT_EQ(f.cmdStart.caption(), "&Start Test");
    EXPECT_EQ(f.boardid_textbox.text(), "220");
    EXPECT_EQ(f.busnumber_textbox.text(), "0");
    EXPECT_EQ(f.configmask_textbox.text(), "00000001");
    for (TextBox* box : {&f.writemask_textbox, &f.iostatus_textbox, &f.muston_textbox, &f.mustoff_textbox,
                         &f.errormessage_textbox, &f.Term, &f.txtAtemps, &f.txtPassed})
        EXPECT_EQ(box->text(), "") << box->name();
    EXPECT_EQ(f.Label1.caption(), "Label1");
    EXPECT_EQ(f.Text1.backColor(), colors::white);
    EXPECT_EQ(f.Text2.backColor(), colors::white);
    EXPECT_FALSE(f.Timer1.enabled() || f.Timer2.enabled() || f.Timer3.enabled());
    EXPECT_EQ(f.Timer1.interval(), 400);
    EXPECT_EQ(f.Timer2.interval(), 500);
    EXPECT_EQ(f.Timer3.interval(), 200);

    EXPECT_TRUE(f.MSComm1.portOpen());
    EXPECT_EQ(f.MSComm1.commPort(), 3);
    EXPECT_EQ(f.MSComm1.settings(), "9600,n,8,1");
    EXPECT_EQ(f.MSComm1.inBufferSize(), 1024);
    EXPECT_EQ(f.MSComm1.outBufferSize(), 512);
    // Loading opens the port and does nothing else: no driver call, nothing sent.
    EXPECT_TRUE(driver.calls().empty());
    EXPECT_TRUE(h.platform.boxes.empty());
}

// Every control can be seen: it lies inside the frame or the window that holds it, and Start,
// which stands on the window over the Test frame, is drawn over it, not under.
TEST_F(Bench, EveryControlLiesInsideWhatHoldsItAndStartIsDrawnOverTheTestFrame)
{
    for (Control* c : f.controls()) {
        if (QWidget* w = c->widget(); w && w->parentWidget())
            EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << c->name();
    }
    EXPECT_EQ(f.cmdStart.widget()->parentWidget(), f.host());
    EXPECT_TRUE(f.Frame1.widget()->geometry().intersects(f.cmdStart.widget()->geometry()));
    const auto& stack = f.host()->children();
    EXPECT_GT(stack.indexOf(f.cmdStart.widget()), stack.indexOf(f.Frame1.widget()));
}

TEST_F(Bench, OpenPciKx9PassesTheHexBoardIdAndMovesToTheOpenState)
{
    driver.handleToGive = 7;
    f.openadapter_button.click();
    ASSERT_EQ(driver.calls().size(), 1u);
    EXPECT_EQ(driver.calls()[0], (Call{EntryPoint::PCIKX9_Open, {0, 544}}));
    EXPECT_EQ(f.adapter_handle, 7);
    EXPECT_EQ(f.board_address, 544);
    expectState(true);
    EXPECT_FALSE(f.cmdStart.enabled()); // only Config Points enables Start
    EXPECT_TRUE(f.openadapter_button.visible());
    EXPECT_TRUE(f.selectbus_frame.visible());
    EXPECT_EQ(f.errormessage_textbox.text(), "0");

    // The handle is passed to every later call, and FFFF would have gone as -1.
    f.readio_button.click();
    EXPECT_EQ(driver.calls().back(), (Call{EntryPoint::Direct_Packed_Read, {7, 0, 0}}));
}

TEST_F(Bench, AFailedOpenStoresTheResultAndChangesNothingElse)
{
    driver.scriptResult(EntryPoint::KX9_Open, 6);
    f.boardid_textbox.setText("FFFF");
    f.open_kx9_button.click();
    EXPECT_EQ(driver.calls().back(), (Call{EntryPoint::KX9_Open, {0, -1}}));
    EXPECT_EQ(f.last_error, 6);
    EXPECT_EQ(f.errormessage_textbox.text(), "6");
    EXPECT_EQ(f.adapter_handle, 0);
    expectState(false);
    EXPECT_TRUE(f.openadapter_button.visible());
    EXPECT_TRUE(h.platform.boxes.empty());
}

TEST_F(Bench, OpenKx9HidesThePciButtonAndTheBusChoiceForGood)
{
    f.open_kx9_button.click();
    expectState(true);
    EXPECT_FALSE(f.openadapter_button.visible());
    EXPECT_FALSE(f.selectbus_frame.visible());
    EXPECT_FALSE(f.selectbus_label.visible());
    EXPECT_FALSE(f.busnumber_textbox.visible());
    // Hidden but enabled, the bus box still supplies the bus number.
    EXPECT_TRUE(f.busnumber_textbox.enabled());
    f.busnumber_textbox.setText("1");
    f.configpoints_button.click();
    EXPECT_EQ(driver.calls().back(), (Call{EntryPoint::Direct_Packed_Config, {1, 1, 1}}));

    f.closeadapter_button.click();
    expectState(false);
    EXPECT_FALSE(f.openadapter_button.visible());
    EXPECT_FALSE(f.selectbus_frame.visible());
    EXPECT_TRUE(f.open_kx9_button.enabled());
    // The open button is enabled by the closed state but stays out of reach.
    EXPECT_TRUE(f.openadapter_button.enabled());
    driver.clearCalls();
    f.openadapter_button.click();
    EXPECT_TRUE(driver.calls().empty());
}

TEST_F(Bench, ConfigPointsReadsTheMaskAsDecimalAndEnablesStartEvenOnFailure)
{
    f.open_kx9_button.click();
    f.configmask_textbox.setText("00000011");
    driver.scriptResult(EntryPoint::Direct_Packed_Config, 2);
    f.configpoints_button.click();
    EXPECT_EQ(driver.calls().back(), (Call{EntryPoint::Direct_Packed_Config, {1, 0, 11}}));
    EXPECT_EQ(f.config_mask, 11);
    EXPECT_EQ(f.last_error, 2);
    EXPECT_TRUE(f.cmdStart.enabled());

    f.configmask_textbox.setText("00000101");
    f.configpoints_button.click();
    EXPECT_EQ(driver.calls().back(), (Call{EntryPoint::Direct_Packed_Config, {1, 0, 101}}));
    EXPECT_EQ(f.last_error, 0);
}

TEST_F(Bench, ReadShowsTheValueAndAFailedReadKeepsTheStatus)
{
    f.open_kx9_button.click();
    driver.scriptRead(3);
    f.readio_button.click();
    EXPECT_EQ(f.iostatus_textbox.text(), "3");
    driver.scriptRead(kPassPattern);
    f.readio_button.click();
    EXPECT_EQ(f.iostatus_textbox.text(), "FF00FF03");

    driver.scriptResult(EntryPoint::Direct_Packed_Read, 6);
    driver.scriptRead(5);
    f.readio_button.click();
    EXPECT_EQ(f.iostatus_textbox.text(), "FF00FF03");
    EXPECT_EQ(f.last_error, 6);
    EXPECT_EQ(f.errormessage_textbox.text(), "6");
}

TEST_F(Bench, WriteReadsBackWhateverTheWriteGaveAndKeepsTheReadsResult)
{
    f.open_kx9_button.click();
    f.writemask_textbox.setText("00000001");
    driver.scriptResult(EntryPoint::Direct_Packed_Update, 6);
    driver.scriptRead(kPassPattern);
    driver.clearCalls();
    f.writeio_button.click();
    ASSERT_EQ(driver.calls().size(), 2u);
    EXPECT_EQ(driver.calls()[0], (Call{EntryPoint::Direct_Packed_Update, {1, 0, 1}}));
    EXPECT_EQ(driver.calls()[1], (Call{EntryPoint::Direct_Packed_Read, {1, 0, 0}}));
    EXPECT_EQ(f.output_value, 1);
    EXPECT_EQ(f.last_error, 0);
    EXPECT_EQ(f.iostatus_textbox.text(), "FF00FF03");
}

TEST_F(Bench, MomoPassesTheMasksLastUsedWhenTheFieldsAreEmpty)
{
    f.open_kx9_button.click();
    driver.clearCalls();
    f.momo_button.click();
    EXPECT_EQ(driver.calls().back(), (Call{EntryPoint::Direct_Packed_MOMO, {1, 0, 0, 0}}));

    f.muston_textbox.setText("FFFF");
    f.mustoff_textbox.setText("10000");
    f.momo_button.click();
    EXPECT_EQ(driver.calls().back(), (Call{EntryPoint::Direct_Packed_MOMO, {1, 0, -1, 65536}}));

    f.muston_textbox.setText("");
    f.mustoff_textbox.setText("FF");
    f.momo_button.click();
    EXPECT_EQ(driver.calls().back(), (Call{EntryPoint::Direct_Packed_MOMO, {1, 0, -1, 255}}));
    EXPECT_EQ(f.iostatus_textbox.text(), ""); // nothing is displayed
}

TEST_F(Bench, TheDebugSwitchesWorkWithNoAdapterAndLeaveTheLastErrorAlone)
{
    driver.scriptResult(EntryPoint::KX9_Open, 4);
    f.open_kx9_button.click();
    driver.scriptResult(EntryPoint::Enable_Debug, 9);
    f.enabledebug_button.click();
    f.disabledebug_button.click();
    EXPECT_EQ(driver.callsOf(EntryPoint::Enable_Debug).size(), 1u);
    EXPECT_EQ(driver.callsOf(EntryPoint::Disable_Debug).size(), 1u);
    EXPECT_EQ(f.last_error, 4);
    EXPECT_EQ(f.errormessage_textbox.text(), "4");
}

TEST_F(Bench, CloseStopsThePollAndOnlyASuccessfulCloseGoesBackToClosed)
{
    h.openAndConfigure();
    f.cmdStart.click();
    ASSERT_TRUE(f.Timer2.enabled());

    driver.scriptResult(EntryPoint::Close, 6);
    f.closeadapter_button.click();
    EXPECT_FALSE(f.Timer2.enabled());
    EXPECT_EQ(f.last_error, 6);
    expectState(true);
    EXPECT_TRUE(f.cmdStart.enabled());

    f.closeadapter_button.click();
    EXPECT_EQ(driver.calls().back(), (Call{EntryPoint::Close, {1}}));
    expectState(false);
    EXPECT_FALSE(f.cmdStart.enabled());
    EXPECT_EQ(f.cmdStart.caption(), "&Stop Test");
    EXPECT_EQ(f.adapter_handle, 1); // never cleared

    // Typed texts survive the state changes.
    EXPECT_EQ(f.configmask_textbox.text(), "00000001");
}

TEST_F(Bench, ClearLastErrorEmptiesTheBoxAndTheNumber)
{
    driver.scriptResult(EntryPoint::PCIKX9_Open, 5);
    f.openadapter_button.click();
    EXPECT_EQ(f.errormessage_textbox.text(), "5");
    f.clearerror_button.click();
    EXPECT_EQ(f.last_error, 0);
    EXPECT_EQ(f.errormessage_textbox.text(), "");
}

TEST_F(Bench, ExitPackedClosesThePortAndTheAdapterEvenWithNoneOpenThenEnds)
{
    driver.setStandingResult(EntryPoint::Close, 1);
    f.Exit_Packed.click();
    EXPECT_FALSE(f.MSComm1.portOpen());
    EXPECT_EQ(driver.calls(), (std::vector<Call>{{EntryPoint::Close, {0}}}));
    EXPECT_TRUE(h.platform.ended);
    EXPECT_TRUE(h.platform.boxes.empty());
}

TEST_F(Bench, ClosingTheWindowEndsTheProgramWithoutTheExitSteps)
{
    f.open_kx9_button.click();
    driver.clearCalls();
    f.unload();
    EXPECT_TRUE(h.platform.ended);
    EXPECT_TRUE(driver.calls().empty());
}

// --- Refusals -------------------------------------------------------------------------------

TEST_F(Bench, AnUnreadableFieldRefusesTheOperationWithABoxAndTouchesNothing)
{
    driver.scriptResult(EntryPoint::PCIKX9_Open, 3);
    f.openadapter_button.click(); // last_error 3, board_address 544
    driver.clearCalls();

    f.boardid_textbox.setText("10000");
    f.openadapter_button.click();
    ASSERT_EQ(h.platform.boxes.size(), 1u);
    const auto& box = h.platform.boxes[0];
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_NE(box.text.find("boardid_textbox"), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("\"10000\""), std::string::npos);
    EXPECT_NE(box.text.find("0 to FFFF"), std::string::npos);
    EXPECT_TRUE(driver.calls().empty());
    EXPECT_EQ(f.last_error, 3);
    EXPECT_EQ(f.board_address, 544);
    EXPECT_EQ(f.errormessage_textbox.text(), "3");
}

TEST_F(Bench, EveryOperationRefusesAllOrNothing)
{
    f.open_kx9_button.click();
    f.configpoints_button.click();
    driver.clearCalls();
    h.platform.boxes.clear();

    // A good bus with a bad mask leaves the bus number as it was too.
    f.busnumber_textbox.setText("1");
    f.configmask_textbox.setText("0000000x");
    f.configpoints_button.click();
    EXPECT_EQ(f.bus_number, 0);
    EXPECT_EQ(f.config_mask, 1);

    // The output mask starts empty: a write is refused until it is filled in.
    f.writeio_button.click();
    EXPECT_EQ(f.bus_number, 0);

    f.muston_textbox.setText("FF");
    f.mustoff_textbox.setText("nope");
    f.momo_button.click();
    EXPECT_EQ(f.must_on_mask, 0);

    f.busnumber_textbox.setText("99999");
    f.readio_button.click();

    EXPECT_TRUE(driver.calls().empty());
    ASSERT_EQ(h.platform.boxes.size(), 4u);
    EXPECT_NE(h.platform.boxes[0].text.find("configmask_textbox"), std::string::npos);
    EXPECT_NE(h.platform.boxes[1].text.find("writemask_textbox"), std::string::npos);
    EXPECT_NE(h.platform.boxes[2].text.find("mustoff_textbox"), std::string::npos);
    EXPECT_NE(h.platform.boxes[3].text.find("busnumber_textbox"), std::string::npos);
    EXPECT_NE(h.platform.boxes[3].text.find("-32768 to 32767"), std::string::npos);
    EXPECT_EQ(f.last_error, 0);
}

TEST_F(Bench, AMissingDriverIsToldAndTheOperationNotPerformed)
{
    driver.makeLibraryMissing();
    f.open_kx9_button.click();
    ASSERT_EQ(h.platform.boxes.size(), 1u);
    EXPECT_NE(h.platform.boxes[0].text.find("libKestrel.so"), std::string::npos);
    EXPECT_NE(h.platform.boxes[0].text.find("Kestrel_KX9_Open"), std::string::npos);
    expectState(false);
    EXPECT_EQ(f.last_error, DriverResult::kNotPerformed);
    EXPECT_EQ(f.errormessage_textbox.text(), "-1");
    EXPECT_FALSE(h.platform.ended);
}

TEST_F(Bench, AMissingEntryPointStopsTheOperationAtThatCall)
{
    f.open_kx9_button.click();
    f.writemask_textbox.setText("1");
    driver.makeMissing(EntryPoint::Direct_Packed_Update);
    driver.clearCalls();
    f.writeio_button.click();
    ASSERT_EQ(h.platform.boxes.size(), 1u);
    EXPECT_NE(h.platform.boxes[0].text.find("no entry point Kestrel_Direct_Packed_Update"), std::string::npos);
    // No read-back follows a write that was not made.
    EXPECT_EQ(driver.calls().size(), 1u);
    EXPECT_EQ(f.iostatus_textbox.text(), "");
}

TEST(BenchSimulatedAdapter, TheWindowSaysSoOnceTheSimulatorAnswersAndOnlyThen)
{
    for (bool simulated : {false, true}) {
        SCOPED_TRACE(simulated);
        BenchHarness h;
        Packed_Form& f = *h.form;
        h.driver.simulatedAdapter = simulated;
        EXPECT_FALSE(f.simulated_label.visible()); // nothing is loaded before the first call
        f.enabledebug_button.click();
        EXPECT_EQ(f.simulated_label.visible(), simulated);
        EXPECT_EQ(f.caption(), simulated ? "Packed Example (simulated adapter)" : "Packed Example");
        EXPECT_EQ(f.simulated_label.caption(), "SIMULATED ADAPTER");
    }
}
