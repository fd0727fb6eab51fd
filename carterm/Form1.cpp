#include "carterm/Form1.h"

#include "toolkit/Bytes.h"
#include "serial/NetworkEndpoint.h"
#include "serial/PortMap.h"
#include "carterm/CommEventTable.h"
#include "carterm/Form2.h"
#include "toolkit/Platform.h"
#include "carterm/reply/ReplyText.h"
#include "carterm/TerminalAppend.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace carterm {

using namespace toolkit;

namespace {
// "03:12:44", a time of day as the status line and the boxes give it.
std::string clockText(double secondsOfDay)
{
    const long s = static_cast<long>(std::floor(secondsOfDay)) % 86400;
    char text[16];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    return text;
}
}

Form1::Form1(std::unique_ptr<serial::SerialBackend> serialBackend, bool withReplayItem)
    : Window("Form1"),
      MSComm1(std::move(serialBackend)),
      Term(*this, "Term", TextBox::Kind::MultiLine, TextBox::BothScrollBars),
      Text1(*this, "Text1", TextBox::Kind::MultiLine, TextBox::Vertical),
      Text3(*this, "Text3"),
      Label2(*this, "Label2", "Status - "),
      Label1(*this, "Label1"),
      MFile(addMenu("&File", "MFile")),
      MOpenLog(MFile.addItem("&Open Log File...", "MOpenLog")),
      MCloseLog(MFile.addItem("&Close Log File", "MCloseLog")),
      MSendText(addFileMenuTail(withReplayItem)),
      MFileExit((MFile.addSeparator(), MFile.addItem("E&xit", "MFileExit"))),
      MPort(addMenu("&CommPort", "MPort")),
      MOpen(MPort.addItem("Port &Open", "MOpen")),
      MSettings(MPort.addItem("&Settings...", "MSettings")),
      Command1(*this, "Command1", "pmi 1"),
      Command2(*this, "Command2", "reset"),
      Command3(*this, "Command3", "DOB"),
      Command4(*this, "Command4", "ST&U"),
      Command5(*this, "Command5", "ST&D"),
      Command6(*this, "Command6", "stress"),
      Text4(*this, "Text4"),
      txtbbt(*this, "txtbbt"),
      txtpos(*this, "txtpos"),
      txtvel(*this, "txtvel"),
      Text2(*this, "Text2"),
      Timer1("Timer1", 250),
      Timer2("Timer2", 250),
      Timer3("Timer3", 8000)
{
    setCaption("Hoistwise Car");

    // The link to the car controller as it is built; only the settings dialog changes it.
    MSComm1.setCommPort(1);
    MSComm1.setSettings("1200,n,8,1");
    MSComm1.setInBufferSize(8192);
    MSComm1.setOutBufferSize(512);
    MSComm1.onComm = [this] { MSComm1_OnComm(); };
    MSComm1.onPortLost = [this](const std::string& text) { portLost(text); };
    MSComm1.onPortReconnected = [this](const std::string& text) { portReconnected(text); };
    MSComm1.onOpenChanged = [this] { showPortState(); };
    MSComm1.onNotice = [this](const std::string& text) { Label1.setCaption(text); };
    MSComm1.onCaptureStopped = [this](const std::string& text) { Label1.setCaption(text); };
    // A port missing at start or at "Port &Open" comes by itself once it can.
    MSComm1.setWaitForPort(true);
    waitLine_.onTimer = [this] { showWaiting(); };

    // The pane takes a fast line: its widget follows at most once per frame.
    Term.setHighRate(true);
    Text1.setHighRate(true);
    Text1.setVisible(false);
    Text3.setVisible(false);
    Term.onKeyPress = [this](int& ascii) { Term_KeyPress(ascii); };
    Text3.onKeyDown = [this](int key, int shift) { Text3_KeyDown(key, shift); };
    Text1.onChange = [this] { Text1_Change(); };
    txtvel.onChange = [this] { txtvel_Change(); };
    Text2.onChange = [this] { Text2_Change(); };
    txtbbt.onChange = [this] { txtbbt_Change(); };
    txtpos.onChange = [this] { txtpos_Change(); };

    MCloseLog.setEnabled(false);
    MSendText.setEnabled(false);
    MOpenLog.onClick = [this] { MOpenLog_Click(); };
    MCloseLog.onClick = [this] { MCloseLog_Click(); };
    MSendText.onClick = [this] { MSendText_Click(); };
    MFileExit.onClick = [this] { MFileExit_Click(); };
    MOpen.onClick = [this] { MOpen_Click(); };
    MSettings.onClick = [this] { MSettings_Click(); };

    Command1.onClick = [this] { Command1_Click(); };
    Command2.onClick = [this] { Command2_Click(); };
    Command3.onClick = [this] { Command3_Click(); };
    Command4.onClick = [this] { Command4_Click(); };
    Command5.onClick = [this] { Command5_Click(); };
    Command6.onClick = [this] { Command6_Click(); };
    Timer1.onTimer = [this] { Timer1_Timer(); };
    Timer2.onTimer = [this] { Timer2_Timer(); };
    Timer3.onTimer = [this] { Timer3_Timer(); };

    onUnload = [this](int& cancel) { Form_Unload(cancel); };
    onResize = [this] { Form_Resize(); };
    Text1.makeHelper();
    toolkit::describeControls(*this, kForm1Descriptions);
    buildLayout();
}

