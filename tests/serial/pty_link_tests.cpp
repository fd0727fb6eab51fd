// The control on real pseudo-terminals: the test holds the master side, as carsim would.
#include "serial/control/CommControl.h"
#include "tests/serial/EventLoop.h"
#include "tests/support/PseudoRandom.h"
#include "sim/common/PseudoTerminal.h"

#include <QElapsedTimer>
#include <asm/ioctls.h>
#include <fcntl.h>
#include <fstream>
#include "tests/serial/Succeeded.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>


namespace {

std::string everyByteValue()
{
    std::string bytes(256, '\0');
    for (int i = 0; i < 256; ++i)
        bytes[i] = static_cast<char>(i);
    return bytes;
}

long cpuMilliseconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000L
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000L;
}

class PtyLinkTest : public ::testing::Test {
protected:
    static constexpr int port = 7;

    PtyLinkTest()
    {
        pty = std::make_unique<sim::PseudoTerminal>();
        master = pty->masterFd();
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        ::setenv("HOISTWISE_COM7", pty->slavePath().c_str(), 1);
        EXPECT_TRUE(succeeded(control.setCommPort(port)));
        control.onComm = [this] {
            events.push_back(control.commEvent());
            if (control.commEvent() == serial::comEvReceive)
                received += control.input();
        };
    }
    ~PtyLinkTest() override { ::unsetenv("HOISTWISE_COM7"); }

    // Reads what reaches the master side until `count` bytes are there (or time runs out).
    std::string readAtMaster(size_t count, int timeoutMs = 5000)
    {
        std::string got;
        char buffer[65536];
        runUntil([&] {
            ssize_t n;
            while ((n = ::read(master, buffer, sizeof buffer)) > 0)
                got.append(buffer, static_cast<size_t>(n));
            return got.size() >= count;
        }, timeoutMs);
        return got;
    }

    // Writes everything at the master side while the control keeps receiving.
    bool sendFromMaster(const std::string& bytes, int timeoutMs = 10000)
    {
        size_t done = 0;
        return runUntil([&] {
            while (done < bytes.size()) {
                const ssize_t n = ::write(master, bytes.data() + done, bytes.size() - done);
                if (n <= 0)
                    break;
                done += static_cast<size_t>(n);
            }
            return done == bytes.size() && received.size() >= bytes.size();
        }, timeoutMs);
    }

    termios slaveTermios() const
    {
        termios tio{};
        ::tcgetattr(master, &tio);   // on a master this reads the slave's settings
        return tio;
    }

    std::unique_ptr<sim::PseudoTerminal> pty;
    int master = -1;
    serial::control::CommControl control;
    std::vector<int> events;
    std::string received;
};

} // namespace

TEST_F(PtyLinkTest, OpensAppliesSettingsWhileOpenAndRefusesWhatTheDeviceCannotTake)
{
    // A pseudo-terminal keeps 8 bits and no parity whatever it is told; rate and stop bits stick.
    ASSERT_TRUE(succeeded(control.setSettings("19200,e,7,2")));
    ASSERT_TRUE(succeeded(control.setPortOpen(true)));
    EXPECT_TRUE(control.portOpen());
    EXPECT_EQ(control.settings(), "19200,e,7,2");
    termios tio = slaveTermios();
    EXPECT_EQ(cfgetospeed(&tio), B19200);
    EXPECT_TRUE(tio.c_cflag & CSTOPB);

    EXPECT_TRUE(succeeded(control.setSettings("115200,N,8,1")));
    EXPECT_EQ(control.settings(), "115200,n,8,1");
    tio = slaveTermios();
    EXPECT_EQ(cfgetospeed(&tio), B115200);
    EXPECT_FALSE(tio.c_cflag & CSTOPB);

    EXPECT_TRUE(succeeded(control.setSettings("250000,n,8,1")));   // not a standard rate
    EXPECT_TRUE(succeeded(control.setSettings("4000000,m,8,1")));
    EXPECT_TRUE(succeeded(control.setSettings("1200,n,8,1")));

    const termios before = slaveTermios();
    const auto refused = control.setSettings("9600,n,8,1.5");
    EXPECT_EQ(refused.number, serial::errSettingsRefused);
    EXPECT_EQ(refused.text, "COM7 (" + pty->slavePath() + ") cannot use the settings \"9600,n,8,1.5\": "
                            "1.5 stop bits cannot be set on this system (use 1 or 2); \"1200,n,8,1\" stays in force");
    EXPECT_EQ(control.settings(), "1200,n,8,1");
    const termios after = slaveTermios();
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(cfgetospeed(&after), B1200);
}

TEST_F(PtyLinkTest, SettingsNoDeviceCanTakeAreRefusedWhileClosedSoTheNextOpenWorks)
{
    const auto refused = control.setSettings("9600,n,8,1.5");
    EXPECT_EQ(refused.number, serial::errSettingsRefused);
    EXPECT_EQ(refused.text, "COM7 (" + pty->slavePath() + ") cannot use the settings \"9600,n,8,1.5\": "
                            "1.5 stop bits cannot be set on this system (use 1 or 2); \"9600,n,8,1\" stays in force");
    EXPECT_EQ(control.settings(), "9600,n,8,1");
    EXPECT_TRUE(succeeded(control.setPortOpen(true)));
}

