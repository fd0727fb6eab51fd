// The replay bar driven through its own controls, over a capture with a new fault at 1, 2 and
// 3 minutes: each control moves the playback, and the bar follows where the playback stands.
#include "carterm/ReplayBar.h"
#include "serial/capture/ReplayBackend.h"
#include "tests/support/FaultCapture.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using serial::capture::ReplayBackend;

namespace {

struct ReplayBarTest : ::testing::Test {
    QTemporaryDir dir;
    ReplayBackend replay{writeFaultCapture(dir.path().toStdString() + "/s").stem};
    carterm::ReplayBar bar{replay};

    void SetUp() override
    {
        bar.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    }
    QPushButton* button(const QString& text)
    {
        for (QPushButton* b : bar.findChildren<QPushButton*>())
            if (b->text() == text)
                return b;
        return nullptr;
    }
    QString clock() { return bar.findChild<QLabel*>()->text(); }
};

} // namespace

TEST_F(ReplayBarTest, NextFaultStepsThroughTheFaultsAndStopsAtTheLast)
{
    QPushButton* next = button("&Next fault");
    ASSERT_NE(next, nullptr);
    for (const char* expected : {"1:00 / 3:00", "2:00 / 3:00", "3:00 / 3:00", "3:00 / 3:00"}) {
        QTest::mouseClick(next, Qt::LeftButton);
        EXPECT_EQ(clock(), expected);
    }
    EXPECT_EQ(replay.position(), 180000000);
}

TEST_F(ReplayBarTest, PlayAndPauseTakeTurns)
{
    ASSERT_FALSE(replay.open({}, {}));
    QTest::mouseClick(button("&Pause"), Qt::LeftButton);
    EXPECT_FALSE(replay.playing());
    QTest::mouseClick(button("&Play"), Qt::LeftButton);
    EXPECT_TRUE(replay.playing());
    EXPECT_NE(button("&Pause"), nullptr);
}

TEST_F(ReplayBarTest, TheSpeedBoxSetsThePace)
{
    auto* speed = bar.findChild<QComboBox*>();
    const std::pair<Qt::Key, int> steps[] = {
        {Qt::Key_Down, 4}, {Qt::Key_Down, 16}, {Qt::Key_End, ReplayBackend::kAsFastAsPossible}, {Qt::Key_Home, 1}};
    for (const auto& [key, pace] : steps) {
        QTest::keyClick(speed, key);
        EXPECT_EQ(replay.speed(), pace);
    }
}

// As fast as possible the playback runs to the end, and the slider and clock go with it; the
// slider moved by its keys moves the playback.
TEST_F(ReplayBarTest, TheSliderFollowsThePlaybackAndMovesIt)
{
    auto* slider = bar.findChild<QSlider*>();
    QTest::keyClick(bar.findChild<QComboBox*>(), Qt::Key_End);
    ASSERT_FALSE(replay.open({}, {}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return replay.finished(); }, 5000));
    EXPECT_EQ(slider->value(), slider->maximum());
    EXPECT_EQ(clock(), "3:00 / 3:00");
    QTest::mouseClick(button("&Pause"), Qt::LeftButton);
    QTest::keyClick(slider, Qt::Key_Home);
    EXPECT_TRUE(QTest::qWaitFor([&] { return replay.position() == 0; }, 1000));
    EXPECT_EQ(clock(), "0:00 / 3:00");
}

// A click in the groove jumps to the moment under the pointer, not a page towards it.
TEST_F(ReplayBarTest, AClickInTheGrooveJumpsThere)
{
    auto* slider = bar.findChild<QSlider*>();
    QTest::mouseClick(button("&Pause"), Qt::LeftButton);
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() * 3 / 4, slider->height() / 2));
    EXPECT_NEAR(replay.position() / 1e6, 135, 15);
}