Form1::~Form1() = default;

MenuItem& Form1::addFileMenuTail(bool withReplayItem)
{
    if (withReplayItem) {
        MRplayLog = &MFile.addItem("Replay Log File", "MRplayLog");
        MRplayLog->setEnabled(false);
    }
    MFile.addSeparator();
    return MFile.addItem("&Transmit Text File...", "MSendText");
}

void Form1::buildLayout()
{
    setClientSize(9600, 6360);
    Term.move(0, 0, 9600, 3600);
    Text1.move(0, 0, 9600, 3600);
    Command1.move(120, 3720, 975, 375);
    Command3.move(1200, 3720, 975, 375);
    Command6.move(2280, 3720, 975, 375);
    Text4.move(3360, 3720, 615, 375);
    txtbbt.move(4200, 3720, 855, 375);
    txtpos.move(5160, 3720, 615, 375);
    txtvel.move(5880, 3720, 735, 375);
    Command4.move(7080, 3720, 975, 375);
    Command5.move(7080, 4200, 975, 375);
    Command2.move(8400, 3720, 975, 375);
    Text2.move(8400, 4200, 975, 375);
    Text3.move(120, 5400, 9360, 375);
    Label2.move(120, 5880, 855, 255);
    Label1.move(1000, 5880, 8480, 255);
}

void Form1::load()
{
    if (loaded_)
        return;
    loaded_ = true;
    Form_Load();
}

void Form1::Form_Load()
{
    loadDisplay();
    openPortAtLoad();
}

void Form1::openPortAtLoad()
{
    if (const serial::CommError err = MSComm1.setPortOpen(!MSComm1.portOpen()))
        showWarning(err.text);
    showPortState();
    if (MSComm1.portOpen() && !replayNote.empty())
        Label1.setCaption(replayNote);
    if (MSComm1.portOpen())
        send("\r");
    // A port that comes later is greeted when it comes, as if it had opened now.
    greetOnArrival_ = true;
    showWaiting();
}

void Form1::showPortState() { MOpen.setChecked(MSComm1.portOpen()); }

void Form1::MOpen_Click()
{
    // While the port is waited for this is a try now; closing an open or connecting port ends
    // any wait.
    greetOnArrival_ = false;
    if (const serial::CommError err = MSComm1.setPortOpen(!MSComm1.portOpen()))
        showWarning(err.text);
    showPortState();
    if (MSComm1.portOpen())
        valuesFrom_ = -1;
    else
        portClosedByToggle();
    showWaiting();
}

