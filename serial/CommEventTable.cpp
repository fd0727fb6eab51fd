#include "serial/CommEventTable.h"

#include "serial/CommControl.h"
#include "toolkit/Label.h"
#include "toolkit/Platform.h"

namespace carterm {

CommAction lookUpCommEvent(int code, std::string& eventMessage, std::string& errorMessage)
{
    switch (code) {
    case comEvSend: return CommAction::None;
    case comEvReceive: return CommAction::Receive;
    case comEvCTS: eventMessage = "Change in CTS Detected"; break;
    case comEvDSR: eventMessage = "Change in DSR Detected"; break;
    case comEvCD: eventMessage = "Change in CD Detected"; break;
    case comEvRing: eventMessage = "The Phone is Ringing"; break;
    case comEvEOF: eventMessage = "End of File Detected"; break;
    case comEventBreak: eventMessage = "Break Received"; break;
    case comEventCTSTO: errorMessage = "CTS Timeout"; break;
    case comEventDSRTO: errorMessage = "DSR Timeout"; break;
    case comEventFrame: eventMessage = "Framing Error"; break;
    case comEventOverrun: return CommAction::Overrun;
    case comEventCDTO: errorMessage = "Carrier Detect Timeout"; break;
    case comEventRxOver: errorMessage = "Receive Buffer Overflow"; break;
    case comEventRxParity: eventMessage = "Parity Error"; break;
    case comEventTxFull: errorMessage = "Transmit Buffer Full"; break;
    default: errorMessage = "Unknown error or event"; break;
    }
    return CommAction::Report;
}

bool reportCommEvent(std::string& eventMessage, std::string& errorMessage, toolkit::Label& statusLine,
                     CommControl& comm)
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