TEST_F(PtyLinkTest, MissingDeviceIsNamedWithTheSystemText)
{
    ::setenv("HOISTWISE_COM7", "/dev/hoistwise-no-such-tty", 1);
    const auto error = control.setPortOpen(true);
    EXPECT_EQ(error.number, serial::errNoSuchPort);
    EXPECT_EQ(error.text, "COM7 (/dev/hoistwise-no-such-tty, from HOISTWISE_COM7): No such file or directory");

    ::setenv("HOISTWISE_COM7", "/dev/null", 1);
    EXPECT_EQ(control.setPortOpen(true).text,
              "COM7 (/dev/null, from HOISTWISE_COM7) is not a serial device (it is a character device of another kind)");
    EXPECT_FALSE(control.portOpen());
}

TEST_F(PtyLinkTest, EveryByteValueIsSentUnchanged)
{
    ASSERT_TRUE(succeeded(control.setPortOpen(true)));
    const std::string bytes = everyByteValue() + patternBytes(100000);
    ASSERT_TRUE(succeeded(control.output(bytes)));
    EXPECT_EQ(readAtMaster(bytes.size()), bytes);
    EXPECT_TRUE(runUntil([&] { return control.outBufferCount() == 0; }, 2000));
}

TEST_F(PtyLinkTest, EveryByteValueIsReceivedPromptlyThroughTheReceiveEvent)
{
    ASSERT_TRUE(succeeded(control.setPortOpen(true)));
    const std::string bytes = everyByteValue();
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(::write(master, bytes.data(), bytes.size()), 256);
    ASSERT_TRUE(runUntil([&] { return received.size() >= 256; }, 2000));
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_EQ(received, bytes);
    EXPECT_FALSE(events.empty());
    EXPECT_EQ(std::count(events.begin(), events.end(), serial::comEvReceive), static_cast<long>(events.size()));

    // A long stream arrives whole and in order.
    received.clear();
    const std::string stream = patternBytes(3'000'000);
    ASSERT_TRUE(sendFromMaster(stream));
    EXPECT_TRUE(received == stream);
}

TEST_F(PtyLinkTest, OutBufferCountShowsWhatIsStillQueuedUntilTheLineDrains)
{
    ASSERT_TRUE(succeeded(control.setPortOpen(true)));
    const std::string bytes = patternBytes(1'000'000);
    ASSERT_TRUE(succeeded(control.output(bytes)));
    EXPECT_EQ(control.outBufferCount(), 1'000'000);   // nothing has gone yet

    // The far end reads nothing: the system's buffers fill and the rest waits.
    runFor(200);
    const int stalled = control.outBufferCount();
    int atMaster = 0;
    ::ioctl(master, TIOCINQ, &atMaster);
    EXPECT_GT(stalled, 0);
    EXPECT_LT(stalled, 1'000'000);
    EXPECT_LE(stalled + atMaster, 1'000'000);

    // The far end reads: the count falls to zero and everything arrived intact.
    std::string got;
    char buffer[65536];
    ASSERT_TRUE(runUntil([&] {
        ssize_t n;
        while ((n = ::read(master, buffer, sizeof buffer)) > 0)
            got.append(buffer, static_cast<size_t>(n));
        return control.outBufferCount() == 0 && got.size() == bytes.size();
    }, 10000));
    EXPECT_TRUE(got == bytes);
}

TEST_F(PtyLinkTest, ClosingDiscardsWhatHasNotGoneOutAndKeepsWhatCameIn)
{
    ASSERT_TRUE(succeeded(control.setPortOpen(true)));
    ASSERT_TRUE(succeeded(control.output(patternBytes(1'000'000))));
    ASSERT_EQ(::write(master, "reply", 5), 5);
    control.onComm = nullptr;   // nobody reads: "reply" stays waiting
    runFor(200);
    ASSERT_GT(control.outBufferCount(), 0);

    ASSERT_TRUE(succeeded(control.setPortOpen(false)));
    EXPECT_EQ(control.outBufferCount(), 0);
    EXPECT_EQ(control.input(), "reply");

    ASSERT_TRUE(succeeded(control.setPortOpen(true)));
    EXPECT_EQ(control.outBufferCount(), 0);
    ASSERT_TRUE(succeeded(control.output("end")));
    const std::string got = readAtMaster(1'000'000, 300);
    EXPECT_LT(got.size(), 1'000'000u);
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(got.substr(got.size() - 3), "end");
}

