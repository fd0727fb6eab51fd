// carscope's car window over the network: the real carsim behind the real ser2net on loopback,
// the window in-process on the real backends, its timers on the virtual clock kept in step with
// real time while Qt's events are pumped.
#include "tests/support/TestCertificates.h"
#include "tests/support/Ser2netProcess.h"
#include "sim/common/testing/SimulatorProcess.h"
#include "carscope/ScopeForm1.h"
#include "carterm/ConfigScrn.h"
#include "serial/capture/CaptureSettings.h"
#include "serial/capture/SessionCapture.h"
#include "tests/support/RealTime.h"
#include "toolkit/TestPlatform.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <unistd.h>

using namespace std::chrono;

namespace {

struct ScopeOverSer2net : ::testing::Test {
    toolkit::TestPlatform platform;
    std::unique_ptr<sim::SimulatorProcess> carsim;
    std::unique_ptr<Ser2netProcess> server;
    std::unique_ptr<carterm::ScopeForm1> form;
    milliseconds longestStep{0};
    QTemporaryDir captures;
    std::string stem;

    void serve(std::vector<std::string> stacks)
    {
        carsim = std::make_unique<sim::SimulatorProcess>(CARSIM_PROGRAM, std::vector<std::string>{"--seed", "7"});
        ASSERT_FALSE(carsim->ptyPath().empty()) << "carsim did not report its line";
        std::vector<Ser2netProcess::Connection> connections;
        for (std::string& stack : stacks)
            connections.push_back({std::move(stack), carsim->ptyPath()});
        server = std::make_unique<Ser2netProcess>(std::move(connections));
        ASSERT_TRUE(server->start()) << "ser2net does not listen";
    }
    void openWindow(const std::string& mapping)
    {
        form.reset();
        platform.boxes.clear();
        ::setenv("HOISTWISE_COM1", mapping.c_str(), 1);
        form = std::make_unique<carterm::ScopeForm1>();
        form->MSComm1.record({.enabled = true, .folder = captures.path().toStdString()});
        form->load();
        form->show();
    }
    // The timing records of the window's session, once its recorder has let go of them.
    std::string records()
    {
        if (auto* capture = form->MSComm1.capture())
            stem = capture->currentStem();
        form.reset();
        return std::string(std::istreambuf_iterator<char>(std::ifstream(stem + ".timing").rdbuf()), {});
    }
    void TearDown() override
    {
        form.reset();
        server.reset();
        carsim.reset();
        ::unsetenv("HOISTWISE_COM1");
    }

    // Pumps the window with real time until `done` holds or `limit` has passed, noting the longest
    // the window went without being served.
    bool runUntil(const std::function<bool()>& done, milliseconds limit)
    {
        return runInRealTime(platform, done, limit, {}, &longestStep);
    }
    static int count(const std::string& text, const std::string& what)
    {
        int n = 0;
        for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }
    bool polling(int replies = 2)
    {
        form->Command1.click();
        const int before = count(form->Term.text(), "> PMII");
        return runUntil([&] { return count(form->Term.text(), "> PMII") >= before + replies && form->txtpos.text() == "1"; },
                        seconds(5));
    }
    // A failed connection leaves its reason and neither an OPEN nor the greeting it never sent.
    void expectFailureRecorded(const std::string& mapping, const std::string& reason)
    {
        const std::string told = records();
        EXPECT_NE(told.find(" FAILED COM1 " + mapping + ": cannot connect: " + reason), std::string::npos) << told;
        EXPECT_EQ(told.find(" OPEN "), std::string::npos) << told;
        EXPECT_EQ(told.find("\nI "), std::string::npos) << told;
    }
    std::string lastBox() const { return platform.boxes.empty() ? "" : platform.boxes.back().text; }
    std::string farSpeed() const
    {
        std::string out;
        if (FILE* stty = ::popen(("stty -F " + carsim->ptyPath() + " speed 2>&1").c_str(), "r")) {
            char line[64] = {};
            if (std::fgets(line, sizeof line, stty))
                out = line;
            ::pclose(stty);
        }
        return out.substr(0, out.find('\n'));
    }
};

} // namespace

TEST_F(ScopeOverSer2net, Pmi1GivesTheLiveDisplayAndASettingsChangeReachesTheFarLine)
{
    serve({"telnet(rfc2217)"});
    openWindow(server->url("rfc2217"));
    auto& f = *form;
    ASSERT_TRUE(f.MSComm1.portOpen());
    ASSERT_TRUE(polling()) << lastBox();
    EXPECT_EQ(f.Label1.caption(), "COM1 (" + server->url("rfc2217") + ") is not encrypted: commands and replies "
                                  "travel in clear");
    EXPECT_EQ(farSpeed(), "1200");

    f.MSettings.click();
    auto& dialog = static_cast<carterm::ConfigScrn&>(*f.settingsDialog);
    dialog.Text2.setText("9600,n,8,1");
    dialog.OKButton.click();   // closes the port, applies, opens it again
    EXPECT_TRUE(runUntil([&] { return farSpeed() == "9600"; }, seconds(3))) << farSpeed();
    EXPECT_TRUE(runUntil([&] { return f.Label1.caption() == "COM1 runs at 9600,n,8,1"; }, seconds(3))) << f.Label1.caption();
    EXPECT_TRUE(polling());
    EXPECT_TRUE(platform.boxes.empty()) << lastBox();
}

