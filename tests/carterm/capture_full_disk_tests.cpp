// The recorder never stands in the window's way: a disk that fills up (a 64 KB tmpfs, mounted
// when the tests run as root) stops the capture with one status-line message, and the pane and
// the session log take everything received as before.
#include "tests/carterm/CarWindowHarness.h"
#include "tests/carterm/log_test_files.h"
#include "serial/capture/CaptureSettings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/mount.h>
#include <unistd.h>

namespace {

struct TinyDisk {
    ScratchFolder scratch;
    std::string dir = scratch.path("tiny");
    bool mounted = false;
    TinyDisk()
    {
        std::filesystem::create_directories(dir);
        mounted = ::geteuid() == 0 && ::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") == 0;
    }
    ~TinyDisk()
    {
        if (mounted)
            ::umount(dir.c_str());
    }
};

void pump(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ::usleep(5000);
    }
}

} // namespace

TEST(CaptureOnAFullDisk, OneMessageAndTheWindowGoesOn)
{
    TinyDisk disk;
    if (!disk.mounted)
        GTEST_SKIP() << "a tmpfs can be mounted only as root";
    CarWindowHarness h;
    auto& f = *h.form;
    f.MSComm1.record({true, disk.dir + "/captures", 500LL << 20, "carscope", "1.0"});
    h.platform.chooseFile(disk.scratch.path("session.log"));
    f.MOpenLog.click();

    std::string expected;
    std::string message;
    for (int i = 0; i < 40; ++i) {
        const std::string piece = "line " + std::to_string(i) + " " + std::string(4000, 'x') + "\r\n";
        h.line->feed(piece);
        expected += piece;
        pump(30);
        if (message.empty() && f.Label1.caption().rfind("Capture stopped: ", 0) == 0) {
            message = f.Label1.caption();
            f.Label1.setCaption("");   // a second message would show again
        }
    }
    pump(700);
    f.MCloseLog.click();

    EXPECT_NE(message.find("No space left on device"), std::string::npos) << message;
    EXPECT_EQ(f.Label1.caption(), "");
    std::ostringstream log;
    log << std::ifstream(disk.scratch.path("session.log"), std::ios::binary).rdbuf();
    EXPECT_EQ(log.str(), expected);
    EXPECT_EQ(f.Term.text().substr(f.Term.text().size() - 100), expected.substr(expected.size() - 100));
    EXPECT_TRUE(f.MSComm1.portOpen());
    EXPECT_TRUE(h.platform.boxes.empty());
}
