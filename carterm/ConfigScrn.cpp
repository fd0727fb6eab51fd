#include "carterm/ConfigScrn.h"

#include "toolkit/Bytes.h"
#include "serial/PortMap.h"
#include "carterm/Form1.h"
#include "toolkit/Platform.h"

#include <charconv>

namespace carterm {

using namespace toolkit;

std::optional<int> portNumberFromText(const std::string& text, std::string& error)
{
    std::string_view digits(text);
    while (!digits.empty() && (digits.front() == ' ' || digits.front() == '\t'))
        digits.remove_prefix(1);
    while (!digits.empty() && (digits.back() == ' ' || digits.back() == '\t'))
        digits.remove_suffix(1);
    int n = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || n > 32767 || n < -32768) {
        error = "Port number \"" + text + "\" not accepted: enter the port number as a whole number from 1 to 32767, "
                "for example \"1\".";
        return std::nullopt;
    }
    return n;
}

ConfigScrn::ConfigScrn(Form1& owner)
    : Window("ConfigScrn"),
      Frame1(*this, "Frame1", "&Baud Rate"),
      Text2(Frame1, "Text2"),
      Frame6(*this, "Frame6", "&Com Port"),
      Text1(Frame6, "Text1"),
      OKButton(*this, "OKButton", "OK"),
      CancelButton(*this, "CancelButton", "Cancel"),
      owner_(owner)
{
    setCaption("Communication Settings");
    toolkit::describeControls(*this, kConfigScrnDescriptions);
    setClientSize(4320, 2280);
    Frame1.move(120, 120, 2535, 855);
    Text2.move(120, 330, 2295, 375);
    Frame6.move(120, 1110, 2535, 855);
    Text1.move(120, 330, 2295, 375);
    OKButton.move(2880, 240, 1215, 375);
    CancelButton.move(2880, 720, 1215, 375);
    OKButton.makeDefault();
    CancelButton.makeCancel();
    OKButton.onClick = [this] { OKButton_Click(); };
    CancelButton.onClick = [this] { CancelButton_Click(); };
    // Closing the frame is Cancel.
    onUnload = [this](int&) { reopenAfterCorrection_ = false; };
}

void ConfigScrn::open()
{
    if (!isShown())
        Form_Load();
    show();
}

void ConfigScrn::Form_Load()
{
    reopenAfterCorrection_ = false;
    Text1.setText(decimal(owner_.MSComm1.commPort()));
    Text2.setText(owner_.MSComm1.settings());
    Text2.setFocus();
}

void ConfigScrn::OKButton_Click()
{
    serial::control::CommControl& comm = owner_.MSComm1;
    std::string refused;
    const auto note = [&refused](const std::string& text) {
        if (!text.empty())
            refused += (refused.empty() ? "" : "\n\n") + text;
    };

    bool wasOpen = reopenAfterCorrection_;
    if (comm.portOpen()) {
        // A transmission cannot go on across the change: the close drops what is waiting.
        owner_.cancelSend = true;
        if (const serial::CommError err = comm.setPortOpen(false))
            note(err.text);
        wasOpen = true;
    }

    std::string portError;
    if (const std::optional<int> port = portNumberFromText(Text1.text(), portError)) {
        if (const serial::CommError err = comm.setCommPort(*port))
            note(err.text);
    } else {
        note(portError);
    }
    if (const serial::CommError err = comm.setSettings(Text2.text()))
        note(err.text);

    if (!refused.empty()) {
        // The dialog stays up with the operator's text so the value can be corrected; the port
        // stays closed until then.
        reopenAfterCorrection_ = wasOpen;
        owner_.refreshPortState();
        if (wasOpen)
            note(serial::portName(comm.commPort()) + " is closed. OK opens it again once the value is corrected; "
                 "after Cancel, CommPort > Port Open opens it again with \"" + comm.settings() +
                 "\", the settings in force.");
        showWarning(refused);
        return;
    }

    std::string reopenError;
    if (wasOpen) {
        if (const serial::CommError err = comm.setPortOpen(true))
            reopenError = err.text;
    }
    owner_.refreshPortState();
    close();
    if (!reopenError.empty())
        showWarning(reopenError);
}

void ConfigScrn::CancelButton_Click() { close(); }

void ConfigScrn::close()
{
    reopenAfterCorrection_ = false;
    unload();
}

} // namespace carterm
