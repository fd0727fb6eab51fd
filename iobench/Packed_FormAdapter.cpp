// The adapter operations behind the bench's buttons, the two window states, and how a field
// that cannot be read or a driver call that cannot be made is refused.
#include "iobench/Packed_Form.h"

#include "toolkit/Bytes.h"
#include "iobench/FieldRefusal.h"
#include "toolkit/Platform.h"

namespace iobench {

using namespace toolkit;

// --- Readings, driver results and refusals --------------------------------------------------

std::optional<int32_t> Packed_Form::reading(const TextBox& field, ReadingKind kind)
{
    const auto value = readAs(kind, field.text());
    if (!value)
        refuse(refusalMessage(field.name(), field.text(), kind));
    return value;
}

bool Packed_Form::made(const DriverResult& result, bool stores)
{
    showWhetherSimulated();
    if (stores)
        last_error = result.code();
    errormessage_textbox.setText(decimal(last_error));
    if (!result.performed()) {
        refuse(result.error()->message);
        return false;
    }
    return true;
}

void Packed_Form::showWhetherSimulated()
{
    // The library is loaded by the first call, so every call looks; once shown, it stays.
    if (!driver_.simulated() || simulated_label.visible())
        return;
    simulated_label.setVisible(true);
    setCaption(std::string(kCaption) + kSimulatedSuffix);
}

void Packed_Form::refuse(const std::string& text)
{
    switch (origin_) {
    case Origin::Operator:
        showWarning(text);
        break;
    case Origin::Remote:
        break;
    case Origin::Timer:
        // The same trouble on every tick is told once; a box stays up while the ticks go on.
        if (text != lastTimerWarning_) {
            lastTimerWarning_ = text;
            showWarning(text);
        }
        break;
    }
}

// --- The two window states ------------------------------------------------------------------

void Packed_Form::showAdapter(bool open)
{
    using Controls = std::initializer_list<Control*>;
    for (Control* c : Controls{&openadapter_frame, &openadapter_label, &boardid_textbox, &openadapter_button,
                               &open_kx9_button})
        c->setEnabled(!open);
    for (Control* c : Controls{&selectbus_frame, &selectbus_label, &busnumber_textbox, &configpoint_frame,
                               &configpoint_label, &configmask_textbox, &configpoints_button, &momoio_frame,
                               &momoio_label1, &momoio_label2, &muston_textbox, &mustoff_textbox, &momo_button,
                               &writeio_frame, &writeio_label, &writemask_textbox, &writeio_button, &readio_label,
                               &iostatus_textbox, &readio_frame, &readio_button, &closeadapter_frame,
                               &closeadapter_button})
        c->setEnabled(open);
    if (!open)
        cmdStart.setEnabled(false); // no test runs without an adapter
}

// --- Operations -----------------------------------------------------------------------------

bool Packed_Form::openAdapter(DriverResult (AdapterDriver::*open)(int32_t&, int32_t))
{
    const auto address = reading(boardid_textbox, ReadingKind::Hex16);
    if (!address)
        return false;
    board_address = *address;
    if (!made((driver_.*open)(adapter_handle, board_address)) || last_error != 0)
        return false;
    showAdapter(true);
    return true;
}

void Packed_Form::openadapter_button_Click() { openAdapter(&AdapterDriver::Kestrel_PCIKX9_Open); }

void Packed_Form::open_kx9_button_Click()
{
    if (!openAdapter(&AdapterDriver::Kestrel_KX9_Open))
        return;
    // A KX9 has one bus: the PCI-KX9 button and the bus choice go for the rest of the run.
    openadapter_button.setVisible(false);
    selectbus_frame.setVisible(false);
    selectbus_label.setVisible(false);
    busnumber_textbox.setVisible(false);
}

void Packed_Form::configpoints_button_Click()
{
    const auto bus = reading(busnumber_textbox, ReadingKind::Dec16);
    if (!bus)
        return;
    const auto mask = reading(configmask_textbox, ReadingKind::Dec32);
    if (!mask)
        return;
    bus_number = *bus;
    config_mask = *mask;
    if (!made(driver_.Kestrel_Direct_Packed_Config(adapter_handle, bus_number, config_mask)))
        return;
    cmdStart.setEnabled(true);
}

bool Packed_Form::readStatus(bool sendLine)
{
    const auto bus = reading(busnumber_textbox, ReadingKind::Dec16);
    if (!bus)
        return false;
    bus_number = *bus;
    int32_t value = 0;
    if (!made(driver_.Kestrel_Direct_Packed_Read(adapter_handle, bus_number, value)))
        return false;
    if (last_error == 0) {
        iostatus_textbox.setText(statusDisplay(value));
        if (sendLine)
            send(iostatus_textbox.text() + "\r");
    }
    return true;
}

void Packed_Form::readio_button_Click() { readStatus(false); }

bool Packed_Form::writeOutputs(const toolkit::TextBox& valueField)
{
    const auto bus = reading(busnumber_textbox, ReadingKind::Dec16);
    if (!bus)
        return false;
    const auto value = reading(valueField, ReadingKind::Dec32);
    if (!value)
        return false;
    bus_number = *bus;
    output_value = *value;
    return made(driver_.Kestrel_Direct_Packed_Update(adapter_handle, bus_number, output_value));
}

void Packed_Form::writeio_button_Click()
{
    // Read back whatever the write gave.
    if (writeOutputs(writemask_textbox))
        readStatus(false);
}

void Packed_Form::momo_button_Click()
{
    const auto bus = reading(busnumber_textbox, ReadingKind::Dec16);
    if (!bus)
        return;
    std::optional<int32_t> mustOn, mustOff;
    if (!muston_textbox.text().empty() && !(mustOn = reading(muston_textbox, ReadingKind::Hex32)))
        return;
    if (!mustoff_textbox.text().empty() && !(mustOff = reading(mustoff_textbox, ReadingKind::Hex32)))
        return;
    // An empty mask field keeps the mask last used.
    bus_number = *bus;
    if (mustOn)
        must_on_mask = *mustOn;
    if (mustOff)
        must_off_mask = *mustOff;
    made(driver_.Kestrel_Direct_Packed_MOMO(adapter_handle, bus_number, must_on_mask, must_off_mask));
}

void Packed_Form::enabledebug_button_Click() { made(driver_.Kestrel_Enable_Debug(), false); }

void Packed_Form::disabledebug_button_Click() { made(driver_.Kestrel_Disable_Debug(), false); }

void Packed_Form::closeadapter_button_Click()
{
    Timer2.setEnabled(false);
    if (!made(driver_.Kestrel_Close(adapter_handle)))
        return;
    if (last_error == 0)
        showAdapter(false);
}

void Packed_Form::clearerror_button_Click()
{
    last_error = 0;
    errormessage_textbox.setText("");
}

void Packed_Form::Exit_Packed_Click()
{
    if (MSComm1.portOpen())
        MSComm1.setPortOpen(false);
    closeadapter_button_Click();
    platform().endProgram();
}

void Packed_Form::Form_Unload(int&)
{
    // Closing the window by its frame ends the program without the steps of "Exit Packed".
    platform().endProgram();
}

} // namespace iobench
