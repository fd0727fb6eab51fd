// cabtalk's serial path where it differs from carscope's: the port controls at load and on the
// toggle, the ring indication, the disabled file items, and the settings dialog that applies its
// values when it closes.
#include "tests/carterm/talk_harness.h"

#include "cabtalk/TalkConfigScrn.h"

#include <QApplication>
#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace toolkit;

namespace {
struct TalkLink : WindowTest<TalkWindowHarness> {

    carterm::TalkConfigScrn& openSettings()
    {
        f.MSettings.click();
        carterm::TalkConfigScrn* d = f.openSettingsDialog();
        if (!d)
            throw std::runtime_error("the settings dialog did not open");
        return *d;
    }
    void close(carterm::TalkConfigScrn& d) { d.frame()->close(); }
};
} // namespace

TEST(TalkLoad, OpensThePortAndSetsOnlyTheCheckMark)
{
    TalkWindowHarness h;
    EXPECT_EQ(h.sent(), "\r");
    EXPECT_TRUE(h.form->MOpen.checked());
    EXPECT_FALSE(h.form->MSendText.enabled());
    EXPECT_TRUE(h.form->Command6.enabled());
    EXPECT_EQ(h.form->MSComm1.settings(), "1200,n,8,1");
    EXPECT_EQ(h.form->txtbbt.text(), "");
    EXPECT_EQ(h.form->Text4.text(), "5");
    EXPECT_TRUE(h.form->Text5.visible());
    EXPECT_FALSE(h.form->Picture1.visible());
    EXPECT_TRUE(h.form->Timer4.enabled()); // the lamp reset runs once at start
    h.platform.advance(1);
    EXPECT_FALSE(h.form->Timer4.enabled());
}

TEST(TalkLoad, AFailedOpenIsShownAndOnlyTheCheckMarkFollows)
{
    TalkWindowHarness h(false);
    ASSERT_EQ(h.platform.boxes.size(), 1u);
    EXPECT_NE(h.platform.boxes[0].text.find("No such file"), std::string::npos);
    EXPECT_FALSE(h.form->MOpen.checked());
    EXPECT_TRUE(h.form->Command6.enabled());
    EXPECT_EQ(h.sent(), "");
}

TEST_F(TalkLink, TheFileMenuHasTheDisabledReplayItemAndTransmitNeverEnables)
{
    const auto& items = f.MFile.items();
    std::vector<std::string> captions;
    for (const auto& item : items)
        captions.push_back(item->caption());
    const std::vector<std::string> expected{"&Open Log File...", "&Close Log File", "Replay Log File",
                                            "&Transmit Text File...", "E&xit"};
    EXPECT_EQ(captions, expected);
    ASSERT_NE(f.MRplayLog, nullptr);
    EXPECT_EQ(f.MRplayLog->name(), "MRplayLog");
    EXPECT_FALSE(f.MRplayLog->enabled());
    // The replay item stands before the first separator, the transmit item after it.
    const auto actions = f.MFile.qmenu()->actions();
    ASSERT_GE(actions.size(), 4);
    EXPECT_EQ(actions[2], f.MRplayLog->action());
    EXPECT_TRUE(actions[3]->isSeparator());

    for (int i = 0; i < 2; ++i) {
        f.MOpen.click();
        EXPECT_FALSE(f.MSendText.enabled());
    }
    f.MSendText.click();
    f.MRplayLog->click();
    EXPECT_TRUE(h.platform.boxes.empty());
    EXPECT_TRUE(h.platform.fileRequests.empty());
}

TEST_F(TalkLink, TheToggleMovesOnlyTheCheckMark)
{
    f.Command6.click();
    ASSERT_EQ(f.caption(), "Stress Test");
    f.MOpen.click();
    EXPECT_FALSE(f.MSComm1.portOpen());
    EXPECT_FALSE(f.MOpen.checked());
    EXPECT_TRUE(f.Timer3.enabled());
    EXPECT_EQ(f.caption(), "Stress Test");
    EXPECT_TRUE(f.Command6.enabled());
    f.MOpen.click();
    EXPECT_TRUE(f.MSComm1.portOpen());
    EXPECT_TRUE(f.MOpen.checked());
    EXPECT_EQ(h.sent(), "");
}

TEST_F(TalkLink, ARingChangesNothingWhileOtherEventsStillReport)
{
    h.line->raiseEvent(3);
    EXPECT_EQ(f.Label1.caption(), "Change in CTS Detected");
    h.line->raiseEvent(6);
    EXPECT_EQ(f.Label1.caption(), "Change in CTS Detected");
    EXPECT_TRUE(f.eventMessage.empty());
    EXPECT_TRUE(h.platform.boxes.empty());
    EXPECT_EQ(h.platform.beeps, 0);
}

TEST_F(TalkLink, ARePluggedDeviceIsReopenedAndLivePollingGoesOn)
{
    f.Command1.click();
    h.line->loseDevice();
    EXPECT_FALSE(f.MOpen.checked());
    h.platform.advance(1000);
    h.sent();
    h.line->plugBack();
    EXPECT_TRUE(f.MOpen.checked());
    EXPECT_EQ(f.Label1.caption(), "COM1 reconnected");
    h.platform.advance(1000);
    EXPECT_NE(h.sent().find("pmii\r"), std::string::npos);
}

TEST_F(TalkLink, TheSettingsDialogShowsTheControlsValuesWithoutButtons)
{
    auto& d = openSettings();
    EXPECT_EQ(d.name(), "ConfigScrn");
    EXPECT_EQ(d.caption(), "Configure Comm Port");
    EXPECT_TRUE(d.isShown());
    EXPECT_EQ(d.Label1.caption(), "Settings");
    EXPECT_EQ(d.Label2.caption(), "Comm Port");
    EXPECT_EQ(d.Text1.text(), "1200,n,8,1");
    EXPECT_EQ(d.Text2.text(), "1");
    EXPECT_TRUE(d.Text1.hasFocus());
    EXPECT_TRUE(d.frame()->findChildren<QPushButton*>().isEmpty());
    EXPECT_LT(d.Text1.top(), d.Text2.top());
}