TEST_F(ScopeOverSer2net, ATcpPortCarriesTheBytesAndSaysOnceThatItCannotCarrySettings)
{
    serve({""});
    openWindow(server->url("tcp"));
    auto& f = *form;
    ASSERT_TRUE(polling()) << lastBox();
    f.MSettings.click();   // the dialog's change closes and reopens the port
    static_cast<carterm::ConfigScrn&>(*f.settingsDialog).Text2.setText("9600,n,8,1");
    static_cast<carterm::ConfigScrn&>(*f.settingsDialog).OKButton.click();
    EXPECT_TRUE(runUntil([&] { return f.Label1.caption().find(") cannot carry settings") != std::string::npos; }, seconds(1)));
    f.Label1.setCaption("");
    ASSERT_FALSE(f.MSComm1.setSettings("19200,n,8,1"));
    EXPECT_FALSE(runUntil([&] { return !f.Label1.caption().empty(); }, milliseconds(300)));   // said once
    EXPECT_EQ(f.MSComm1.settings(), "19200,n,8,1");
    EXPECT_EQ(farSpeed(), "1200");
}

TEST_F(ScopeOverSer2net, AServerRestartIsTheLossOfTheDeviceThenReconnectedAndLiveAgain)
{
    serve({"telnet(rfc2217)"});
    openWindow(server->url("rfc2217"));
    auto& f = *form;
    ASSERT_TRUE(polling());
    // While the window holds the port, ser2net turns another client away with its own words.
    serial::control::CommControl other;
    std::string refusal;
    other.onPortLost = [&](const std::string& text) { refusal = text; };
    ASSERT_FALSE(other.setPortOpen(true));
    ASSERT_TRUE(runUntil([&] { return !refusal.empty(); }, seconds(5)));
    EXPECT_EQ(refusal, "COM1 (" + server->url("rfc2217") + ") cannot connect: the server closed the connection, "
                       "saying \"Port already in use\"");

    server->stop();
    ASSERT_TRUE(runUntil([&] { return !f.MSComm1.portOpen() && !platform.boxes.empty(); }, seconds(3)));
    EXPECT_NE(lastBox().find("the server closed the connection"), std::string::npos) << lastBox();
    EXPECT_FALSE(f.MOpen.checked());
    runUntil({}, milliseconds(1500));   // a try or two meet nobody and stay silent
    EXPECT_EQ(f.Label1.caption().rfind("COM1: waiting for " + server->url("rfc2217") + " (", 0), 0u) << f.Label1.caption();
    EXPECT_NE(f.Label1.caption().find("); values shown are from 10:00:0"), std::string::npos) << f.Label1.caption();
    ASSERT_TRUE(server->start());
    ASSERT_TRUE(runUntil([&] { return f.Label1.caption() == "COM1 reconnected"; }, seconds(6))) << f.Label1.caption();
    EXPECT_TRUE(f.MOpen.checked());
    f.Term.setText("");
    EXPECT_TRUE(runUntil([&] { return count(f.Term.text(), "> PMII") >= 2; }, seconds(3)));
    EXPECT_EQ(platform.boxes.size(), 1u);   // the loss, told once, then settled
    EXPECT_EQ(platform.settled.at(0).rfind("COM1 reconnected at ", 0), 0u);
}

TEST_F(ScopeOverSer2net, AServerStartedAfterTheWindowIsConnectedToWithinTheBackOff)
{
    serve({"telnet(rfc2217)"});
    server->stop();
    openWindow(server->url("rfc2217"));
    ASSERT_TRUE(runUntil([&] { return !platform.boxes.empty(); }, seconds(3)));
    EXPECT_NE(lastBox().find("the connection was refused"), std::string::npos);
    EXPECT_TRUE(runUntil([&] { return form->Label1.caption().find("(next try in 2 s)") != std::string::npos; }, seconds(3)));
    ASSERT_TRUE(server->start());
    ASSERT_TRUE(runUntil([&] { return form->Label1.caption() == "COM1 connected"; }, seconds(10))) << form->Label1.caption();
    EXPECT_TRUE(form->MOpen.checked());
    EXPECT_TRUE(polling());
    const std::string told = records();
    EXPECT_LT(told.find(" FAILED COM1 "), told.find(" OPEN COM1 "));
}

