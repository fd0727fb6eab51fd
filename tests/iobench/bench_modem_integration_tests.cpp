// The bench window in-process with the real serial backend and the real libKestrel.so, its COM3
// on a real modemsim, and a remote operator calling in over loopback TCP.
#include "iobench/driver/KestrelDriver.h"
#include "tests/iobench/ModemsimProcess.h"
#include "iobench/Packed_Form.h"
#include "toolkit/TestPlatform.h"

#ifdef OVER_SER2NET
#include "tests/support/Ser2netProcess.h"
#endif

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
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

// The remote operator's end of the call; an echoing one sends back whatever reaches it, as a
// terminal in echo mode does, so that anything the bench sends as text during the call comes
// back into its terminal.
class Caller {
public:
    explicit Caller(unsigned port, bool echoing = false) : echoing_(echoing)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(port));
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~Caller() { hangUp(); }
    bool connected() const { return fd_ >= 0; }
    // True once the modem closed the connection: the call was hung up.
    bool closed() const { return closed_; }
    void type(const std::string& text) { (void)!::write(fd_, text.data(), text.size()); }
    void hangUp()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    // Takes in whatever has arrived, without waiting.
    const std::string& received()
    {
        while (fd_ >= 0) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 0) <= 0)
                break;
            char buffer[1024];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) {
                closed_ = n == 0;
                break;
            }
            received_.append(buffer, static_cast<size_t>(n));
            if (echoing_)
                (void)!::write(fd_, buffer, static_cast<size_t>(n));
        }
        return received_;
    }

private:
    int fd_ = -1;
    bool echoing_;
    bool closed_ = false;
    std::string received_;
};

// The bytes that one direction of modemsim's traffic log carried, joined, as logged (escaped).
std::string traffic(const std::string& log, const std::string& direction)
{
    const std::string marker = "modemsim: " + direction + " \"";
    std::string joined;
    for (auto at = log.find(marker); at != std::string::npos; at = log.find(marker, at)) {
        at += marker.size();
        const auto end = log.find("\"\n", at);
        joined += log.substr(at, end - at);
        at = end;
    }
    return joined;
}

std::string without(std::string text, const std::string& noise)
{
    for (auto at = text.find(noise); at != std::string::npos; at = text.find(noise))
        text.erase(at, noise.size());
    return text;
}

size_t count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class BenchOverModem : public ::testing::Test {
protected:
    void SetUp() override
    {
        logPath_ = (fs::temp_directory_path() / ("iobench-modem-" + std::to_string(::getpid()) + ".log")).string();
        modem_ = std::make_unique<ModemsimProcess>(
            MODEMSIM_PROGRAM, std::vector<std::string>{"--listen", "0", "--ring-interval", "0.3", "--verbose"},
            logPath_);
        ASSERT_TRUE(modem_->started()) << modem_->log();
#ifdef OVER_SER2NET
        // The same sessions with COM3 on a serial server in front of the modem.
        server_ = std::make_unique<Ser2netProcess>(
            std::vector<Ser2netProcess::Connection>{{"telnet(rfc2217)", modem_->ptyPath}});
        ASSERT_TRUE(server_->start());
        ::setenv("HOISTWISE_COM3", server_->url("rfc2217").c_str(), 1);
#else
        ::setenv("HOISTWISE_COM3", modem_->ptyPath.c_str(), 1);
#endif
        ::setenv("KESTREL_LIBRARY", KESTREL_SIM_PATH, 1);
        ::unsetenv("KESTREL_SCENARIO");
        form_ = std::make_unique<iobench::Packed_Form>(driver_);
        form_->load();
        ASSERT_TRUE(platform_.boxes.empty()) << platform_.boxes[0].text;
        ASSERT_TRUE(form_->MSComm1.portOpen());
    }
    void TearDown() override
    {
        form_.reset();
        modem_.reset();
        ::unsetenv("HOISTWISE_COM3");
        std::error_code ignored;
        fs::remove(logPath_, ignored);
    }

    // Runs real time and the virtual clock together, the clock kept in step with real time (the
    // modem times its guard times by the real one), until `done` holds or 10 s have passed.
    bool runUntil(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        auto clock = std::chrono::steady_clock::now();
        while (!done()) {
            const auto now = std::chrono::steady_clock::now();
            if (now > deadline)
                return false;
            const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - clock);
            platform_.advance(static_cast<int>(elapsed.count()));
            clock += elapsed;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            std::this_thread::sleep_for(2ms);
        }
        return true;
    }
    // What the caller has received, less the answer request that the RING coming with the
    // CONNECT makes the bench send into the call.
    std::string heard(Caller& caller) { return without(caller.received(), "at&s0=1\r"); }
    bool callerHears(Caller& caller, const std::string& text)
    {
        return runUntil([&] { return heard(caller).find(text) != std::string::npos; });
    }

    toolkit::TestPlatform platform_;
    iobench::KestrelDriver driver_;
    std::unique_ptr<ModemsimProcess> modem_;
#ifdef OVER_SER2NET
    std::unique_ptr<Ser2netProcess> server_;
#endif
    std::unique_ptr<iobench::Packed_Form> form_;
    std::string logPath_;
};

} // namespace

