#pragma once
// The progress window shown while a text file is transmitted: it stays on top of the car window
// and comes back to the front while a transmission runs. Cancel (or Escape, or closing the
// window) stops the transmission after the chunk that is going out.
#include "toolkit/Button.h"
#include "toolkit/Label.h"
#include "toolkit/Window.h"

namespace carterm {

class Form1;

class Form2 : public toolkit::Window {
public:
    explicit Form2(Form1& owner);
    void Command1_Click();
    void Form_Activate();
    void Form_Deactivate();

    toolkit::Label Label1;    // "Transmitting Text File - " and the file's path
    toolkit::Button Command1; // "Cancel": stops the transmission

    // Whether the operator asked to stop the transmission now running (set by Cancel, cleared
    // when a transmission starts), to tell the operator's stop from the port going away.
    bool cancelPressed = false;
    // A transmission is running (only one can).
    bool running = false;

private:
    Form1& owner_;
};

} // namespace carterm
