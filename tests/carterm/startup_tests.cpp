// carscope's start-up: the splash, the car window loaded behind it, and the three ways out.
#include "tests/support/FakeSerialBackend.h"
#include "carscope/Module21.h"
#include "toolkit/TestPlatform.h"

#include <QWidget>
#include <gtest/gtest.h>

using namespace toolkit;

namespace {
struct Startup : ::testing::Test {
    TestPlatform platform;
    carterm::FakeSerialBackend* line = nullptr;
    std::unique_ptr<carterm::CarscopeProgram> program;

    void start(bool portWorks = true)
    {
        auto backend = std::make_unique<carterm::FakeSerialBackend>();
        line = backend.get();
        if (!portWorks)
            line->failOpen({8002, "COM1 (/dev/ttyS0): No such file or directory"});
        program = std::make_unique<carterm::CarscopeProgram>(std::move(backend));
        program->Main();
    }
};
} // namespace

TEST_F(Startup, TheCarWindowIsLoadedBehindTheSplashAndShownAfterTenSeconds)
{
    start();
    EXPECT_TRUE(program->splash.isShown());
    EXPECT_TRUE(program->form1.isLoaded());
    EXPECT_FALSE(program->form1.isShown());
    EXPECT_EQ(line->takeSent(), "\r");
    platform.advance(9999);
    EXPECT_FALSE(program->form1.isShown());
    platform.advance(1);
    EXPECT_TRUE(program->form1.isShown());
    EXPECT_FALSE(program->splash.isShown());
    EXPECT_FALSE(program->menu.isShown());
}

TEST_F(Startup, AKeyLeavesTheSplashAtOnceAndTheTimerDoesNothingLater)
{
    start();
    platform.advance(1000);
    int key = 'x';
    program->splash.Form_KeyPress(key);
    EXPECT_TRUE(program->form1.isShown());
    program->form1.hide(); // a second show would make it visible again
    platform.advance(20000);
    EXPECT_FALSE(program->form1.isShown());
}

TEST_F(Startup, WithNoPortTheErrorShowsOverTheSplashAndTheWindowComesUpClosed)
{
    start(false);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_TRUE(program->splash.isShown());
    program->splash.Form_Click();
    EXPECT_TRUE(program->form1.isShown());
    EXPECT_FALSE(program->form1.MOpen.checked());
}

TEST_F(Startup, TheMenuWindowHasItsTwoItemsAndDispatcherDoesNotEndTheProgram)
{
    start();
    EXPECT_EQ(program->menu.caption(), "Hoistwise Menu");
    EXPECT_EQ(program->menu.mnuCar.caption(), "&Car diagnostics");
    EXPECT_EQ(program->menu.mnuDispatch.caption(), "&dispatcher diagnostics");
    program->menu.mnuDispatch.click();
    EXPECT_FALSE(platform.ended);
    program->menu.mnuCar.click();
    EXPECT_TRUE(program->form1.isShown());
}

TEST_F(Startup, EveryControlIsNamedForAssistiveTechnology)
{
    start();
    for (toolkit::Window* w : {static_cast<toolkit::Window*>(&program->splash), static_cast<toolkit::Window*>(&program->form1)})
        for (toolkit::Control* c : w->controls())
            EXPECT_FALSE(c->widget()->accessibleName().isEmpty()) << c->name();
    auto* portOpen = program->form1.findMenuItem("MOpen");
    ASSERT_NE(portOpen, nullptr);
    EXPECT_EQ(portOpen->caption(), "Port &Open");
}