TEST_F(ScopeOverSer2net, TlsConnectsWithTheSiteCaAndRefusesAnotherCaAnotherHostOrAnExpiredCertificateSayingWhy)
{
    const TestCertificates certs;
    ASSERT_TRUE(certs.made) << "openssl could not make the test certificates";
    serve({certs.ssl("here"), certs.ssl("elsewhere"), certs.ssl("expired"), "telnet(rfc2217)",
           certs.ssl("here", ",clientauth,CA=" + certs.dir + "/site-ca.pem")});
    const auto tls = [&](std::size_t i, const std::string& ca) {
        return server->url("rfc2217s", i) + "?ca=" + certs.dir + "/" + ca + ".pem";
    };
    openWindow(tls(0, "site-ca"));
    EXPECT_TRUE(polling()) << lastBox();
    EXPECT_EQ(form->Label1.caption().find("not encrypted"), std::string::npos);

    const struct {
        std::string mapping;
        std::string reason;
    } refused[] = {
        {tls(0, "other-ca"), "the server's certificate is not trusted (unable to get local issuer certificate) by "
                                 + certs.dir + "/other-ca.pem"},
        {tls(1, "site-ca"), "the server's certificate is for mr9.example, not for 127.0.0.1"},
        {tls(2, "site-ca"), "the server's certificate is not trusted (certificate has expired) by " + certs.dir
                                + "/site-ca.pem"},
        {tls(3, "site-ca"), "the server at 127.0.0.1:" + std::to_string(server->port(3)) + " is not speaking TLS"},
        {tls(4, "site-ca"), "the server asks for a client certificate (it hung up once TLS was up): give cert= and key="},
    };
    for (const auto& r : refused) {
        openWindow(r.mapping);
        ASSERT_TRUE(runUntil([&] { return !platform.boxes.empty(); }, seconds(5))) << r.mapping;
        EXPECT_EQ(lastBox(), "COM1 (" + r.mapping + ") cannot connect: " + r.reason);
        EXPECT_FALSE(form->MSComm1.portOpen());
        EXPECT_FALSE(form->MOpen.checked());
        expectFailureRecorded(r.mapping, r.reason);
    }
}

TEST_F(ScopeOverSer2net, AnUnreachableServerIsToldWithinTenSecondsWhileTheWindowGoesOn)
{
    // A listener that never accepts: the connect succeeds and nothing ever answers.
    const int silent = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::listen(silent, 1);
    ::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &size);
    const std::string silentPort = std::to_string(ntohs(address.sin_port));

    const struct {
        std::string mapping;
        std::string reason;
    } faults[] = {
        {"rfc2217://127.0.0.1:" + std::to_string(Ser2netProcess::freePort()), "the connection was refused"},
        {"rfc2217://nonexistent.invalid:3001", "the name nonexistent.invalid is not found"},
        {"rfc2217://127.0.0.1:" + silentPort, "no answer from 127.0.0.1:" + silentPort + " within 10 s"},
    };
    for (const auto& fault : faults) {
        openWindow(fault.mapping);
        longestStep = milliseconds(0);
        const auto start = steady_clock::now();
        ASSERT_TRUE(runUntil([&] { return !platform.boxes.empty(); }, seconds(11))) << fault.mapping;
        EXPECT_LE(steady_clock::now() - start, seconds(11));
        EXPECT_LT(longestStep, milliseconds(250)) << fault.mapping;
        EXPECT_EQ(lastBox().rfind("COM1 (" + fault.mapping + ") cannot connect: " + fault.reason, 0), 0u) << lastBox();
        EXPECT_FALSE(form->MSComm1.portOpen());
        expectFailureRecorded(fault.mapping, fault.reason);
    }
    ::close(silent);
}

// Our fake server: an overrun recovered without unasked polls or a reopen, data never quoted as the
// server's words at a loss, each fault ended saying so, and no telnet byte on tcp://.
TEST_F(ScopeOverSer2net, AFakeServersFaultsEndAsTold)
{
    const std::string log = ::testing::TempDir() + "fake-server-" + std::to_string(::getpid());
    const auto sent = [&] { return std::string(std::istreambuf_iterator<char>(std::ifstream(log).rdbuf()), {}); };
    const struct { std::string mode, scheme, told; } cases[] = {
        {"agree", "rfc2217", "the server closed the connection. The device"},
        {"endless", "rfc2217", "sends a telnet subnegotiation that never ends"},
        {"silent", "rfc2217", "does not speak RFC 2217: is its accepter `telnet(rfc2217)`?"},
        {"silent", "tcp", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scheme + " " + c.mode);
        std::filesystem::remove(log);
        sim::SimulatorProcess fake(FAKE_SERVER, {c.mode, log});
        openWindow(c.scheme + "://127.0.0.1:" + fake.readLine());
        if (c.mode == "agree") {
            ASSERT_TRUE(runUntil([&] { return sent().find("install\r") != std::string::npos; }, seconds(5)));
            fake.stop();
        }
        runUntil([&] { return !platform.boxes.empty(); }, seconds(c.told.empty() ? 1 : 11));
        EXPECT_EQ(platform.boxes.empty(), c.told.empty());
        EXPECT_NE(lastBox().find(c.told), std::string::npos) << lastBox();
        EXPECT_EQ(lastBox().find("saying"), std::string::npos) << lastBox();
        EXPECT_EQ(sent().find("pmi"), std::string::npos);
        EXPECT_TRUE(c.scheme == "rfc2217" || sent().find('\xff') == std::string::npos);
    }
    std::filesystem::remove(log);
}
