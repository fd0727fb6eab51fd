// cabtalk's way in: the splash, the password window and its maintenance path, the menu window,
// and the two ways out that end the program.
#include "tests/carterm/talk_harness.h"

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

using namespace toolkit;

namespace {

struct TalkStartup : ::testing::Test, TalkProgramHarness {
    carterm::Form5& splash = form->splash;
    carterm::frmLogin& login = form->login;
    carterm::Form3& menu = form->menu;
    carterm::TalkForm1& car = form->form1;

    // Brings the password window up by a click on the splash and makes it the active window.
    void toLogin()
    {
        splash.Form_Click();
        QApplication::setActiveWindow(login.frame());
    }
    void typePassword(const std::string& text) { login.txtPassword.type(text); }
};

} // namespace

TEST_F(TalkStartup, TheSplashCarriesThisBuildsTextsAndTheCarWindowWaits)
{
    EXPECT_TRUE(splash.isShown());
    EXPECT_EQ(splash.Label1.caption(), "Hoistwise for Swift 5000");
    EXPECT_EQ(splash.Label3.caption(), "03/19/2003");
    EXPECT_EQ(splash.Label4.caption(), "VER 4.14.24");
    EXPECT_NE(splash.Label5.caption().find("04/24/2014"), std::string::npos);
    EXPECT_FALSE(splash.Label2.caption().empty());
    EXPECT_EQ(splash.Label6, nullptr);
    EXPECT_EQ(splash.find("Label6"), nullptr);
    // Nothing of the car window runs before the menu shows it: no port, no greeting.
    EXPECT_FALSE(car.isLoaded());
    EXPECT_EQ(line->openCount(), 0);
}

TEST_F(TalkStartup, AKeyOnTheSplashGoesStraightToTheMenuWindow)
{
    platform.advance(1000);
    int key = 'q';
    splash.Form_KeyPress(key);
    EXPECT_FALSE(splash.isShown());
    EXPECT_TRUE(menu.isShown());
    EXPECT_FALSE(login.isShown());
    platform.advance(20000); // the splash's timer is stopped: no password window later
    EXPECT_FALSE(login.isShown());
}

TEST_F(TalkStartup, AClickOnTheSplashBringsThePasswordWindow)
{
    splash.Form_Click();
    EXPECT_TRUE(login.isShown());
    EXPECT_FALSE(menu.isShown());
    EXPECT_FALSE(splash.isShown());
    platform.advance(20000);
    EXPECT_EQ(platform.boxes.size(), 0u);
}

TEST_F(TalkStartup, TenSecondsOfNothingBringThePasswordWindow)
{
    platform.advance(9999);
    EXPECT_FALSE(login.isShown());
    platform.advance(1);
    EXPECT_TRUE(login.isShown());
    EXPECT_FALSE(menu.isShown());
    EXPECT_FALSE(splash.isShown());
}

TEST_F(TalkStartup, ThePasswordWindowIsBuiltAsDesigned)
{
    toLogin();
    EXPECT_EQ(login.caption(), "Password challenge");
    EXPECT_EQ(login.name(), "frmLogin");
    EXPECT_EQ(login.lblLabels[0].caption(), "&Password:");
    EXPECT_EQ(login.lblLabels[1].caption(), "&User Name:");
    EXPECT_EQ(login.Label1.caption(), "Created 11/18/2008");
    EXPECT_FALSE(login.Label2.caption().empty());
    EXPECT_EQ(login.cmdOK.caption(), "OK");
    EXPECT_EQ(login.cmdCancel.caption(), "Cancel");
    EXPECT_EQ(login.defaultButton(), &login.cmdOK);
    EXPECT_EQ(login.cancelButton(), &login.cmdCancel);
    EXPECT_EQ(QApplication::focusWidget(), login.txtPassword.widget());
    auto* edit = qobject_cast<QLineEdit*>(login.txtPassword.widget());
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
    typePassword("59");
    EXPECT_EQ(login.txtPassword.text(), "59");
}

TEST_F(TalkStartup, TheExactPasswordAndEnterOpenTheMenuWindow)
{
    toLogin();
    typePassword("594031");
    QTest::keyClick(login.txtPassword.widget(), Qt::Key_Return);
    EXPECT_TRUE(menu.isShown());
    EXPECT_FALSE(login.isShown());
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_FALSE(platform.ended);
}

