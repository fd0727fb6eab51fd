// The car window's serial link and terminal pane, driven through the harness.
#include "serial/PortMap.h"
#include "tests/carterm/CarWindowHarness.h"
#include "tests/support/PseudoRandom.h"
#include "tests/support/ReferencePane.h"
#include "toolkit/Bytes.h"
#include "carterm/TerminalAppend.h"

#include <gtest/gtest.h>

using namespace toolkit;
using carterm::kPaneLimit;

namespace {
using Terminal = WindowTest<CarWindowHarness>;
} // namespace

TEST(CarWindowLoad, OpensThePortAndGreetsTheControllerOnce)
{
    CarWindowHarness h;
    EXPECT_EQ(h.sent(), "\r");
    EXPECT_TRUE(h.form->MOpen.checked());
    EXPECT_TRUE(h.form->MSendText.enabled());
    EXPECT_TRUE(h.form->Command6.enabled());
    EXPECT_EQ(h.form->MSComm1.settings(), "1200,n,8,1");
    EXPECT_TRUE(h.platform.boxes.empty());
}

TEST(CarWindowLoad, AFailedOpenIsShownAndTheControlsShowItClosed)
{
    CarWindowHarness h(false);
    ASSERT_EQ(h.platform.boxes.size(), 1u);
    EXPECT_NE(h.platform.boxes[0].text.find("No such file"), std::string::npos);
    EXPECT_EQ(h.platform.boxes[0].icon, MsgIcon::Exclamation);
    EXPECT_FALSE(h.form->MOpen.checked());
    EXPECT_FALSE(h.form->MSendText.enabled());
    EXPECT_FALSE(h.form->Command6.enabled());
    EXPECT_EQ(h.sent(), "");
}

TEST_F(Terminal, ReceivedLineEndsAndBackspacesAreNormalised)
{
    h.line->feed("AB\r\nC");
    EXPECT_EQ(f.Term.text(), "AB\r\nC");
    f.Term.setText("");
    h.line->feed("AB\n\rC");
    EXPECT_EQ(f.Term.text(), "AB\r\nC");

    f.Term.setText("");
    h.line->feed("ABC\bD");
    EXPECT_EQ(f.Term.text(), "ABD");

    f.Term.setText("XY");
    h.line->feed("\b");
    EXPECT_EQ(f.Term.text(), "X");

    f.Term.setText("");
    h.line->feed("\b");
    EXPECT_EQ(f.Term.text(), "");
    EXPECT_TRUE(h.platform.boxes.empty());
}

TEST_F(Terminal, BackspacesFollowTheStepByStepRuleOnAwkwardPieces)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", "\b"}, {"", "\b\bab"}, {"XY", "\b"}, {"XY", "\b\b\b"}, {"XY", "\bZ"}, {"XY", "a\b\b"},
        {"XY", "ab\b\b\bc"}, {"AB\r\n", "\b"}, {"", "A\r\b"}, {"", "A\r\n\b\bB"}, {"", "A\n\r\bB"},
        {"P", "\r\b\n\b\b\b"}, {"", "\xe9\b\x08\x7f"}, {"Q", "abc\b\b\b\b\b\bd\be"},
    };
    std::vector<std::pair<std::string, std::string>> all(std::begin(cases), std::end(cases));
    // And a few hundred random pieces over the characters that matter.
    PseudoRandom random(2026);
    for (int n = 0; n < 300; ++n) {
        std::string pane, data;
        for (auto* text : {&pane, &data})
            for (int i = static_cast<int>(random.next() >> 28); i > 0; --i)
                *text += "ab\b\r\n"[(random.next() >> 16) % (text == &pane ? 2 : 5)];
        all.emplace_back(pane, data);
    }
    for (const auto& [pane, data] : all) {
        f.Term.setText(pane);
        h.line->feed(data);
        ReferencePane reference{pane};
        reference.append(data);
        EXPECT_EQ(f.Term.text(), reference.text) << "pane '" << pane << "' data '" << data << "'";
    }
    EXPECT_TRUE(h.platform.boxes.empty());
}

TEST_F(Terminal, ThePaneIsTrimmedBy4096AndStaysBoundedForHugePieces)
{
    f.Term.setText(std::string(kPaneLimit - 1, 'a'));
    h.line->feed("b");
    EXPECT_EQ(f.Term.text().size(), static_cast<size_t>(kPaneLimit));

    h.line->feed("c");
    EXPECT_EQ(f.Term.text().size(), static_cast<size_t>(kPaneLimit - 4096 + 1));
    EXPECT_EQ(f.Term.text().back(), 'c');

    // A piece far larger than the trim: the pane never holds more than the limit plus one piece.
    const std::string big(100000, 'z');
    h.line->feed(big);
    h.line->feed("!");
    EXPECT_LT(f.Term.text().size(), static_cast<size_t>(kPaneLimit));
    EXPECT_EQ(f.Term.text().back(), '!');
    EXPECT_GE(f.termSize, 0);
}

