// The control's own rules, driven through the fake device.
#include "serial/control/CommControl.h"
#include "tests/support/FakeSerialBackend.h"

#include <cstdlib>
#include <functional>
#include "tests/serial/Succeeded.h"

#include <gtest/gtest.h>
#include <vector>

using namespace carterm;

namespace {

class CommControlTest : public ::testing::Test {
protected:
    CommControlTest()
    {
        auto backend = std::make_unique<FakeSerialBackend>();
        fake = backend.get();
        control = std::make_unique<serial::control::CommControl>(std::move(backend));
        control->onComm = [this] {
            events.push_back(control->commEvent());
            if (control->commEvent() == serial::comEvReceive)
                received += control->input();
        };
    }

    FakeSerialBackend* fake = nullptr;
    std::unique_ptr<serial::control::CommControl> control;
    std::vector<int> events;
    std::string received;
};

} // namespace

TEST_F(CommControlTest, AFailedOpenSaysWhereTheMappingOfItsPortCameFrom)
{
    ::setenv("HOISTWISE_COM10", "/dev/ttyUSB0", 1);
    ASSERT_TRUE(succeeded(control->setCommPort(10)));
    EXPECT_EQ(control->deviceName(), "/dev/ttyUSB0");
    fake->failOpen({serial::errNoSuchPort, "No such file or directory"});
    EXPECT_EQ(control->setPortOpen(true).text, "COM10 (/dev/ttyUSB0, from HOISTWISE_COM10): No such file or directory");
    ::unsetenv("HOISTWISE_COM10");
}

TEST_F(CommControlTest, StartsClosedOnPortOneAt9600AndPortNumberRulesHold)
{
    EXPECT_EQ(control->commPort(), 1);
    EXPECT_EQ(control->settings(), "9600,n,8,1");
    EXPECT_FALSE(control->portOpen());
    EXPECT_EQ(control->portLabel(), "COM1 (/dev/ttyS0)");

    const auto zero = control->setCommPort(0);
    EXPECT_EQ(zero.number, serial::errInvalidValue);
    EXPECT_EQ(zero.text, "Port number 0 is not valid: port numbers start at 1");

    EXPECT_TRUE(succeeded(control->setCommPort(3)));
    EXPECT_EQ(control->deviceName(), "/dev/ttyS2");
    ASSERT_TRUE(succeeded(control->setPortOpen(true)));
    EXPECT_EQ(fake->openedDevice(), "/dev/ttyS2");

    const auto whileOpen = control->setCommPort(4);
    EXPECT_EQ(whileOpen.number, serial::errPortAlreadyOpen);
    EXPECT_EQ(whileOpen.text, "COM3 (/dev/ttyS2) is open: close the port before choosing another port number");
    EXPECT_EQ(control->commPort(), 3);
}

TEST_F(CommControlTest, OpenFailureNamesPortAndDeviceAndLeavesThePortClosed)
{
    fake->failOpen({serial::errNoSuchPort, "No such file or directory"});
    const auto missing = control->setPortOpen(true);
    EXPECT_EQ(missing.number, serial::errNoSuchPort);
    EXPECT_EQ(missing.text, "COM1 (/dev/ttyS0): No such file or directory");
    EXPECT_FALSE(control->portOpen());

    fake->failOpen({serial::errPortInUse, "is in use by another program"});
    EXPECT_EQ(control->setPortOpen(true).text, "COM1 (/dev/ttyS0) is in use by another program");

    fake->failOpen({});
    EXPECT_TRUE(succeeded(control->setPortOpen(true)));
    EXPECT_TRUE(control->portOpen());
    EXPECT_TRUE(succeeded(control->setPortOpen(true)));   // already open: nothing happens
    EXPECT_EQ(fake->openCount(), 1);
}

TEST_F(CommControlTest, SettingsAreCheckedAtOnceAndTheDeviceDecidesWhileOpen)
{
    EXPECT_EQ(control->setSettings("9600,q,8,1").number, serial::errInvalidValue);
    EXPECT_EQ(control->settings(), "9600,n,8,1");

    EXPECT_TRUE(succeeded(control->setSettings("1200,N,8,1")));
    EXPECT_EQ(control->settings(), "1200,n,8,1");
    ASSERT_TRUE(succeeded(control->setPortOpen(true)));
    EXPECT_EQ(fake->appliedSettings().text(), "1200,n,8,1");

    EXPECT_TRUE(succeeded(control->setSettings("19200,e,7,2")));
    EXPECT_EQ(fake->appliedSettings().text(), "19200,e,7,2");

    fake->failApply({serial::errSettingsRefused, "cannot use the settings \"3,n,8,1\": the device cannot run at 3 baud"});
    const auto refused = control->setSettings("3,n,8,1");
    EXPECT_EQ(refused.number, serial::errSettingsRefused);
    EXPECT_EQ(refused.text, "COM1 (/dev/ttyS0) cannot use the settings \"3,n,8,1\": the device cannot run at 3 baud; "
                            "\"19200,e,7,2\" stays in force");
    EXPECT_EQ(control->settings(), "19200,e,7,2");
    EXPECT_EQ(fake->appliedSettings().text(), "19200,e,7,2");
}

