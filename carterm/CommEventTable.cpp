#include "carterm/CommEventTable.h"

#include "serial/control/CommControl.h"
#include "toolkit/Label.h"
#include "toolkit/Platform.h"

namespace carterm {

CommAction lookUpCommEvent(int code, std::string& eventMessage, std::string& errorMessage)
{
    switch (code) {
    case serial::comEvSend: return CommAction::None;
    case serial::comEvReceive: return CommAction::Receive;
    case serial::comEvCTS: eventMessage = "Change in CTS Detected"; break;
    case serial::comEvDSR: eventMessage = "Change in DSR Detected"; break;
    case serial::comEvCD: eventMessage = "Change in CD Detected"; break;
    case serial::comEvRing: eventMessage = "The Phone is Ringing"; break;
    case serial::comEvEOF: eventMessage = "End of File Detected"; break;
    case serial::comEventBreak: eventMessage = "Break Received"; break;
    case serial::comEventCTSTO: errorMessage = "CTS Timeout"; break;
    case serial::comEventDSRTO: errorMessage = "DSR Timeout"; break;
    case serial::comEventFrame: eventMessage = "Framing Error"; break;
    case serial::comEventOverrun: return CommAction::Overrun;
    case serial::comEventCDTO: errorMessage = "Carrier Detect Timeout"; break;
    case serial::comEventRxOver: errorMessage = "Receive Buffer Overflow"; break;
    case serial::comEventRxParity: eventMessage = "Parity Error"; break;
    case serial::comEventTxFull: errorMessage = "Transmit Buffer Full"; break;
    default: errorMessage = "Unknown error or event"; break;
    }
    return CommAction::Report;
}

bool reportCommEvent(std::string& eventMessage, std::string& errorMessage, toolkit::Label& statusLine,
                     serial::control::CommControl& comm)
{
    using namespace toolkit;
    bool closed = false;
    if (!eventMessage.empty()) {
        statusLine.setCaption(eventMessage);
        eventMessage.clear();
    } else if (!errorMessage.empty()) {
        platform().beep();
        const std::string text = errorMessage;
        errorMessage.clear();
        if (platform().messageBox(text, MsgButtons::OKCancel, MsgIcon::None, kAlertTitle) == MsgResult::Cancel) {
            comm.setPortOpen(false);
            closed = true;
        }
    }
    errorMessage.clear();
    return closed;
}

} // namespace carterm