TEST_F(BenchOverModem, ARemoteOperatorOpensConfiguresWritesAndClosesThenHangsUp)
{
    iobench::Packed_Form& f = *form_;
    Caller caller(modem_->callerPort);
    ASSERT_TRUE(caller.connected());

    // RING -> at&s0=1 -> the modem answers on the next ring.
    ASSERT_TRUE(runUntil([&] { return modem_->log().find("call state: online") != std::string::npos; }))
        << modem_->log();
    EXPECT_NE(modem_->log().find("bench -> modem \"at&s0=1\\r"), std::string::npos);

    caller.type("open_kx9_button_Click()");
    ASSERT_TRUE(callerHears(caller, "base_io_textbox.Text = \"220\"\rconfigmask_textbox.Text = \"00000001\""))
        << caller.received();
    EXPECT_FALSE(f.open_kx9_button.enabled());
    EXPECT_EQ(f.last_error, 0);
    EXPECT_NE(f.adapter_handle, 0);
    EXPECT_TRUE(f.simulated_label.visible());
    EXPECT_EQ(f.caption(), "Packed Example (simulated adapter)");

    caller.type("configpoints_button_Click ()");
    // The carriage return, then the first poll's new status twice.
    ASSERT_TRUE(callerHears(caller, "\"00000001\"\rFF00FF02\rFF00FF02\r")) << caller.received();
    EXPECT_TRUE(f.Timer2.enabled());
    EXPECT_EQ(f.Text2.backColor(), toolkit::colors::red);

    caller.type("writemask_textbox.Text =\"00000001\"");
    ASSERT_TRUE(callerHears(caller, "FF00FF03\r")) << caller.received();
    EXPECT_EQ(f.iostatus_textbox.text(), "FF00FF03");
    EXPECT_EQ(f.txtPassed.text(), "1");

    caller.type("writemask_textbox.Text =\"00000000\"");
    ASSERT_TRUE(runUntil([&] {
        const std::string h = heard(caller);
        return h.find("FF00FF02\r", h.find("FF00FF03\r")) != std::string::npos;
    })) << caller.received();
    EXPECT_EQ(f.txtPassed.text(), "1");

    caller.type("closeadapter_button_Click ()");
    ASSERT_TRUE(runUntil([&] { return f.open_kx9_button.enabled(); }));
    EXPECT_FALSE(f.Timer2.enabled());
    EXPECT_EQ(f.last_error, 0);

    // The caller hangs up: NO CARRIER -> ath0, then at&s0=0.
    caller.hangUp();
    ASSERT_TRUE(runUntil([&] {
        const std::string log = modem_->log();
        const auto hungUp = log.find("the caller hung up");
        return hungUp != std::string::npos && log.find("at&s0=0\\r", hungUp) != std::string::npos;
    })) << modem_->log();
    const std::string log = modem_->log();
    const std::string afterHangUp = log.substr(log.find("the caller hung up"));
    const auto hangUpCommand = afterHangUp.find("ath0\\r");
    ASSERT_NE(hangUpCommand, std::string::npos) << afterHangUp;
    EXPECT_LT(hangUpCommand, afterHangUp.find("at&s0=0\\r"));
    EXPECT_TRUE(platform_.boxes.empty());
}

TEST_F(BenchOverModem, EachRingIsAnsweredOnceAndDisconnectEscapesAndHangsUp)
{
    Caller caller(modem_->callerPort, true);
    ASSERT_TRUE(caller.connected());
    ASSERT_TRUE(runUntil([&] {
        caller.received();
        return modem_->log().find("call state: online") != std::string::npos;
    })) << modem_->log();
    // A second into the call the caller's echoes have set off nothing more.
    const auto settled = std::chrono::steady_clock::now() + 1s;
    runUntil([&] {
        caller.received();
        return std::chrono::steady_clock::now() > settled;
    });
    const std::string answered = modem_->log();
    const size_t rings = count(traffic(answered, "modem -> bench"), "RING");
    EXPECT_GE(rings, 2u); // the one answered by at&s0=1, the one the modem picks up on
    EXPECT_EQ(count(traffic(answered, "bench -> modem"), "at&s0=1\\r"), rings) << answered;
    std::cout << "[ measured ] RING reports " << rings << ", at&s0=1 sent "
              << count(traffic(answered, "bench -> modem"), "at&s0=1\\r") << "\n";
    // The answer to the RING that came with the CONNECT reaches the caller as text, once.
    EXPECT_LE(count(caller.received(), "at&s0=1\r"), 1u) << caller.received();

    // "Disconnect": a second of silence, "+++", a second of silence, then ath0 in command mode.
    const auto typed = std::chrono::steady_clock::now();
    caller.type("Disconnect");
    ASSERT_TRUE(runUntil([&] { return caller.received().find("+++") != std::string::npos; }));
    EXPECT_GE(std::chrono::steady_clock::now() - typed, 1s);
    ASSERT_TRUE(runUntil([&] {
        caller.received();
        // The two commands may come in two pieces over a network link, the hang-up between them.
        return caller.closed() && modem_->log().find("at&s0=0\\r", modem_->log().find("Disconnect")) != std::string::npos;
    })) << modem_->log();
    const std::string log = modem_->log();
    const std::string call = log.substr(log.find("caller -> modem \"Disconnect"));
    const auto escaped = call.find("call state: online command mode");
    EXPECT_LT(call.find("+++"), escaped);
    EXPECT_LT(escaped, call.find("ath0\\r"));
    EXPECT_LT(call.find("ath0\\r"), call.find("hanging up on the caller"));
    EXPECT_EQ(traffic(call, "bench -> modem"), "+++ath0\\rat&s0=0\\r") << call;
    EXPECT_TRUE(platform_.boxes.empty());
}
