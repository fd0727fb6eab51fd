#include "iobench/Packed_Form.h"

#include "toolkit/Platform.h"

namespace iobench {

using namespace toolkit;

Packed_Form::Packed_Form(AdapterDriver& driver, std::unique_ptr<serial::SerialBackend> serialBackend)
    : Window("Packed_Form"),
      openadapter_frame(*this, "openadapter_frame", "Open Adapter"),
      openadapter_label(openadapter_frame, "openadapter_label", "Enter Board ID or Base IO In Hex"),
      boardid_textbox(openadapter_frame, "boardid_textbox"),
      openadapter_button(openadapter_frame, "openadapter_button", "Open PCI-KX9"),
      open_kx9_button(openadapter_frame, "open_kx9_button", "Open KX9"),
      drivererror_frame(*this, "drivererror_frame", "Driver Errors"),
      Label7(drivererror_frame, "Label7", "Last Error Number"),
      errormessage_textbox(drivererror_frame, "errormessage_textbox"),
      clearerror_button(drivererror_frame, "clearerror_button", "Clear Last Error"),
      Special_Frame(*this, "Special_Frame", "Special"),
      enabledebug_button(Special_Frame, "enabledebug_button", "Enable Debug"),
      disabledebug_button(Special_Frame, "disabledebug_button", "Disable Debug"),
      simulated_label(Special_Frame, "simulated_label", kSimulatedLabel),
      selectbus_frame(*this, "selectbus_frame", "Select Bus"),
      selectbus_label(selectbus_frame, "selectbus_label", "Select Bus Number On The PCI-KX9 (0,1)"),
      busnumber_textbox(selectbus_frame, "busnumber_textbox"),
      configpoint_frame(*this, "configpoint_frame", "Configure Points"),
      configpoint_label(configpoint_frame, "configpoint_label", "Config Mask (Binary)"),
      configmask_textbox(configpoint_frame, "configmask_textbox"),
      configpoints_button(configpoint_frame, "configpoints_button", "Config Points"),
      Frame1(*this, "Frame1", "Test"),
      Term(Frame1, "Term", TextBox::Kind::MultiLine, TextBox::NoScrollBars),
      txtAtemps(Frame1, "txtAtemps"),
      txtPassed(Frame1, "txtPassed"),
      Text1(Frame1, "Text1"),
      Text2(Frame1, "Text2"),
      cmdStart(*this, "cmdStart", "&Start Test"),
      momoio_frame(*this, "momoio_frame", "MOMO I/O"),
      momoio_label1(momoio_frame, "momoio_label1", "Must-On Mask (Hexadecimal)"),
      muston_textbox(momoio_frame, "muston_textbox"),
      momoio_label2(momoio_frame, "momoio_label2", "Must-Off Mask (Hexadecimal)"),
      mustoff_textbox(momoio_frame, "mustoff_textbox"),
      momo_button(momoio_frame, "momo_button", "MOMO The I/O"),
      writeio_frame(*this, "writeio_frame", "Write I/O"),
      writeio_label(writeio_frame, "writeio_label", "Mask (Binay)"),
      writemask_textbox(writeio_frame, "writemask_textbox"),
      writeio_button(writeio_frame, "writeio_button", "Write To I/O"),
      readio_label(writeio_frame, "readio_label", "I/O Status (In Hexadecimal)"),
      iostatus_textbox(writeio_frame, "iostatus_textbox"),
      closeadapter_frame(*this, "closeadapter_frame", "Close Adapter"),
      closeadapter_button(closeadapter_frame, "closeadapter_button", "Close Adapter"),
      Exit(*this, "Exit", "Exit"),
      Exit_Packed(Exit, "Exit_Packed", "Exit Packed"),
      Label1(*this, "Label1", "Label1"),
      readio_frame(*this, "readio_frame", "Read I/O"),
      readio_button(readio_frame, "readio_button", "Read The I/O"),
      Timer1("Timer1", 400),
      Timer2("Timer2", 500),
      Timer3("Timer3", 200),
      MSComm1(std::move(serialBackend)),
      driver_(driver),
      hangUp_([this](std::string_view text) { sendToModem(text); },
              [this] { return MSComm1.portOpen() ? MSComm1.outBufferCount() : 0; })
{
    setCaption(kCaption);
    toolkit::describeControls(*this, kPackedFormDescriptions);

    // The modem link as it is built; nothing in the window changes it.
    MSComm1.setCommPort(3);
    MSComm1.setSettings("9600,n,8,1");
    MSComm1.setInBufferSize(1024);
    MSComm1.setOutBufferSize(512);

    boardid_textbox.setText("220");
    busnumber_textbox.setText("0");
    configmask_textbox.setText("00000001");

    // Displays, not inputs: typing into them would fake a status, a count or a lamp.
    errormessage_textbox.setLocked(true);
    iostatus_textbox.setLocked(true);
    txtAtemps.setLocked(true);
    txtPassed.setLocked(true);
    Text1.setLocked(true);
    Text2.setLocked(true);
    Text1.setBackColor(colors::white);
    Text2.setBackColor(colors::white);
    Text1.setTabStop(false);
    Text2.setTabStop(false);

    // The terminal may take a fast line: its widget follows at most once per frame.
    Term.setHighRate(true);

    buildLayout();
    wireHandlers();
}

Packed_Form::~Packed_Form()
{
    MSComm1.onComm = nullptr;
    MSComm1.onPortLost = nullptr;
    MSComm1.onPortReconnected = nullptr;
    MSComm1.onNotice = nullptr;
    MSComm1.onCaptureStopped = nullptr;
}

void Packed_Form::wireHandlers()
{
    openadapter_button.onClick = [this] { openadapter_button_Click(); };
    open_kx9_button.onClick = [this] { open_kx9_button_Click(); };
    configpoints_button.onClick = [this] { configpoints_button_Click(); };
    readio_button.onClick = [this] { readio_button_Click(); };
    writeio_button.onClick = [this] { writeio_button_Click(); };
    momo_button.onClick = [this] { momo_button_Click(); };
    enabledebug_button.onClick = [this] { enabledebug_button_Click(); };
    disabledebug_button.onClick = [this] { disabledebug_button_Click(); };
    closeadapter_button.onClick = [this] { closeadapter_button_Click(); };
    clearerror_button.onClick = [this] { clearerror_button_Click(); };
    Exit_Packed.onClick = [this] { Exit_Packed_Click(); };

    cmdStart.onClick = [this] { cmdStart_Click(); };
    Timer1.onTimer = [this] { Timer1_Timer(); };
    Timer2.onTimer = [this] { Timer2_Timer(); };
    Timer3.onTimer = [this] { Timer3_Timer(); };
    iostatus_textbox.onChange = [this] { iostatus_textbox_Change(); };
    txtAtemps.onChange = [this] { txtAtemps_Change(); };
    txtPassed.onChange = [this] { txtPassed_Change(); };

    MSComm1.onComm = [this] { MSComm1_OnComm(); };
    // One box per loss at most: a later loss while it is up updates it.
    MSComm1.onPortLost = [this](const std::string& text) { platform().showNotice("lost modem port", text); };
    MSComm1.onPortReconnected = [this](const std::string& text) { Label1.setCaption(text); };
    MSComm1.onNotice = [this](const std::string& text) { Label1.setCaption(text); };
    MSComm1.onCaptureStopped = [this](const std::string& text) { Label1.setCaption(text); };
    Term.onKeyPress = [this](int& ascii) { Term_KeyPress(ascii); };
    Term.onChange = [this] { Term_Change(); };

    onUnload = [this](int& cancel) { Form_Unload(cancel); };
}

void Packed_Form::load()
{
    if (loaded_)
        return;
    loaded_ = true;
    Form_Load();
}

} // namespace iobench