TEST_F(Terminal, TheReplyBufferKeepsTheLast418NormalisedCharacters)
{
    std::string all;
    for (int i = 0; i < 100; ++i) {
        const std::string piece = std::to_string(i % 10) + "ab\r";
        h.line->feed(piece);
        all += std::to_string(i % 10) + "ab\r\n";
    }
    EXPECT_EQ(f.Text1.text(), all.substr(all.size() - 418));
}

// Every event code as the window shows it: line events on the status line, errors in the alert
// that beeps and asks, which leaves the status line as it was.
TEST_F(Terminal, StatusLineEventsAndAlertErrors)
{
    const std::pair<int, const char*> events[] = {{3, "Change in CTS Detected"}, {4, "Change in DSR Detected"},
                                                  {5, "Change in CD Detected"},  {6, "The Phone is Ringing"},
                                                  {7, "End of File Detected"},   {1001, "Break Received"},
                                                  {1004, "Framing Error"},       {1009, "Parity Error"}};
    for (auto [code, text] : events) {
        h.line->raiseEvent(code);
        EXPECT_EQ(f.Label1.caption(), text);
    }
    EXPECT_TRUE(h.platform.boxes.empty());

    const std::pair<int, const char*> errors[] = {{1002, "CTS Timeout"}, {1003, "DSR Timeout"},
                                                  {1007, "Carrier Detect Timeout"}, {1008, "Receive Buffer Overflow"},
                                                  {1010, "Transmit Buffer Full"}, {1005, "Unknown error or event"},
                                                  {1011, "Unknown error or event"}};
    for (auto [code, text] : errors) {
        h.platform.answer(MsgResult::OK);
        h.line->raiseEvent(code);
        EXPECT_EQ(h.platform.boxes.back().text, text);
    }
    EXPECT_EQ(h.platform.boxes[0].title, "Press Cancel to Quit, Ok to ignore.");
    EXPECT_EQ(h.platform.boxes[0].buttons, MsgButtons::OKCancel);
    EXPECT_EQ(h.platform.beeps, 7);
    EXPECT_TRUE(f.MSComm1.portOpen());
    EXPECT_EQ(f.Label1.caption(), "Parity Error"); // the status line keeps its text
    EXPECT_TRUE(f.eventMessage.empty());
    EXPECT_TRUE(f.errorMessage.empty());
}

TEST_F(Terminal, CancelInAnAlertClosesThePortAndTheControlsFollow)
{
    h.platform.answer(MsgResult::Cancel);
    h.line->raiseEvent(1008);
    EXPECT_FALSE(f.MSComm1.portOpen());
    EXPECT_FALSE(f.MOpen.checked());
    EXPECT_FALSE(f.MSendText.enabled());
    EXPECT_FALSE(f.Command6.enabled());

    f.MOpen.click();
    EXPECT_TRUE(f.MSComm1.portOpen());
    EXPECT_TRUE(f.MOpen.checked());
    EXPECT_EQ(h.sent(), ""); // the toggle itself sends nothing
}

TEST_F(Terminal, AnOverrunReopensThePortSendsInstallAndLeavesPollingAsItWas)
{
    for (const bool polling : {false, true}) {
        f.Timer2.setEnabled(polling);
        const int opens = h.line->openCount();
        h.line->raiseEvent(1006);
        EXPECT_EQ(h.line->openCount(), opens + 1);
        EXPECT_EQ(h.sent(), "install\r");
        EXPECT_EQ(f.Timer2.enabled(), polling);
    }
    EXPECT_TRUE(h.platform.boxes.empty());

    // Over a network port the link stays as it is: a new connection clears nothing far away.
    serial::PortMap::current().mapFromCommandLine(7, "rfc2217://mr3:3001");
    f.MSComm1.setPortOpen(false);
    f.MSComm1.setCommPort(7);
    f.MSComm1.setPortOpen(true);
    const int opens = h.line->openCount();
    h.line->raiseEvent(1006);
    EXPECT_EQ(h.line->openCount(), opens);
    EXPECT_EQ(h.sent(), "install\r");
}

TEST_F(Terminal, AnOverrunThatCannotReopenSendsNothingAndLeavesPollingOff)
{
    f.Timer2.setEnabled(true);
    h.line->failOpen({8002, "COM1 (/dev/ttyS0): No such device"});
    h.line->raiseEvent(1006);
    EXPECT_FALSE(f.MSComm1.portOpen());
    EXPECT_EQ(h.sent(), "");
    EXPECT_FALSE(f.Timer2.enabled());
    EXPECT_NE(f.Label1.caption().find("could not be reopened"), std::string::npos);
    EXPECT_FALSE(f.MOpen.checked());
}

