// The modem link: the port opened at load, serial events, the terminal and the recogniser that
// turns command strings found in the terminal into the bench's operations.
#include "iobench/Packed_Form.h"

#include "carterm/CommEventTable.h"
#include "serial/CommEvents.h"
#include "toolkit/Platform.h"
#include "iobench/RemoteCommands.h"
#include "carterm/TerminalAppend.h"

namespace iobench {

using namespace toolkit;

void Packed_Form::Form_Load()
{
    // Without the modem the bench still works at the bench; the operator is told why no call
    // can come in.
    if (const serial::CommError error = MSComm1.setPortOpen(true))
        showWarning(error.text + "\nThe bench works without its modem link; remote control is not available.");
}

void Packed_Form::send(std::string_view text)
{
    // While a hang-up waits out its guard times the line must stay silent, or the modem takes
    // the escape for data and the call stays up. The call is ending: what would have gone to
    // the remote end (status lines, echoes, typed keys) is dropped, not held for a modem that
    // is back in command mode.
    if (!hangUp_.busy())
        sendToModem(text);
}

void Packed_Form::sendToModem(std::string_view text)
{
    if (MSComm1.portOpen())
        MSComm1.output(text);
}

void Packed_Form::MSComm1_OnComm()
{
    const int code = MSComm1.commEvent();
    switch (carterm::lookUpCommEvent(code, eventMessage, errorMessage)) {
    case carterm::CommAction::Receive: {
        std::string data = MSComm1.input();
        AppendToTerminal(Term, data);
        break;
    }
    case carterm::CommAction::Overrun:
        // The bench reports an overrun instead of recovering from it.
        errorMessage = "Overrun Error";
        break;
    case carterm::CommAction::None:
    case carterm::CommAction::Report:
        break;
    }
    if (code == serial::comEvDSR)
        send(remote::kOnline);
    carterm::reportCommEvent(eventMessage, errorMessage, Label1, MSComm1);
}

void Packed_Form::AppendToTerminal(TextBox& pane, std::string& data)
{
    // The bench keeps no reply buffer and no log: the pane is all there is.
    carterm::appendToPane(pane, data, termSize);
}

void Packed_Form::Term_KeyPress(int& ascii)
{
    if (!MSComm1.portOpen())
        return; // the key edits the terminal locally, and the recogniser sees it
    send(std::string(1, static_cast<char>(ascii)));
    ascii = 0;
}

void Packed_Form::Term_Change()
{
    using namespace remote;
    OriginScope scope(*this, Origin::Remote);
    const auto holds = [this](std::string_view s) { return Term.text().find(s) != std::string::npos; };
    const auto clear = [this] { Term.setText(""); };

    if (holds(kOpenKx9) && open_kx9_button.enabled()) {
        open_kx9_button_Click();
        send(baseAddressEcho(boardid_textbox.text()));
        send(configMaskEcho(configmask_textbox.text()));
        clear();
    }
    if (holds(kConfigPoints)) {
        configpoints_button_Click();
        send("\r");
        Timer2.setEnabled(true);
        clear();
    }
    if (holds(kWriteZero)) {
        writemask_textbox.setText("00000000");
        writeio_button_Click();
        clear();
    }
    if (holds(kWriteOne)) {
        writemask_textbox.setText("00000001");
        writeio_button_Click();
        clear();
    }
    if (holds(kCloseAdapter)) {
        clear();
        if (!open_kx9_button.enabled())
            closeadapter_button_Click();
    }
    // A ring report acts once, when it arrives; one still in view acts no more (answering it
    // on every later change floods the modem, which echoes each command back into the terminal).
    for (int report = ringReports_.fresh(Term.text()); report > 0; --report) {
        hangUp_.forgetEnd();   // a new call: its "NO CARRIER" is the caller's
        if (Timer2.enabled())
            Timer2.setEnabled(false);
        send(kAnswerNextRing);
    }
    if (holds(kNoCarrier)) {
        // The call has ended already: a hang-up under way has nothing left to do. After the
        // bench's own hang-up this is the modem's answer to it: the commands went out already.
        const bool answersOwnHangUp = hangUp_.ended();
        hangUp_.cancel();
        if (!answersOwnHangUp)
            send(kHangUp);
        clear();
        if (!answersOwnHangUp)
            send(kNoAutoAnswer);
    }
    // The remote operator's "Disconnect" ends the call: escape to command mode, then hang up.
    if (disconnectReports_.fresh(Term.text()) > 0 && MSComm1.portOpen())
        hangUp_.start();
}

} // namespace iobench
