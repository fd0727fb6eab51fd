#pragma once
// The communication settings dialog: the port number and the settings string of the car
// window's serial control, edited as plain text. Modeless; showing it again while it is up
// brings it forward with the edits kept, and each fresh showing loads the control's values.
// It uses only the car window's public side, so either build can show it.
#include "toolkit/Button.h"
#include "toolkit/Frame.h"
#include "toolkit/TextBox.h"
#include "toolkit/Window.h"

#include <optional>
#include <string>

namespace carterm {

class Form1;

class ConfigScrn : public toolkit::Window {
public:
    explicit ConfigScrn(Form1& owner);

    // Shows the dialog: loaded afresh from the serial control unless it is already up.
    void open();

    void Form_Load();
    void OKButton_Click();
    void CancelButton_Click();

    // Here Text2 is the settings string and Text1 the port; cabtalk's TalkConfigScrn has them
    // the other way round.
    toolkit::Frame Frame1;       // "&Baud Rate"
    toolkit::TextBox Text2;      // settings string, e.g. "1200,n,8,1"
    toolkit::Frame Frame6;       // "&Com Port"
    toolkit::TextBox Text1;      // port number
    toolkit::Button OKButton;    // "OK": applies, default button
    toolkit::Button CancelButton; // "Cancel": closes without applying

private:
    void close();

    Form1& owner_;
    // The port was open when a refused value made OK close it: a corrected OK opens it again.
    bool reopenAfterCorrection_ = false;
};

// The dialog's boxes, for assistive technology.
inline constexpr toolkit::ControlDescription kConfigScrnDescriptions[] = {
    {"Text2", "settings string"},
    {"Text1", "port number"},
};

// The port number as typed: a whole number in decimal (blanks around it allowed) that fits a
// 16-bit integer. Anything else gives nothing, with `error` saying what is accepted.
std::optional<int> portNumberFromText(const std::string& text, std::string& error);

} // namespace carterm
