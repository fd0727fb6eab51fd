#include "cabtalk/TalkConfigScrn.h"

#include "toolkit/Bytes.h"
#include "serial/PortMap.h"
#include "carterm/ConfigScrn.h"
#include "toolkit/Platform.h"
#include "cabtalk/TalkForm1.h"

namespace carterm {

using namespace toolkit;

TalkConfigScrn::TalkConfigScrn(TalkForm1& owner)
    : Window("ConfigScrn"),
      Label1(*this, "Label1", "Settings"),
      Text1(*this, "Text1"),
      Label2(*this, "Label2", "Comm Port"),
      Text2(*this, "Text2"),
      owner_(owner)
{
    setCaption("Configure Comm Port");
    toolkit::describeControls(*this, kTalkConfigScrnDescriptions);
    setClientSize(3000, 1560);
    Label1.move(120, 120, 2760, 255);
    Text1.move(120, 360, 2760, 315);
    Label2.move(120, 840, 2760, 255);
    Text2.move(120, 1080, 1200, 315);
    setTabOrder({&Text1, &Text2});
    setEscapeCloses(true); // no buttons: Escape closes it, and closing applies
    Text1.setFocus();
    onUnload = [this](int& cancel) { Form_Unload(cancel); };
    Form_Load();
}

void TalkConfigScrn::Form_Load()
{
    Text1.setText(owner_.MSComm1.settings());
    Text2.setText(decimal(owner_.MSComm1.commPort()));
}

// Applies what the serial control accepts; a refused value is named and left unapplied, and a
// port that was open is opened again. Values the device itself refuses on reopening are taken
// back, so the port comes up again as it was.
void TalkConfigScrn::Form_Unload(int&)
{
    serial::control::CommControl& comm = owner_.MSComm1;
    std::string refused;
    const auto note = [&refused](const std::string& text) { refused += (refused.empty() ? "" : "\n\n") + text; };

    const std::string oldSettings = comm.settings();
    const int oldPort = comm.commPort();
    const bool wasOpen = comm.portOpen();
    if (wasOpen)
        comm.setPortOpen(false);
    if (const serial::CommError err = comm.setSettings(Text1.text()))
        note(err.text);
    std::string portError;
    if (const auto port = portNumberFromText(Text2.text(), portError)) {
        if (const serial::CommError err = comm.setCommPort(*port))
            note(err.text);
    } else {
        note(portError + " " + serial::portName(oldPort) + " stays in use.");
    }
    if (wasOpen) {
        if (const serial::CommError err = comm.setPortOpen(true)) {
            note(err.text);
            if (comm.settings() != oldSettings || comm.commPort() != oldPort) {
                comm.setSettings(oldSettings);
                comm.setCommPort(oldPort);
                if (const serial::CommError again = comm.setPortOpen(true))
                    note(again.text);
                else
                    note(serial::portName(oldPort) + " was opened again with \"" + oldSettings + "\".");
            }
        }
    }
    owner_.refreshPortState();
    if (!refused.empty())
        showWarning(refused);
}

} // namespace carterm