void Form1::showWaiting()
{
    const std::string waiting = MSComm1.waitingText();
    if (waiting.empty()) {
        // The wait ended some other way (another port number): its line would be stale.
        if (waitLine_.enabled() && !MSComm1.portOpen())
            Label1.setCaption("");
        waitLine_.setEnabled(false);
        return;
    }
    waitLine_.setEnabled(true);
    Label1.setCaption(waiting + (valuesFrom_ >= 0 ? "; values shown are from " + clockText(valuesFrom_) : ""));
}

void Form1::MSComm1_OnComm()
{
    const int code = MSComm1.commEvent();
    switch (lookUpCommEvent(code, eventMessage, errorMessage)) {
    case CommAction::Receive: {
        lastReceived_ = platform().timeOfDay();
        beforeReceive();
        std::string data = MSComm1.input();
        AppendToTerminal(Term, data);
        break;
    }
    case CommAction::Overrun:
        overrunRecovery();
        break;
    case CommAction::None:
    case CommAction::Report:
        break;
    }
    if (code == serial::comEvRing && !reportsRing())
        eventMessage.clear();
    // An operator's Cancel closes the port: the controls show it closed at once.
    if (reportCommEvent(eventMessage, errorMessage, Label1, MSComm1))
        showPortState();
}

// Polling comes back as it was before the overrun: the recovery never starts polling the
// operator did not start. A network port is not closed and opened again: a new connection
// clears nothing at the far UART, and under repeated line errors the link would only cycle.
void Form1::overrunRecovery()
{
    const bool polling = Timer2.enabled();
    Timer2.setEnabled(false);
    if (!serial::NetworkEndpoint::isNetworkName(MSComm1.deviceName())) {
        MSComm1.setPortOpen(!MSComm1.portOpen());
        MSComm1.setPortOpen(!MSComm1.portOpen());
    }
    if (!MSComm1.portOpen()) {
        // The device did not come back: send nothing and leave polling off.
        Label1.setCaption(serial::portName(MSComm1.commPort()) + " could not be reopened after a receive overrun");
        showPortState();
        return;
    }
    send("install\r");
    Timer2.setEnabled(polling);
}

void Form1::portLost(const std::string& text)
{
    // A transmission under way has lost what was waiting: it ends, even if the device is back
    // before its wait notices.
    cancelSend = true;
    sendCutByLoss = true;
    showPortState();
    // One box per port however often the device goes and comes back; it does not wait for OK,
    // so the return is shown as soon as it happens.
    lossText_ = text;
    platform().showNotice("lost " + serial::portName(MSComm1.commPort()), text);
    if (lastReceived_ >= 0 && valuesFrom_ < 0)
        valuesFrom_ = lastReceived_;
    showWaiting();
}

// The lost device came back (or a port waited for came) and the control opened it: the controls
// show it open, as after "Port &Open"; the timers kept running, so live polling goes on by
// itself. A loss box still up says so instead of the loss.
void Form1::portReconnected(const std::string& text)
{
    valuesFrom_ = -1;
    Label1.setCaption(text);
    showWaiting();
    showPortState();
    platform().settleNotice("lost " + serial::portName(MSComm1.commPort()),
                            text + " at " + clockText(platform().timeOfDay()) + "."
                                + (lossText_.empty() ? "" : "\n\nBefore that: " + lossText_));
    if (std::exchange(greetOnArrival_, false) && text == serial::portName(MSComm1.commPort()) + " connected")
        send("\r");
}

void Form1::AppendToTerminal(TextBox& pane, std::string& data)
{
    appendToPane(pane, data, termSize);
    Text1.setText(Text1.text() + data);
    Text1.setText(reply::lastReplyWindow(Text1.text()));
    if (logFileNumber != 0)
        writeToLog(data);
}

namespace {
void putQuietly(TextBox& box, const std::string& text)
{
    auto handler = std::exchange(box.onChange, nullptr);
    box.setText(text);
    box.onChange = std::move(handler);
}
} // namespace