TEST_F(CommControlTest, OutputGoesOutByteForByteAndOnlyWhileOpen)
{
    const auto closed = control->output("pmii\r");
    EXPECT_EQ(closed.number, serial::errPortNotOpen);
    EXPECT_EQ(closed.text, "COM1 (/dev/ttyS0) is not open: nothing was sent");
    EXPECT_EQ(fake->sent(), "");

    ASSERT_TRUE(succeeded(control->setPortOpen(true)));
    const std::string bytes("a\0\r\n\xff\x80", 6);
    EXPECT_TRUE(succeeded(control->output(bytes)));
    EXPECT_EQ(fake->takeSent(), bytes);

    fake->setWaitingToSend(100);
    EXPECT_EQ(control->outBufferCount(), 100);
    control->setPortOpen(false);
    EXPECT_EQ(control->outBufferCount(), 0);
}

TEST_F(CommControlTest, ReceivedBytesRaiseCodeTwoAndInputTakesThemAll)
{
    ASSERT_TRUE(succeeded(control->setPortOpen(true)));
    fake->feed("AB\r");
    fake->feed(std::string("\0\xff", 2));
    EXPECT_EQ(events, (std::vector<int>{serial::comEvReceive, serial::comEvReceive}));
    EXPECT_EQ(received, std::string("AB\r\0\xff", 5));
    EXPECT_EQ(control->inBufferCount(), 0);

    // A handler that leaves the bytes waiting sees them again with the next arrival.
    control->onComm = [this] { events.push_back(control->commEvent()); };
    fake->feed("x");
    fake->feed("y");
    EXPECT_EQ(control->inBufferCount(), 2);
    EXPECT_EQ(control->input(), "xy");
    EXPECT_EQ(control->input(), "");
}

TEST_F(CommControlTest, EveryLineEventAndErrorCodeReachesTheHandler)
{
    ASSERT_TRUE(succeeded(control->setPortOpen(true)));
    const std::vector<int> codes = {serial::comEvSend, serial::comEvCTS, serial::comEvDSR, serial::comEvCD, serial::comEvRing, serial::comEvEOF,
                                    serial::comEventBreak, serial::comEventCTSTO, serial::comEventDSRTO, serial::comEventFrame, 1005,
                                    serial::comEventOverrun, serial::comEventCDTO, serial::comEventRxOver, serial::comEventRxParity,
                                    serial::comEventTxFull, 1011};
    for (const int code : codes)
        fake->raiseEvent(code);
    EXPECT_EQ(events, codes);
}

TEST_F(CommControlTest, EventsArisingInsideAHandlerWaitTillItReturnsAndKeepTheirOrder)
{
    ASSERT_TRUE(succeeded(control->setPortOpen(true)));
    control->onComm = [this] {
        events.push_back(control->commEvent());
        if (control->commEvent() == serial::comEventFrame) {
            // As if a message box were up: more arrives meanwhile.
            fake->raiseEvent(serial::comEventRxParity);
            fake->feed("late");
            fake->raiseEvent(serial::comEventRxParity);
            EXPECT_EQ(events.size(), 1u);
        }
        if (control->commEvent() == serial::comEvReceive)
            received += control->input();
    };
    fake->raiseEvent(serial::comEventFrame);
    EXPECT_EQ(events, (std::vector<int>{serial::comEventFrame, serial::comEventRxParity, serial::comEvReceive}));
    EXPECT_EQ(received, "late");
}

TEST_F(CommControlTest, AHandlerMayCloseAndReopenThePortAndSendAtOnce)
{
    ASSERT_TRUE(succeeded(control->setPortOpen(true)));
    control->onComm = [this] {
        if (control->commEvent() != serial::comEventOverrun)
            return;
        control->setPortOpen(!control->portOpen());
        control->setPortOpen(!control->portOpen());
        control->output("install\r");
    };
    fake->raiseEvent(serial::comEventOverrun);
    EXPECT_TRUE(control->portOpen());
    EXPECT_EQ(fake->openCount(), 2);
    EXPECT_EQ(fake->takeSent(), "install\r");
}