TEST_F(TalkStartup, ANearMissIsRefusedAndTheTypedTextSelectedForRetyping)
{
    toLogin();
    for (const std::string attempt : {"5940311", " 594031", "59403", ""}) {
        login.txtPassword.setText("");
        typePassword(attempt);
        login.cmdOK.click();
        ASSERT_FALSE(platform.boxes.empty()) << attempt;
        const auto& box = platform.boxes.back();
        EXPECT_EQ(box.text, "Invalid Password, try again!");
        EXPECT_EQ(box.title, "Login");
        EXPECT_EQ(box.buttons, MsgButtons::OK);
        EXPECT_EQ(box.icon, MsgIcon::None);
        EXPECT_TRUE(login.isShown());
        EXPECT_FALSE(menu.isShown());
        EXPECT_TRUE(login.txtPassword.hasFocus());
        EXPECT_EQ(login.txtPassword.selStart(), 0);
        EXPECT_EQ(login.txtPassword.selLength(), static_cast<long>(attempt.size())) << attempt;
    }
    // No limit on attempts: typing over the selection with the right password gets in.
    typePassword("594031");
    EXPECT_EQ(login.txtPassword.text(), "594031");
    login.cmdOK.click();
    EXPECT_TRUE(menu.isShown());
    EXPECT_EQ(platform.boxes.size(), 4u);
}

TEST_F(TalkStartup, TabIntoTheUserNameBoxOpensTheMenuWithoutAPassword)
{
    toLogin();
    ASSERT_EQ(QApplication::focusWidget(), login.txtPassword.widget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(menu.isShown());
    EXPECT_FALSE(login.isShown());
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(TalkStartup, TheUserNameAccessKeyTakesTheSamePath)
{
    toLogin();
    QTest::keyClick(login.txtPassword.widget(), Qt::Key_U, Qt::AltModifier);
    EXPECT_TRUE(menu.isShown());
    EXPECT_FALSE(login.isShown());
}

TEST_F(TalkStartup, AClickIntoTheUserNameBoxTakesTheSamePath)
{
    toLogin();
    QTest::mouseClick(login.txtUserName.widget(), Qt::LeftButton);
    EXPECT_TRUE(menu.isShown());
    EXPECT_FALSE(login.isShown());
}

TEST_F(TalkStartup, EscapeEndsTheProgramBeforeAnyPortOpens)
{
    toLogin();
    QTest::keyClick(login.txtPassword.widget(), Qt::Key_Escape);
    EXPECT_TRUE(platform.ended);
    EXPECT_EQ(line->openCount(), 0);
}

TEST_F(TalkStartup, CancelEndsTheProgram)
{
    toLogin();
    login.cmdCancel.click();
    EXPECT_TRUE(platform.ended);
    EXPECT_FALSE(menu.isShown());
}

TEST_F(TalkStartup, TheMenuWindowHasOnlyCarDiagnosticsToChoose)
{
    int key = ' ';
    splash.Form_KeyPress(key);
    EXPECT_EQ(menu.caption(), "Hoistwise Menu");
    EXPECT_EQ(menu.mnuCar.caption(), "&Car diagnostics");
    EXPECT_EQ(menu.mnuDispatch.caption(), "&dispatcher diagnostics");
    ASSERT_NE(menu.mnuReplay, nullptr);
    EXPECT_EQ(menu.mnuReplay->caption(), "&Replay");
    EXPECT_TRUE(menu.mnuCar.enabled());
    EXPECT_FALSE(menu.mnuDispatch.enabled());
    EXPECT_FALSE(menu.mnuReplay->enabled());
    menu.mnuDispatch.click();
    menu.mnuReplay->click();
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_FALSE(platform.ended);
    EXPECT_FALSE(car.isShown());

    // The car window loads the first time: the port opens and the controller is greeted once.
    menu.mnuCar.click();
    EXPECT_TRUE(car.isShown());
    EXPECT_TRUE(car.MSComm1.portOpen());
    EXPECT_EQ(line->takeSent(), "\r");
    menu.mnuCar.click();
    EXPECT_EQ(line->openCount(), 1);
    EXPECT_EQ(line->takeSent(), "");
}

TEST_F(TalkStartup, ClosingTheMenuWindowEndsAtOnceWithoutTheDrain)
{
    int key = ' ';
    splash.Form_KeyPress(key);
    menu.mnuCar.click();
    line->setWaitingToSend(40); // the line is stuck: the car window's closing would ask
    menu.frame()->close();
    EXPECT_TRUE(platform.ended);
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(platform.doEventsCalls, 0);
}

TEST_F(TalkStartup, ClosingTheCarWindowStillDrainsAndEnds)
{
    int key = ' ';
    splash.Form_KeyPress(key);
    menu.mnuCar.click();
    line->setWaitingToSend(3);
    platform.onDoEvents = [&] {
        if (platform.nowMs() >= 500)
            line->setWaitingToSend(0);
    };
    car.frame()->close();
    EXPECT_TRUE(platform.ended);
    EXPECT_GT(platform.doEventsCalls, 0);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(TalkStartup, ClosingThePasswordWindowByItsFrameEndsTheProgram)
{
    toLogin();
    login.frame()->close();
    EXPECT_TRUE(platform.ended);
    EXPECT_FALSE(menu.isShown());
}

TEST_F(TalkStartup, EveryWindowsControlsAreNamedForAssistiveTechnology)
{
    for (Window* w : std::initializer_list<Window*>{&splash, &login, &menu, &car})
        for (Control* c : w->controls())
            EXPECT_FALSE(c->widget()->accessibleName().isEmpty()) << w->name() << "." << c->name();
}