void Form1::keepMomentInto(Moment& moment) const
{
    moment.term = Term.text();
    moment.text1 = Text1.text();
    moment.vel = txtvel.text();
    moment.bbt = txtbbt.text();
    moment.pos = txtpos.text();
    moment.stops = Text2.text();
    moment.termSize = termSize;
    moment.zeroVelCount = zeroVelCount;
    moment.displayDue = Timer1.enabled();
}

std::shared_ptr<Form1::Moment> Form1::keepMoment() const
{
    auto moment = std::make_shared<Moment>();
    keepMomentInto(*moment);
    return moment;
}

void Form1::putBack(const Moment& moment)
{
    putQuietly(Term, moment.term);
    Term.setSelStart(static_cast<long>(moment.term.size()));   // the caret at the end, as after an append
    putQuietly(Text1, moment.text1);
    putQuietly(txtvel, moment.vel);
    putQuietly(txtbbt, moment.bbt);
    putQuietly(txtpos, moment.pos);
    putQuietly(Text2, moment.stops);
    termSize = moment.termSize;
    zeroVelCount = moment.zeroVelCount;
    Timer1.setEnabled(moment.displayDue);
}

void Form1::Term_KeyPress(int& ascii)
{
    if (!MSComm1.portOpen())
        return;
    send(std::string(1, static_cast<char>(ascii)));
    ascii = 0;
    keySent();
}

void Form1::Text3_KeyDown(int keyCode, int)
{
    if (keyCode == 13 && MSComm1.portOpen())
        send(Text3.text() + "\r");
}

void Form1::Form_Unload(int& cancel)
{
    if (MSComm1.portOpen()) {
        double deadline = std::round(platform().timeOfDay() + 10);
        while (MSComm1.outBufferCount() > 0) {
            platform().doEvents();
            // Read again: the wait may have sent the rest, or a loss (whose box can outlast the
            // deadline) closed the port and left nothing to send.
            if (MSComm1.outBufferCount() == 0)
                break;
            if (platform().timeOfDay() > deadline) {
                const MsgResult r = platform().messageBox("Data cannot be sent", MsgButtons::AbortRetryIgnore,
                                                          MsgIcon::Question, {});
                if (r == MsgResult::Abort) {
                    cancel = 1;
                    return;
                }
                if (r == MsgResult::Ignore)
                    break;
                deadline = std::round(platform().timeOfDay() + 10);
            }
        }
        MSComm1.setPortOpen(false);
    }
    if (logFileNumber != 0)
        MCloseLog_Click();
    platform().endProgram();
}

void Form1::MFileExit_Click()
{
    exitScratch_ = 0;
    Form_Unload(exitScratch_);
    if (!exitScratch_)
        hide();
}

void Form1::send(std::string_view text)
{
    if (MSComm1.portOpen())
        MSComm1.output(text);
}

void Form1::applyFocusRule()
{
    if (Text3.visible())
        Text3.setFocus();
    else
        Term.setFocus();
}

void Form1::txtvel_Change()
{
    if (txtvel.text() != "  0")
        return;
    ++zeroVelCount;
    Text2.setText(decimal(zeroVelCount));
}

void Form1::Text2_Change() { send("bbt\r"); }

void Form1::Command3_Click()
{
    static const char* const kFloorAbove[][2] = {{"B", "scc1"}, {"1", "scc2"}, {"2", "scc3"}, {"3", "scc4"},
                                                 {"4", "scc5"}, {"5", "scc6"}, {"6", "scc7"}};
    for (const auto& row : kFloorAbove)
        if (txtpos.text() == row[0]) {
            send(std::string(row[1]) + "\r");
            return;
        }
}

void Form1::Command4_Click()
{
    send("stu\r");
    commandSent();
    applyFocusRule();
}

void Form1::Command5_Click()
{
    send("std\r");
    commandSent();
    applyFocusRule();
}

void Form1::MSettings_Click() { openSettings(); }

} // namespace carterm
