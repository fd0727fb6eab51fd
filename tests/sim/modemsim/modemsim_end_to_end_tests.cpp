// Runs the real modemsim: its pseudo-terminal as the bench's port, a TCP socket as the caller.
#include "sim/common/PseudoTerminal.h"
#include "sim/common/testing/SimulatorProcess.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr auto kWait = 5s;

// Reads from `fd` until `expected` has arrived or the wait runs out; returns all it read.
std::string readUntil(int fd, const std::string& expected, std::chrono::milliseconds wait = kWait)
{
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (got.find(expected) == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left <= 0ms)
            break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char buffer[512];
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
}

// True when the peer closes `fd` within the wait, ignoring data before the close.
bool closedByPeer(int fd)
{
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        char buffer[512];
        if (::read(fd, buffer, sizeof buffer) <= 0)
            return true;
    }
    return false;
}

void writeAll(int fd, const std::string& bytes)
{
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

// A slow machine may let one more RING in before the answer: drop those.
std::string withoutRings(std::string text)
{
    const std::string ring = "\r\nRING\r\n";
    while (text.rfind(ring, 0) == 0)
        text.erase(0, ring.size());
    return text;
}

int connectCaller(unsigned port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The modemsim process, stopped on the way out whatever the test did.
std::unique_ptr<sim::SimulatorProcess> startModemsim(const std::vector<std::string>& args)
{
    return std::make_unique<sim::SimulatorProcess>(MODEMSIM_PATH, args, sim::SimulatorProcess::discardErrors());
}

class ModemsimEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("modemsim-test-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        link_ = dir_ / "com3";
        modem_ = startModemsim({"--listen", "0", "--ring-interval", "0.2", "--link", link_.string(), "--verbose"});
        path_ = modem_->ptyPath();
        const std::string listening = modem_->readLine();
        ASSERT_FALSE(path_.empty());
        ASSERT_EQ(listening.rfind("listening on 127.0.0.1:", 0), 0u) << listening;
        port_ = static_cast<unsigned>(std::stoul(listening.substr(listening.rfind(':') + 1)));

        bench_ = ::open(link_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(bench_, 0);
        sim::makeRaw(bench_);
    }
    void TearDown() override
    {
        if (caller_ >= 0)
            ::close(caller_);
        if (bench_ >= 0)
            ::close(bench_);
        modem_.reset();
        fs::remove_all(dir_);
    }

    // Calls in and answers with ATA.
    void connectCall()
    {
        caller_ = connectCaller(port_);
        ASSERT_GE(caller_, 0);
        ASSERT_EQ(readUntil(bench_, "\r\nRING\r\n"), "\r\nRING\r\n");
        writeAll(bench_, "ATA\r");
        EXPECT_EQ(withoutRings(readUntil(bench_, "CONNECT 9600\r\n")), "ATA\r\r\nCONNECT 9600\r\n");
    }

    fs::path dir_, link_;
    std::unique_ptr<sim::SimulatorProcess> modem_;
    std::string path_;
    unsigned port_ = 0;
    int bench_ = -1;
    int caller_ = -1;
};

} // namespace

TEST_F(ModemsimEndToEnd, CallRingsConnectsPassesDataAndEndsWithNoCarrier)
{
    EXPECT_EQ(fs::read_symlink(link_).string(), path_);
    writeAll(bench_, "AT\r");
    EXPECT_EQ(readUntil(bench_, "OK\r\n"), "AT\r\r\nOK\r\n");

    caller_ = connectCaller(port_);
    ASSERT_GE(caller_, 0);
    // It keeps ringing while nobody answers.
    EXPECT_EQ(readUntil(bench_, "\r\nRING\r\n\r\nRING\r\n"), "\r\nRING\r\n\r\nRING\r\n");
    writeAll(bench_, "ATA\r");
    EXPECT_EQ(withoutRings(readUntil(bench_, "CONNECT 9600\r\n")), "ATA\r\r\nCONNECT 9600\r\n");

    writeAll(bench_, "status 00000001\r");
    EXPECT_EQ(readUntil(caller_, "00000001\r"), "status 00000001\r");
    writeAll(caller_, "configpoints_button_Click ()");
    EXPECT_EQ(readUntil(bench_, "()"), "configpoints_button_Click ()");

    // A second caller finds the line busy.
    int second = connectCaller(port_);
    ASSERT_GE(second, 0);
    EXPECT_EQ(readUntil(second, "BUSY\r\n"), "BUSY\r\n");
    EXPECT_TRUE(closedByPeer(second));
    ::close(second);

    // The caller's last words arrive before the loss of carrier.
    writeAll(caller_, "Disconnect");
    ::close(caller_);
    caller_ = -1;
    EXPECT_EQ(readUntil(bench_, "NO CARRIER\r\n"), "Disconnect\r\nNO CARRIER\r\n");
    writeAll(bench_, "ath0\r");
    EXPECT_EQ(readUntil(bench_, "OK\r\n"), "ath0\r\r\nOK\r\n");

    modem_->signal(SIGTERM);
    EXPECT_EQ(modem_->waitExit(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link_)));
}

TEST_F(ModemsimEndToEnd, EscapeThenHangUpClosesTheCallersConnection)
{
    writeAll(bench_, "ATS12=5\r"); // a 0.1 s guard time keeps the test short
    EXPECT_EQ(readUntil(bench_, "OK\r\n"), "ATS12=5\r\r\nOK\r\n");
    connectCall();

    std::this_thread::sleep_for(200ms);
    writeAll(bench_, "+++");
    EXPECT_EQ(readUntil(caller_, "+++"), "+++");
    EXPECT_EQ(readUntil(bench_, "OK\r\n"), "\r\nOK\r\n");
    writeAll(bench_, "ATH0\r");
    EXPECT_EQ(readUntil(bench_, "OK\r\n"), "ATH0\r\r\nOK\r\n");
    EXPECT_TRUE(closedByPeer(caller_));

    // The line is free again for the next caller.
    ::close(caller_);
    connectCall();

    modem_->signal(SIGINT);
    EXPECT_EQ(modem_->waitExit(), 0);
}

TEST(ModemsimCommandLine, BadArgumentsExitWithCodeTwo)
{
    const auto badSpeed = startModemsim({"--speed", "fast"});
    EXPECT_EQ(badSpeed->waitExit(), 2);

    // An existing file is not replaced by the link.
    const fs::path file = fs::temp_directory_path() / ("modemsim-keep-" + std::to_string(::getpid()));
    { std::FILE* f = std::fopen(file.c_str(), "w"); ASSERT_NE(f, nullptr); std::fputs("keep", f); std::fclose(f); }
    const auto onFile = startModemsim({"--link", file.string(), "--listen", "0"});
    EXPECT_EQ(onFile->waitExit(), 1);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file)));
    fs::remove(file);
}

TEST(ModemsimCommandLine, PrintsTheArgumentThatConnectsTheBench)
{
    sim::SimulatorProcess modem(MODEMSIM_PATH, {"--listen", "0"}, sim::SimulatorProcess::captureErrors());
    const std::string path = modem.ptyPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(modem.errors(), "modemsim: connect with: iobench --port 3=" + path + "\n");
}