TEST_F(CommControlTest, LosingTheDeviceClosesThePortThenReportsOnce)
{
    ASSERT_TRUE(succeeded(control->setCommPort(2)));
    ASSERT_TRUE(succeeded(control->setPortOpen(true)));
    fake->feed("last words");
    int reports = 0;
    std::string report;
    bool openDuringReport = true;
    control->onPortLost = [&](const std::string& text) {
        ++reports;
        report = text;
        openDuringReport = control->portOpen();
    };
    fake->loseDevice("Input/output error");
    fake->loseDevice("Input/output error");
    EXPECT_EQ(reports, 1);
    EXPECT_FALSE(openDuringReport);
    EXPECT_EQ(report.rfind("COM2 (/dev/ttyS1): Input/output error.", 0), 0u) << report;
    EXPECT_EQ(received, "last words");
    EXPECT_EQ(control->output("x").number, serial::errPortNotOpen);
}

TEST_F(CommControlTest, ALostDeviceIsReopenedWhenItReturnsUnlessThePortWasClosedOrMoved)
{
    struct Case {
        const char* what;
        std::function<void()> meanwhile;
        bool reopened;
    };
    const Case cases[] = {
        {"nothing", [] {}, true},
        {"new settings", [&] { EXPECT_TRUE(succeeded(control->setSettings("19200,e,7,2"))); }, true},
        {"a reopen the device refused at first",
         [&] {
             fake->failOpen({serial::errPortInUse, "is in use by another program"});
             fake->plugBack();
             EXPECT_FALSE(control->portOpen());
             fake->failOpen({});
         },
         true},
        {"the program closed the port", [&] { EXPECT_TRUE(succeeded(control->setPortOpen(false))); }, false},
        {"another port number", [&] { EXPECT_TRUE(succeeded(control->setCommPort(3))); }, false},
    };
    std::vector<std::string> reports;
    control->onPortLost = [&](const std::string&) { reports.push_back("lost"); };
    control->onPortReconnected = [&](const std::string& text) { reports.push_back(text); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reports.clear();
        ASSERT_TRUE(succeeded(control->setCommPort(2)));
        ASSERT_TRUE(succeeded(control->setPortOpen(true)));
        fake->loseDevice();
        EXPECT_TRUE(control->awaitingReconnect());
        c.meanwhile();
        fake->plugBack();
        EXPECT_EQ(control->portOpen(), c.reopened);
        EXPECT_FALSE(control->awaitingReconnect());
        if (c.reopened) {
            EXPECT_EQ(reports, (std::vector<std::string>{"lost", "COM2 reconnected"}));
            EXPECT_EQ(fake->openedDevice(), "/dev/ttyS1");
            EXPECT_EQ(fake->appliedSettings().text(), control->settings());
        } else {
            EXPECT_EQ(reports, std::vector<std::string>{"lost"});
        }
        control->setPortOpen(false);
    }
}

TEST_F(CommControlTest, ADeviceBackWhileTheLossIsStillBeingReportedIsAnnouncedAfterIt)
{
    ASSERT_TRUE(succeeded(control->setPortOpen(true)));
    std::vector<std::string> reports;
    control->onPortLost = [&](const std::string&) {
        fake->plugBack();   // as behind the loss box
        reports.push_back(control->portOpen() ? "lost, open again" : "lost");
    };
    control->onPortReconnected = [&](const std::string& text) { reports.push_back(text); };
    fake->loseDevice();
    EXPECT_EQ(reports, (std::vector<std::string>{"lost, open again", "COM1 reconnected"}));
}

TEST_F(CommControlTest, AServersOwnSettingsTakeOverAndAreToldOnceWithPortAndValue)
{
    std::vector<std::string> notices;
    control->onNotice = [&](const std::string& text) { notices.push_back(text); };
    ASSERT_TRUE(succeeded(control->setPortOpen(true)));
    ASSERT_TRUE(succeeded(control->setSettings("115200,e,8,1")));
    serial::SerialSettings answered;
    ASSERT_TRUE(succeeded(serial::SerialSettings::parse("9600,n,8,1", answered)));
    fake->raise(&serial::SerialBackend::Events::settingsInForce, answered);
    fake->raise(&serial::SerialBackend::Events::settingsInForce, answered);   // the same answer again is nothing new
    EXPECT_EQ(control->settings(), "9600,n,8,1");
    EXPECT_EQ(notices, (std::vector<std::string>{"COM1 runs at 115200,e,8,1", "COM1 (/dev/ttyS0) runs at 9600 baud, not "
                                                 "115200 and with parity n, not e (settings in force: 9600,n,8,1)"}));
    // A connect that fails after the open took the port is told like a failed open.
    std::string lost;
    control->onPortLost = [&](const std::string& text) { lost = text; };
    fake->raise(&serial::SerialBackend::Events::openFailed, "cannot connect: the connection was refused");
    EXPECT_EQ(lost, "COM1 (/dev/ttyS0) cannot connect: the connection was refused");
}
