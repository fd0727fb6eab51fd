// A car window on a device that vanishes and comes back, on real pseudo-terminals with the real
// serial backend and the real (offscreen) boxes: what the technician sees through a re-plug
// storm.
#include "carscope/ScopeForm1.h"
#include "sim/common/PseudoTerminal.h"
#include "toolkit/QtPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <unistd.h>

using namespace toolkit;

namespace {

// The real platform; boxes that wait for an answer are recorded and answered OK.
class RecordingQtPlatform : public QtPlatform {
public:
    RecordingQtPlatform() : QtPlatform("test") { setPlatform(this); }
    ~RecordingQtPlatform() override { setPlatform(nullptr); }
    MsgResult messageBox(std::string_view text, MsgButtons, MsgIcon, std::string_view) override
    {
        boxes.emplace_back(text);
        return MsgResult::OK;
    }
    void endProgram() override {}
    std::vector<std::string> boxes;
};

std::vector<QMessageBox*> boxesOnScreen()
{
    std::vector<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            boxes.push_back(box);
    return boxes;
}

int openDescriptors()
{
    const auto entries = std::filesystem::directory_iterator("/proc/self/fd");
    return static_cast<int>(std::distance(begin(entries), end(entries)));
}

struct Replug : ::testing::Test {
    RecordingQtPlatform platform;
    const std::string link = "/tmp/hoistwise-replug-" + std::to_string(::getpid());
    std::unique_ptr<sim::PseudoTerminal> device = plugIn();
    std::unique_ptr<carterm::ScopeForm1> form;
    int mostBoxes = 0;

    std::unique_ptr<sim::PseudoTerminal> plugIn()
    {
        auto pty = std::make_unique<sim::PseudoTerminal>();
        pty->linkTo(link);
        return pty;
    }
    void SetUp() override
    {
        ::setenv("HOISTWISE_COM1", link.c_str(), 1);
        form = std::make_unique<carterm::ScopeForm1>();
        form->load();
        form->show();
        ASSERT_TRUE(form->MSComm1.portOpen());
    }
    void TearDown() override
    {
        form.reset();
        ::unsetenv("HOISTWISE_COM1");
    }
    // Runs the event loop until `done` or `ms` have passed, noting the most boxes ever up.
    bool pumpUntil(const std::function<bool()>& done, int ms)
    {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            mostBoxes = std::max(mostBoxes, static_cast<int>(boxesOnScreen().size()));
            if (done())
                return true;
            if (clock.elapsed() > ms)
                return false;
            platform.doEvents();
        }
    }
};

} // namespace

TEST_F(Replug, TwentyReplugsShowOneBoxAndPortOpenFollowsEveryReturn)
{
    const int descriptors = openDescriptors();
    for (int loss = 0; loss < 20; ++loss) {
        SCOPED_TRACE("loss " + std::to_string(loss + 1));
        device.reset();
        ASSERT_TRUE(pumpUntil([&] { return !form->MSComm1.portOpen(); }, 3000));
        EXPECT_FALSE(form->MOpen.checked());
        pumpUntil([] { return false; }, 500 + loss % 4 * 500);   // 0.5 to 2 s unplugged
        device = plugIn();
        ASSERT_TRUE(pumpUntil([&] { return form->MOpen.checked(); }, 3000));
        EXPECT_TRUE(form->MSComm1.portOpen());
        EXPECT_TRUE(form->Command6.enabled());
    }
    ASSERT_EQ(mostBoxes, 1);
    EXPECT_TRUE(boxesOnScreen().front()->text().contains("This has happened 20 times"));
    EXPECT_EQ(openDescriptors(), descriptors);
    EXPECT_TRUE(platform.boxes.empty()) << platform.boxes.front();
}
