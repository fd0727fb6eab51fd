// carscope's start-up: the splash, the car window loaded behind it, and the three ways out.
#include "carscope/CarscopeProgram.h"
#include "tests/support/WindowHarness.h"

#include <QWidget>
#include <gtest/gtest.h>

#include <optional>

using namespace toolkit;

namespace {
struct Startup : ::testing::Test {
    std::optional<WindowHarness<carterm::CarscopeProgram>> h;
    void start(bool portWorks = true) { h.emplace(portWorks); }
};
} // namespace

TEST_F(Startup, TheCarWindowIsLoadedBehindTheSplashAndShownAfterTenSeconds)
{
    start();
    EXPECT_TRUE(h->form->splash.isShown());
    EXPECT_TRUE(h->form->form1.isLoaded());
    EXPECT_FALSE(h->form->form1.isShown());
    EXPECT_EQ(h->line->takeSent(), "\r");
    h->platform.advance(9999);
    EXPECT_FALSE(h->form->form1.isShown());
    h->platform.advance(1);
    EXPECT_TRUE(h->form->form1.isShown());
    EXPECT_FALSE(h->form->splash.isShown());
    EXPECT_FALSE(h->form->menu.isShown());
}

TEST_F(Startup, AKeyLeavesTheSplashAtOnceAndTheTimerDoesNothingLater)
{
    start();
    h->platform.advance(1000);
    int key = 'x';
    h->form->splash.Form_KeyPress(key);
    EXPECT_TRUE(h->form->form1.isShown());
    h->form->form1.hide(); // a second show would make it visible again
    h->platform.advance(20000);
    EXPECT_FALSE(h->form->form1.isShown());
}

TEST_F(Startup, WithNoPortTheErrorShowsOverTheSplashAndTheWindowComesUpClosed)
{
    start(false);
    ASSERT_EQ(h->platform.boxes.size(), 1u);
    EXPECT_TRUE(h->form->splash.isShown());
    h->form->splash.Form_Click();
    EXPECT_TRUE(h->form->form1.isShown());
    EXPECT_FALSE(h->form->form1.MOpen.checked());
}

TEST_F(Startup, TheMenuWindowHasItsTwoItemsAndDispatcherDoesNotEndTheProgram)
{
    start();
    EXPECT_EQ(h->form->menu.caption(), "Hoistwise Menu");
    EXPECT_EQ(h->form->menu.mnuCar.caption(), "&Car diagnostics");
    EXPECT_EQ(h->form->menu.mnuDispatch.caption(), "&dispatcher diagnostics");
    h->form->menu.mnuDispatch.click();
    EXPECT_FALSE(h->platform.ended);
    h->form->menu.mnuCar.click();
    EXPECT_TRUE(h->form->form1.isShown());
}

TEST_F(Startup, EveryControlIsNamedForAssistiveTechnology)
{
    start();
    for (toolkit::Window* w : {static_cast<toolkit::Window*>(&h->form->splash), static_cast<toolkit::Window*>(&h->form->form1)})
        for (toolkit::Control* c : w->controls())
            EXPECT_FALSE(c->widget()->accessibleName().isEmpty()) << c->name();
    auto* portOpen = h->form->form1.findMenuItem("MOpen");
    ASSERT_NE(portOpen, nullptr);
    EXPECT_EQ(portOpen->caption(), "Port &Open");
}
