// A device re-plugged twenty times in a row (0.5 to 2 s unplugged each time), on real
// pseudo-terminals with the real serial backend and the real offscreen boxes: one box at most,
// updated by each loss, "Port &Open" checked after every return, no descriptor leaked.
#include "carscope/ScopeForm1.h"
#include "sim/common/PseudoTerminal.h"
#include "toolkit/QtPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

// The real platform; a box that would wait for an answer is a fault here, recorded and passed.
struct NoWaitingBoxes : toolkit::QtPlatform {
    NoWaitingBoxes() : QtPlatform("test") { toolkit::setPlatform(this); }
    ~NoWaitingBoxes() override { toolkit::setPlatform(nullptr); }
    toolkit::MsgResult messageBox(std::string_view text, toolkit::MsgButtons, toolkit::MsgIcon, std::string_view) override
    {
        waited.emplace_back(text);
        return toolkit::MsgResult::OK;
    }
    std::vector<std::string> waited;
};

std::vector<QMessageBox*> boxesOnScreen()
{
    std::vector<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            boxes.push_back(box);
    return boxes;
}

long openDescriptors()
{
    const std::filesystem::directory_iterator entries("/proc/self/fd");
    return std::distance(begin(entries), end(entries));
}

} // namespace

TEST(Replug, TwentyReplugsShowOneBoxAndPortOpenFollowsEveryReturn)
{
    NoWaitingBoxes platform;
    const std::string link = "/tmp/hoistwise-replug-" + std::to_string(::getpid());
    const auto plugIn = [&] {
        auto pty = std::make_unique<sim::PseudoTerminal>();
        pty->linkTo(link);
        return pty;
    };
    auto device = plugIn();
    ::setenv("HOISTWISE_COM1", link.c_str(), 1);
    carterm::ScopeForm1 form;
    form.load();
    ASSERT_TRUE(form.MSComm1.portOpen());
    const long descriptors = openDescriptors();
    std::size_t mostBoxes = 0;
    const auto pumpUntil = [&](const std::function<bool()>& done, int ms) {
        QElapsedTimer clock;
        clock.start();
        for (; !done(); platform.doEvents()) {
            mostBoxes = std::max(mostBoxes, boxesOnScreen().size());
            if (clock.elapsed() > ms)
                return false;
        }
        return true;
    };

    for (int loss = 1; loss <= 20; ++loss) {
        SCOPED_TRACE("loss " + std::to_string(loss));
        device.reset();
        ASSERT_TRUE(pumpUntil([&] { return !form.MSComm1.portOpen(); }, 3000));
        EXPECT_FALSE(form.MOpen.checked());
        pumpUntil([] { return false; }, 500 * (1 + loss % 4));
        device = plugIn();
        ASSERT_TRUE(pumpUntil([&] { return form.MOpen.checked(); }, 3000));
        EXPECT_TRUE(form.MSComm1.portOpen());
    }
    ASSERT_EQ(mostBoxes, 1u);
    EXPECT_TRUE(boxesOnScreen().front()->text().startsWith("COM1 reconnected at "));   // no stale loss
    EXPECT_TRUE(boxesOnScreen().front()->text().contains("This has happened 20 times"));
    EXPECT_EQ(openDescriptors(), descriptors);
    EXPECT_TRUE(platform.waited.empty()) << platform.waited.front();
    ::unsetenv("HOISTWISE_COM1");
}

TEST(Replug, ADevicePluggedInAfterTheStartOpensByItself)
{
    NoWaitingBoxes platform;
    const std::string link = "/tmp/hoistwise-late-" + std::to_string(::getpid());
    ::setenv("HOISTWISE_COM1", link.c_str(), 1);
    carterm::ScopeForm1 form;
    form.load();
    ASSERT_EQ(platform.waited.size(), 1u);   // the failed open's own message
    EXPECT_EQ(form.Label1.caption(), "COM1: waiting for " + link + " (next try in 1 s)");
    sim::PseudoTerminal device;
    device.linkTo(link);
    QElapsedTimer clock;
    for (clock.start(); !form.MOpen.checked() && clock.elapsed() < 3000;)
        platform.doEvents();
    EXPECT_TRUE(form.MSComm1.portOpen());
    EXPECT_EQ(form.Label1.caption(), "COM1 connected");
    ::unsetenv("HOISTWISE_COM1");
}