TEST_F(TalkLink, ClosingWithThePortOpenKeepsItOpenWithTheNewSettings)
{
    auto& d = openSettings();
    d.Text1.setText("9600,e,7,2");
    const int opens = h.line->openCount();
    close(d);
    EXPECT_FALSE(d.isShown());
    EXPECT_EQ(f.openSettingsDialog(), nullptr);
    EXPECT_TRUE(f.MSComm1.portOpen());
    EXPECT_EQ(h.line->openCount(), opens + 1); // closed and opened again around the change
    EXPECT_EQ(f.MSComm1.settings(), "9600,e,7,2");
    EXPECT_EQ(h.line->appliedSettings().text(), "9600,e,7,2");
    EXPECT_TRUE(f.MOpen.checked());
    EXPECT_TRUE(h.platform.boxes.empty());
    EXPECT_EQ(h.sent(), "");
}

TEST_F(TalkLink, ClosingWithThePortClosedAppliesBothAndLeavesItClosed)
{
    f.MOpen.click();
    auto& d = openSettings();
    d.Text1.setText("19200,n,8,1");
    d.Text2.setText("4");
    close(d);
    EXPECT_FALSE(f.MSComm1.portOpen());
    EXPECT_EQ(f.MSComm1.settings(), "19200,n,8,1");
    EXPECT_EQ(f.MSComm1.commPort(), 4);
    EXPECT_FALSE(f.MOpen.checked());
    EXPECT_TRUE(h.platform.boxes.empty());
}

TEST_F(TalkLink, ARefusedValueIsNamedNotAppliedAndThePortComesBack)
{
    // Malformed, or well formed but impossible on this system: named, never stored.
    const std::pair<const char*, const char*> refusals[] = {{"9600,x,8,1", "n, e, o, m, s"},
                                                            {"9600,n,8,1.5", "1.5 stop bits cannot be set"}};
    for (const auto& [value, reason] : refusals) {
        auto& d = openSettings();
        d.Text1.setText(value);
        d.Text2.setText("2");
        close(d);
        ASSERT_FALSE(h.platform.boxes.empty()) << value;
        const auto& box = h.platform.boxes.back();
        EXPECT_EQ(box.icon, MsgIcon::Exclamation);
        EXPECT_NE(box.text.find(value), std::string::npos) << box.text;  // what was wrong
        EXPECT_NE(box.text.find(reason), std::string::npos) << box.text; // why, or what is accepted
        EXPECT_EQ(f.MSComm1.settings(), "1200,n,8,1");
        EXPECT_EQ(f.MSComm1.commPort(), 2); // the good value is taken
        EXPECT_TRUE(f.MSComm1.portOpen());
        EXPECT_EQ(h.line->appliedSettings().text(), "1200,n,8,1");
        EXPECT_TRUE(f.MOpen.checked());
    }
}

TEST_F(TalkLink, APortNumberThatIsNotANumberIsNamedAndKept)
{
    for (const char* bad : {"x", "", "70000", "1.5"}) {
        auto& d = openSettings();
        d.Text1.setText("2400,n,8,1");
        d.Text2.setText(bad);
        close(d);
        ASSERT_FALSE(h.platform.boxes.empty()) << bad;
        const std::string& text = h.platform.boxes.back().text;
        EXPECT_NE(text.find("\"" + std::string(bad) + "\""), std::string::npos) << text;
        EXPECT_NE(text.find("1 to 32767"), std::string::npos) << text;
        EXPECT_EQ(f.MSComm1.commPort(), 1);
        EXPECT_EQ(f.MSComm1.settings(), "2400,n,8,1");
        EXPECT_TRUE(f.MSComm1.portOpen());
    }
    auto& zero = openSettings();
    zero.Text2.setText("0");
    close(zero);
    EXPECT_NE(h.platform.boxes.back().text.find("start at 1"), std::string::npos) << h.platform.boxes.back().text;
    EXPECT_EQ(f.MSComm1.commPort(), 1);

    auto& d = openSettings();
    d.Text2.setText(" 3 ");
    h.platform.boxes.clear();
    f.MOpen.click(); // closed: a changed number needs no reopening
    close(d);
    EXPECT_TRUE(h.platform.boxes.empty());
    EXPECT_EQ(f.MSComm1.commPort(), 3);
}

TEST_F(TalkLink, APortThatWillNotReopenIsReportedAndTheCheckMarkFollows)
{
    auto& d = openSettings();
    h.line->failOpen({8002, "COM1 (/dev/ttyS0): No such device"});
    close(d);
    EXPECT_FALSE(f.MSComm1.portOpen());
    EXPECT_FALSE(f.MOpen.checked());
    ASSERT_FALSE(h.platform.boxes.empty());
    EXPECT_NE(h.platform.boxes[0].text.find("No such device"), std::string::npos);
}

TEST_F(TalkLink, ReopeningTheDialogWhileUpKeepsTheEditsAndAfterwardsReloads)
{
    auto& d = openSettings();
    d.Text1.setText("4800,n,8,1");
    EXPECT_EQ(&openSettings(), &d);
    EXPECT_EQ(d.Text1.text(), "4800,n,8,1");
    close(d);
    auto& again = openSettings();
    EXPECT_EQ(again.Text1.text(), "4800,n,8,1"); // what the control now holds
    EXPECT_EQ(again.Text2.text(), "1");
}
