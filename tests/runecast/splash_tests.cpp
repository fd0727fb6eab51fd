// Start-up through the splash: the decoder window is loaded behind it and shown once, by a click
// on the splash's background, by its timer, or by the window manager closing it.
#include "runecast/runecast.h"
#include "runecast/Module1.h"
#include "runecast/Form1.h"
#include "toolkit/TestPlatform.h"

#include <QApplication>
#include <QMainWindow>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {

void click(QWidget* target)
{
    const QPointF at(3, 3);
    QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

struct SplashTest : ::testing::Test {
    toolkit::TestPlatform platform;
    runecast::Module1 module;
    SplashTest() { module.Main(); }
    runecast::Form1& splash() { return *module.splash(); }
    runecast::runecast& decoder() { return *module.decoder(); }
};

} // namespace

TEST_F(SplashTest, MainShowsTheSplashWithTheDecoderLoadedBehindIt)
{
    EXPECT_TRUE(splash().isShown());
    EXPECT_FALSE(decoder().isShown());
    EXPECT_EQ(decoder().caption(), " Futura Runecast");
    EXPECT_EQ(decoder().Text30.text(), "1");
}

TEST_F(SplashTest, OnlyAClickOnTheBackgroundDismissesItAndOnlyOnce)
{
    click(splash().Label4.widget());
    click(splash().Label2.widget());
    click(splash().Text1.widget());
    platform.advance(1000);
    EXPECT_TRUE(splash().isShown());
    EXPECT_FALSE(decoder().isShown());

    click(splash().host());
    EXPECT_TRUE(decoder().isShown());
    EXPECT_TRUE(splash().isUnloaded());
    EXPECT_FALSE(splash().isShown());

    decoder().hide(); // a second hand-over would show it again
    platform.advance(10000);
    EXPECT_FALSE(decoder().isShown());
    EXPECT_FALSE(splash().isShown());
}

TEST_F(SplashTest, TheTimerHandsOverAfterFiveSeconds)
{
    platform.advance(4999);
    EXPECT_FALSE(decoder().isShown());
    platform.advance(1);
    EXPECT_TRUE(decoder().isShown());
    EXPECT_TRUE(splash().isUnloaded());
    EXPECT_FALSE(splash().Timer1.enabled());
    EXPECT_FALSE(platform.ended);
}

TEST_F(SplashTest, ClosingTheSplashThroughTheWindowManagerShowsTheDecoder)
{
    splash().frame()->close();
    EXPECT_TRUE(decoder().isShown());
    EXPECT_TRUE(splash().isUnloaded());
    decoder().hide();
    platform.advance(6000);
    EXPECT_FALSE(decoder().isShown());
    EXPECT_FALSE(platform.ended);
}
