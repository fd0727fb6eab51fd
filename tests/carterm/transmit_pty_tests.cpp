// Text-file transmission over a real pseudo-terminal, with the real serial backend and the real
// event loop: the far end is a thread reading the master side, at a chosen pace, and talking
// back. Message boxes and the file dialog are scripted; everything else is the program's own.
#include "carterm/Form2.h"
#include "sim/common/PseudoTerminal.h"
#include "toolkit/QtPlatform.h"
#include "carscope/ScopeForm1.h"
#include "toolkit/Timer.h"
#include "tests/carterm/log_test_files.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <poll.h>
#include <thread>
#include <unistd.h>

using namespace toolkit;
using namespace std::chrono_literals;

namespace {

// The real platform with the operator's answers scripted.
class ScriptedQtPlatform : public QtPlatform {
public:
    ScriptedQtPlatform() : QtPlatform("test") { setPlatform(this); }
    ~ScriptedQtPlatform() override { setPlatform(nullptr); }
    MsgResult messageBox(std::string_view text, MsgButtons, MsgIcon, std::string_view) override
    {
        boxes.emplace_back(text);
        return MsgResult::OK;
    }
    bool openFileDialog(const std::string&, const std::string&, std::string& fileName) override
    {
        if (files.empty())
            return false;
        fileName = files.front();
        files.pop_front();
        return true;
    }
    void endProgram() override {}
    std::deque<std::string> files;
    std::vector<std::string> boxes;
};

// The far end: reads what the window sends at most `bytesPer10ms` at a time, and sends "tick"
// every 50 ms while `talk` is set.
class FarEnd {
public:
    FarEnd(int fd, size_t bytesPer10ms) : fd_(fd), pace_(bytesPer10ms), thread_([this] { run(); }) {}
    ~FarEnd()
    {
        stop_ = true;
        thread_.join();
    }
    std::string received()
    {
        std::lock_guard lock(mutex_);
        return got_;
    }
    size_t count()
    {
        std::lock_guard lock(mutex_);
        return got_.size();
    }
    void clear()
    {
        std::lock_guard lock(mutex_);
        got_.clear();
    }
    std::atomic<bool> talk{false};

private:
    void run()
    {
        std::string buffer(pace_, '\0');
        auto nextTick = std::chrono::steady_clock::now();
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 10) > 0 && (p.revents & POLLIN)) {
                const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
                if (n > 0) {
                    std::lock_guard lock(mutex_);
                    got_.append(buffer.data(), static_cast<size_t>(n));
                }
                std::this_thread::sleep_for(10ms);
            }
            if (talk && std::chrono::steady_clock::now() >= nextTick) {
                (void)!::write(fd_, "tick\r", 5);
                nextTick = std::chrono::steady_clock::now() + 50ms;
            }
        }
    }
    int fd_;
    size_t pace_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::string got_;
    std::thread thread_;
};

bool pumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        platform().doEvents();
    }
    return true;
}

struct TransmitOverPty : ::testing::Test {
    ScratchFolder scratch;
    ScriptedQtPlatform platform;
    sim::PseudoTerminal pty;
    std::unique_ptr<carterm::ScopeForm1> form;
    std::unique_ptr<FarEnd> far;

    void start(size_t bytesPer10ms)
    {
        ::setenv("HOISTWISE_COM1", pty.slavePath().c_str(), 1);
        far = std::make_unique<FarEnd>(pty.masterFd(), bytesPer10ms);
        form = std::make_unique<carterm::ScopeForm1>();
        form->load();
        form->show();
        ASSERT_TRUE(form->MSComm1.portOpen()) << (platform.boxes.empty() ? "" : platform.boxes[0]);
        ASSERT_TRUE(pumpUntil([&] { return far->count() >= 1; }, 5000)); // the greeting
        far->clear();
    }
    void TearDown() override
    {
        form.reset();
        far.reset();
        ::unsetenv("HOISTWISE_COM1");
    }
};

} // namespace

TEST_F(TransmitOverPty, AMegabyteArrivesByteForByteWhileTheWindowStaysResponsive)
{
    start(20000); // about 2 MB/s at the far end
    const std::string bytes = patternBytes(1 << 20);
    platform.files.push_back(scratch.write("big.txt", bytes));

    int ticks = 0;
    Timer ticker("ticker", 20, false);
    ticker.onTimer = [&] { ++ticks; };
    ticker.setEnabled(true);
    far->talk = true;
    QElapsedTimer clock;
    clock.start();
    form->MSendText.click();
    const qint64 ms = clock.elapsed();
    far->talk = false;
    ticker.setEnabled(false);

    ASSERT_TRUE(pumpUntil([&] { return far->count() >= bytes.size(); }, 10000)) << far->count();
    EXPECT_TRUE(far->received() == bytes) << "the far end got something else";
    EXPECT_TRUE(platform.boxes.empty()) << platform.boxes[0];
    EXPECT_TRUE(form->MSendText.enabled());
    EXPECT_FALSE(form->progress->isShown());
    // Timers ran and received text kept appearing while the command waited.
    EXPECT_GE(ms, 300);
    EXPECT_GE(ticks, ms / 20 / 3) << ms << " ms";
    EXPECT_NE(form->Term.text().find("tick\r\n"), std::string::npos);
}

TEST_F(TransmitOverPty, CancelStopsAfterTheChunkThatIsGoingOut)
{
    start(1000); // about 100 kB/s: a megabyte would take ten seconds
    const std::string bytes = patternBytes(1 << 20);
    platform.files.push_back(scratch.write("slow.txt", bytes));
    QTimer::singleShot(500, [&] {
        ASSERT_TRUE(form->progress && form->progress->isShown());
        form->progress->Command1.click();
    });
    QElapsedTimer clock;
    clock.start();
    form->MSendText.click();
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_TRUE(form->MSendText.enabled());
    EXPECT_FALSE(form->progress->isShown());

    // What was handed over still goes out; then nothing more comes.
    size_t last = 0;
    pumpUntil([&] {
        const size_t now = far->count();
        const bool settled = now == last && now > 0;
        last = now;
        std::this_thread::sleep_for(100ms);
        return settled;
    }, 10000);
    const std::string got = far->received();
    ASSERT_GT(got.size(), 0u);
    EXPECT_LT(got.size(), bytes.size() / 2);
    EXPECT_EQ(got.size() % 512, 0u) << got.size();
    EXPECT_TRUE(got == bytes.substr(0, got.size()));
    EXPECT_TRUE(platform.boxes.empty());
}
