// The communication settings dialog: loading, OK around an open port, refused values, Cancel,
// and the keys.
#include "tests/carterm/CarWindowHarness.h"
#include "carterm/ConfigScrn.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>
#include <gtest/gtest.h>

using namespace toolkit;
using carterm::ConfigScrn;

namespace {
struct Settings : WindowTest<CarWindowHarness> {

    ConfigScrn& open()
    {
        f.MSettings.click();
        return static_cast<ConfigScrn&>(*f.settingsDialog);
    }
    void expectPortControls(bool open)
    {
        EXPECT_EQ(f.MSComm1.portOpen(), open);
        EXPECT_EQ(f.MOpen.checked(), open);
        EXPECT_EQ(f.MSendText.enabled(), open);
        EXPECT_EQ(f.Command6.enabled(), open);
    }
};

void press(QWidget* w, int key)
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &down);
}
} // namespace

TEST_F(Settings, TheDialogShowsTheControlsValuesInItsFrames)
{
    ConfigScrn& d = open();
    EXPECT_TRUE(d.isShown());
    EXPECT_EQ(d.caption(), "Communication Settings");
    EXPECT_EQ(d.Frame1.caption(), "&Baud Rate");
    EXPECT_EQ(d.Frame6.caption(), "&Com Port");
    EXPECT_EQ(d.Text2.text(), "1200,n,8,1");
    EXPECT_EQ(d.Text1.text(), "1");
    EXPECT_EQ(d.defaultButton(), &d.OKButton);
    EXPECT_EQ(d.cancelButton(), &d.CancelButton);
    EXPECT_EQ(d.OKButton.caption(), "OK");
    EXPECT_EQ(d.CancelButton.caption(), "Cancel");
    EXPECT_EQ(d.Text2.widget()->parentWidget(), d.Frame1.widget());
    EXPECT_EQ(d.Text1.widget()->parentWidget(), d.Frame6.widget());
    EXPECT_TRUE(f.isShown()); // modeless: the car window goes on
}

TEST_F(Settings, OkWithThePortOpenClosesAppliesAndReopens)
{
    ConfigScrn& d = open();
    const int opens = h.line->openCount();
    d.Text2.setText("9600,E,7,2");
    d.OKButton.click();
    EXPECT_FALSE(d.isShown());
    EXPECT_EQ(f.MSComm1.settings(), "9600,e,7,2");
    EXPECT_EQ(h.line->appliedSettings().baudRate, 9600);
    EXPECT_EQ(h.line->openCount(), opens + 1);
    expectPortControls(true);
    EXPECT_TRUE(h.platform.boxes.empty());
}

TEST_F(Settings, OkWithThePortClosedAppliesBothAndLeavesItClosed)
{
    f.MOpen.click();
    ConfigScrn& d = open();
    d.Text1.setText(" 3 ");
    d.Text2.setText("19200,n,8,1");
    d.OKButton.click();
    EXPECT_FALSE(d.isShown());
    EXPECT_EQ(f.MSComm1.commPort(), 3);
    EXPECT_EQ(f.MSComm1.settings(), "19200,n,8,1");
    expectPortControls(false);
    EXPECT_TRUE(h.platform.boxes.empty());
}

TEST_F(Settings, ARefusedPortNumberIsNamedTheRestIsAppliedAndTheDialogStaysForCorrection)
{
    ConfigScrn& d = open();
    d.Text1.setText("x");
    d.Text2.setText("4800,n,8,1");
    d.OKButton.click();
    ASSERT_EQ(h.platform.boxes.size(), 1u);
    EXPECT_EQ(h.platform.boxes[0].icon, MsgIcon::Exclamation);
    EXPECT_NE(h.platform.boxes[0].text.find("\"x\""), std::string::npos);
    EXPECT_NE(h.platform.boxes[0].text.find("whole number from 1 to 32767"), std::string::npos);
    EXPECT_EQ(f.MSComm1.commPort(), 1);
    EXPECT_EQ(f.MSComm1.settings(), "4800,n,8,1");
    expectPortControls(false); // closed for the change, and the menu says so
    EXPECT_TRUE(d.isShown());
    EXPECT_EQ(d.Text1.text(), "x");

    // Corrected, OK reopens the port that was open before.
    ::setenv("HOISTWISE_COM2", "/dev/fake-com2", 1);
    d.Text1.setText("2");
    d.OKButton.click();
    ::unsetenv("HOISTWISE_COM2");
    EXPECT_FALSE(d.isShown());
    EXPECT_EQ(f.MSComm1.commPort(), 2);
    EXPECT_EQ(h.line->openedDevice(), "/dev/fake-com2");
    expectPortControls(true);
    EXPECT_EQ(h.platform.boxes.size(), 1u);
}