TEST_F(Terminal, TypedKeysGoOutWhileOpenAndEditLocallyWhileClosed)
{
    f.Term.type("ls");
    EXPECT_EQ(h.sent(), "ls");
    EXPECT_EQ(f.Term.text(), ""); // shown only when echoed

    f.MOpen.click(); // close
    f.Term.type("ab");
    EXPECT_EQ(h.sent(), "");
    EXPECT_EQ(f.Term.text(), "ab");
}

TEST_F(Terminal, TheCommandLineSendsItsTextOnEnterAndKeepsIt)
{
    f.Text3.setText("pmii");
    f.Text3.userKey(13, 13);
    EXPECT_EQ(h.sent(), "pmii\r");
    EXPECT_EQ(f.Text3.text(), "pmii");
    f.MOpen.click();
    f.Text3.userKey(13, 13);
    EXPECT_EQ(h.sent(), "");
}

TEST_F(Terminal, ClosingDrainsTheLineOrAsksAfterTenSeconds)
{
    h.line->setWaitingToSend(5);
    h.platform.answer(MsgResult::Abort);
    f.MFileExit.click();
    ASSERT_EQ(h.platform.boxes.size(), 1u);
    EXPECT_EQ(h.platform.boxes[0].text, "Data cannot be sent");
    EXPECT_EQ(h.platform.boxes[0].buttons, MsgButtons::AbortRetryIgnore);
    EXPECT_GE(h.platform.nowMs(), 10000);
    EXPECT_LE(h.platform.nowMs(), 11100);
    EXPECT_FALSE(h.platform.ended);
    EXPECT_TRUE(f.MSComm1.portOpen());

    // Retry waits ten seconds more; the line empties meanwhile and the window closes silently.
    const double retryAt = h.platform.nowMs();
    h.platform.answer(MsgResult::Retry);
    h.platform.onDoEvents = [&] {
        if (h.platform.nowMs() > retryAt + 14000)
            h.line->setWaitingToSend(0);
    };
    int cancel = 0;
    f.Form_Unload(cancel);
    EXPECT_EQ(h.platform.boxes.size(), 2u);
    EXPECT_EQ(cancel, 0);
    EXPECT_TRUE(h.platform.ended);
    EXPECT_FALSE(f.MSComm1.portOpen());
}

TEST_F(Terminal, ADrainedLineClosesWithoutAQuestion)
{
    h.line->setWaitingToSend(3);
    h.platform.onDoEvents = [&] {
        if (h.platform.nowMs() >= 2000)
            h.line->setWaitingToSend(0);
    };
    EXPECT_TRUE(f.unload());
    EXPECT_TRUE(h.platform.boxes.empty());
    EXPECT_TRUE(h.platform.ended);
}

TEST_F(Terminal, LosingTheDeviceClosesThePortAndSaysSoOnce)
{
    h.line->loseDevice("Input/output error");
    EXPECT_FALSE(f.MSComm1.portOpen());
    EXPECT_FALSE(f.MOpen.checked());
    EXPECT_FALSE(f.MSendText.enabled());
    EXPECT_FALSE(f.Command6.enabled());
    ASSERT_EQ(h.platform.boxes.size(), 1u);
    EXPECT_NE(h.platform.boxes[0].text.find("Input/output error"), std::string::npos);
    f.Term.type("x"); // keys now edit locally; nothing is sent
    EXPECT_EQ(h.sent(), "");
}

TEST_F(Terminal, ARePluggedDeviceIsReopenedAndLivePollingGoesOn)
{
    f.Command1.click(); // "pmi 1": polling every 250 ms
    h.line->loseDevice();
    h.platform.advance(1000);
    EXPECT_EQ(h.sent(), "");
    EXPECT_TRUE(f.MSComm1.awaitingReconnect());

    h.line->plugBack();
    EXPECT_EQ(f.Label1.caption(), "COM1 reconnected");
    EXPECT_TRUE(f.MSComm1.portOpen());
    EXPECT_TRUE(f.MOpen.checked());
    EXPECT_TRUE(f.MSendText.enabled());
    EXPECT_TRUE(f.Command6.enabled());
    h.platform.advance(300);
    EXPECT_EQ(h.sent().substr(0, 5), "pmii\r");
    EXPECT_EQ(h.platform.boxes.size(), 1u); // the loss box only
}

TEST_F(Terminal, ClosingAfterALossWhoseBoxOutlastedTheDeadlineDoesNotAsk)
{
    h.line->setWaitingToSend(5);
    h.platform.onDoEvents = [&] { h.line->loseDevice(); };
    h.platform.onMessageBox = [&](const TestPlatform::Box&) { h.platform.advance(15000); };
    int cancel = 0;
    f.Form_Unload(cancel);
    ASSERT_EQ(h.platform.boxes.size(), 1u);
    EXPECT_NE(h.platform.boxes[0].text.find("disconnected"), std::string::npos);
    EXPECT_EQ(cancel, 0);
    EXPECT_TRUE(h.platform.ended);
}

