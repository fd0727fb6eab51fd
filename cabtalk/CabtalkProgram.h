#pragma once
// cabtalk's start-up module: the splash, then the password window (or, after a key on the
// splash, the menu window straight away), then the menu window from which the car window is
// opened. The car window is loaded, and opens its port, only when the menu first shows it.
#include "carterm/Form3.h"
#include "carterm/Form5.h"
#include "cabtalk/TalkForm1.h"
#include "cabtalk/frmLogin.h"

#include <memory>

namespace carterm {

class CabtalkProgram {
public:
    explicit CabtalkProgram(std::unique_ptr<serial::SerialBackend> serialBackend = nullptr);
    void Main();

    // Closing the menu window ends the program at once: the car window's drain does not run.
    void Form3_Form_Unload(int& cancel);

    Form5 splash;
    frmLogin login;
    Form3 menu;
    TalkForm1 form1;
};

SplashText cabtalkSplashText();

} // namespace carterm