TEST_F(Settings, RefusedSettingsStringsAndPortNumbersSayWhatIsAccepted)
{
    ConfigScrn& d = open();
    // Malformed, or well formed but impossible on this system: named, never stored.
    const std::pair<const char*, const char*> refusals[] = {{"9600,q,8,1", "Use the form"},
                                                            {"9600,n,8,1.5", "1.5 stop bits cannot be set"}};
    for (const auto& [value, reason] : refusals) {
        d.Text2.setText(value);
        d.OKButton.click();
        ASSERT_FALSE(h.platform.boxes.empty()) << value;
        const std::string& text = h.platform.boxes.back().text;
        EXPECT_NE(text.find("\"" + std::string(value) + "\""), std::string::npos) << text;
        EXPECT_NE(text.find(reason), std::string::npos) << text;
        EXPECT_NE(text.find("COM1 is closed. OK opens it again once the value is corrected; after Cancel, "
                            "CommPort > Port Open opens it again with \"1200,n,8,1\", the settings in force."),
                  std::string::npos) << text;
        EXPECT_EQ(f.MSComm1.settings(), "1200,n,8,1");
        EXPECT_TRUE(d.isShown());
        expectPortControls(false);
    }

    for (const char* bad : {"0", "-1", "40000", "1.5", ""}) {
        d.Text1.setText(bad);
        d.Text2.setText("1200,n,8,1");
        d.OKButton.click();
        EXPECT_TRUE(d.isShown()) << bad;
        EXPECT_EQ(f.MSComm1.commPort(), 1) << bad;
    }
    // Both wrong at once: one box naming both.
    d.Text1.setText("com1");
    d.Text2.setText("fast");
    const size_t before = h.platform.boxes.size();
    d.OKButton.click();
    ASSERT_EQ(h.platform.boxes.size(), before + 1);
    EXPECT_NE(h.platform.boxes.back().text.find("\"com1\""), std::string::npos);
    EXPECT_NE(h.platform.boxes.back().text.find("\"fast\""), std::string::npos);

    // Cancel leaves the port closed, as the refused OK left it, and the menu says so; the
    // operator's next open uses the settings still in force.
    d.CancelButton.click();
    EXPECT_FALSE(d.isShown());
    expectPortControls(false);
    f.MOpen.click();
    expectPortControls(true);
    EXPECT_EQ(h.line->appliedSettings().text(), "1200,n,8,1");
}

TEST_F(Settings, APortThatCannotBeReopenedIsReportedAndShownClosed)
{
    ConfigScrn& d = open();
    h.line->failOpen({8010, "is in use by another program"});
    d.Text2.setText("2400,n,8,1");
    d.OKButton.click();
    EXPECT_FALSE(d.isShown()); // the values were good: they are in force
    EXPECT_EQ(f.MSComm1.settings(), "2400,n,8,1");
    ASSERT_EQ(h.platform.boxes.size(), 1u);
    EXPECT_NE(h.platform.boxes[0].text.find("in use"), std::string::npos);
    expectPortControls(false);
}

TEST_F(Settings, CancelDiscardsEditsAndEachShowingReloadsButShowingAgainKeepsThem)
{
    ConfigScrn& d = open();
    d.Text2.setText("300,n,8,1");
    d.Text1.setText("7");
    open(); // already up: brought forward with the edits
    EXPECT_EQ(d.Text2.text(), "300,n,8,1");
    d.CancelButton.click();
    EXPECT_FALSE(d.isShown());
    EXPECT_EQ(f.MSComm1.settings(), "1200,n,8,1");
    EXPECT_EQ(f.MSComm1.commPort(), 1);
    expectPortControls(true);

    open();
    EXPECT_EQ(d.Text2.text(), "1200,n,8,1");
    EXPECT_EQ(d.Text1.text(), "1");

    // Closing the frame is Cancel too.
    d.Text2.setText("600,n,8,1");
    EXPECT_TRUE(d.unload());
    open();
    EXPECT_EQ(d.Text2.text(), "1200,n,8,1");
}

TEST_F(Settings, EnterInEitherBoxPressesOkAndEscapePressesCancel)
{
    ConfigScrn& d = open();
    d.Text2.setText("2400,n,8,1");
    press(d.Text2.widget(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_FALSE(d.isShown());
    EXPECT_EQ(f.MSComm1.settings(), "2400,n,8,1");

    open();
    d.Text1.setText(" 1");
    d.Text2.setText("4800,n,8,1");
    press(d.Text1.widget(), Qt::Key_Enter);
    EXPECT_FALSE(d.isShown());
    EXPECT_EQ(f.MSComm1.settings(), "4800,n,8,1");

    open();
    d.Text2.setText("9600,n,8,1");
    press(d.Text2.widget(), Qt::Key_Escape);
    EXPECT_FALSE(d.isShown());
    EXPECT_EQ(f.MSComm1.settings(), "4800,n,8,1");
}