TEST_F(PtyLinkTest, TheFarEndClosingClosesThePortReportsOnceAndNothingSpins)
{
    ASSERT_TRUE(succeeded(control.setPortOpen(true)));
    int reports = 0;
    std::string report;
    bool openDuringReport = true;
    control.onPortLost = [&](const std::string& text) {
        ++reports;
        report = text;
        openDuringReport = control.portOpen();
    };
    const std::string slave = pty->slavePath();
    pty.reset();   // closes the master: the slave hangs up

    ASSERT_TRUE(runUntil([&] { return reports > 0; }, 2000));
    EXPECT_FALSE(control.portOpen());
    EXPECT_FALSE(openDuringReport);
    EXPECT_EQ(report.rfind("COM7 (" + slave + "): Input/output error.", 0), 0u) << report;

    const long cpuBefore = cpuMilliseconds();
    runFor(1000);
    EXPECT_LT(cpuMilliseconds() - cpuBefore, 150);
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(control.output("x").number, serial::errPortNotOpen);
}

TEST_F(PtyLinkTest, AHungUpDeviceLikeAnUnpluggedAdapterIsReportedOnce)
{
    ASSERT_TRUE(succeeded(control.setPortOpen(true)));
    int reports = 0;
    control.onPortLost = [&](const std::string&) { ++reports; };
    const int slave = ::open(pty->slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(slave, 0);
    const int hungUp = ::ioctl(slave, TIOCVHANGUP);
    ::close(slave);
    if (hungUp != 0)
        GTEST_SKIP() << "no permission to hang up a terminal here";

    ASSERT_TRUE(runUntil([&] { return reports > 0; }, 2000));
    EXPECT_FALSE(control.portOpen());
    const long cpuBefore = cpuMilliseconds();
    runFor(500);
    EXPECT_LT(cpuMilliseconds() - cpuBefore, 100);
    EXPECT_EQ(reports, 1);

    // The device is still there: the port opens again.
    EXPECT_TRUE(succeeded(control.setPortOpen(true)));
}

TEST_F(PtyLinkTest, ALostLineIsReopenedWhenItsPathComesBackAsATerminalAndOnlyThen)
{
    const std::string link = "/tmp/hoistwise-replug-" + std::to_string(::getpid());
    ::unlink(link.c_str());
    pty->linkTo(link);
    ::setenv("HOISTWISE_COM7", link.c_str(), 1);
    ASSERT_TRUE(succeeded(control.setPortOpen(true)));
    std::vector<std::string> reports;
    control.onPortLost = [&](const std::string&) { reports.push_back("lost"); };
    control.onPortReconnected = [&](const std::string& text) { reports.push_back(text); };

    pty.reset();   // the far end goes, and its link with it
    ASSERT_TRUE(runUntil([&] { return !reports.empty(); }, 2000));
    ASSERT_TRUE(succeeded(control.setSettings("19200,n,8,2")));   // changed while it was away

    // Something that is not a terminal appears at the path: a file, then a character device
    // that is not a terminal. Neither is opened, and waiting costs next to nothing.
    const long cpuBefore = cpuMilliseconds();
    { std::ofstream(link) << "not a device"; }
    runFor(1300);
    ::unlink(link.c_str());
    ASSERT_EQ(::symlink("/dev/null", link.c_str()), 0);
    runFor(1300);
    EXPECT_LT(cpuMilliseconds() - cpuBefore, 150);
    EXPECT_FALSE(control.portOpen());
    EXPECT_EQ(reports, std::vector<std::string>{"lost"});
    ::unlink(link.c_str());

    sim::PseudoTerminal again;
    again.linkTo(link);
    ASSERT_TRUE(runUntil([&] { return control.portOpen(); }, 2500));
    runFor(50);
    EXPECT_EQ(reports, (std::vector<std::string>{"lost", "COM7 reconnected"}));
    termios tio{};
    ASSERT_EQ(::tcgetattr(again.masterFd(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), B19200);
    ASSERT_EQ(::write(again.masterFd(), "back", 4), 4);
    EXPECT_TRUE(runUntil([&] { return received == "back"; }, 2000)) << received;
}

// A pseudo-terminal keeps 8 data bits and no parity whatever it is told: the values really in
// force are read back at each open (the settings dialog closes the port, sets, opens) and told
// once per finding.
TEST_F(PtyLinkTest, SettingsThePtyDoesNotTakeAreToldOnceWithTheValuesInForce)
{
    std::vector<std::string> told;
    control.onNotice = [&](const std::string& text) { told.push_back(text); };
    for (const char* settings : {"9600,m,8,1", "9600,m,8,1", "9600,n,5,1", "115200,e,7,2", "115200,n,8,2"}) {
        EXPECT_TRUE(succeeded(control.setPortOpen(false)));
        EXPECT_TRUE(succeeded(control.setSettings(settings)));
        EXPECT_TRUE(succeeded(control.setPortOpen(true))) << settings;
    }
    const std::string port = "COM7 (" + pty->slavePath() + ") runs ";
    EXPECT_EQ(told, (std::vector<std::string>{
                        port + "with parity n, not m (settings in force: 9600,n,8,1)",
                        port + "with 8 data bits, not 5 (settings in force: 9600,n,8,1)",
                        port + "with 8 data bits, not 7 and with parity n, not e (settings in force: 115200,n,8,2)",
                        "COM7 runs at 115200,n,8,2",   // taken as asked: a change confirmed
                    }));
}
