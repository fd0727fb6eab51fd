// A car window on a device that vanishes and comes back, on real pseudo-terminals with the real
// serial backend and the real (offscreen) boxes: what the technician sees through a re-plug
// storm and a transmission cut short.
#include "carscope/ScopeForm1.h"
#include "carterm/Form2.h"
#include "sim/common/PseudoTerminal.h"
#include "tests/carterm/log_test_files.h"
#include "toolkit/QtPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
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
    bool openFileDialog(const std::string&, const std::string&, std::string& fileName) override
    {
        fileName = file;
        return !file.empty();
    }
    void endProgram() override {}
    std::vector<std::string> boxes;
    std::string file;
};

int boxesOnScreen()
{
    const auto widgets = QApplication::topLevelWidgets();
    return static_cast<int>(std::count_if(widgets.begin(), widgets.end(), [](QWidget* w) {
        return w->isVisible() && qobject_cast<QMessageBox*>(w);
    }));
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
            mostBoxes = std::max(mostBoxes, boxesOnScreen());
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
    EXPECT_EQ(mostBoxes, 1);
    EXPECT_EQ(openDescriptors(), descriptors);
    EXPECT_TRUE(platform.boxes.empty()) << platform.boxes.front();
}

TEST_F(Replug, ATransmissionCutShortByALossSaysHowMuchWentOut)
{
    ScratchFolder scratch;
    const std::string bytes = patternBytes(1 << 20);
    platform.file = scratch.write("long.txt", bytes);
    // Nobody reads the far end: the line fills and stalls until the device goes.
    QTimer::singleShot(1000, [&] { device.reset(); });
    form->MSendText.click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_NE(platform.boxes[0].find("COM1 was lost while " + platform.file + " was being transmitted: "),
              std::string::npos) << platform.boxes[0];
    EXPECT_NE(platform.boxes[0].find(" of its 1048576 bytes went out."), std::string::npos) << platform.boxes[0];
    EXPECT_FALSE(form->progress->isShown());
}
