#pragma once
// The splash window `Form1`: shown first, it hands over to the decoder window on a click on its
// background, on its 5000 ms timer, or when the window manager closes it, whichever is first.
#include "toolkit/Label.h"
#include "toolkit/TextBox.h"
#include "toolkit/Timer.h"
#include "toolkit/Window.h"

namespace runecast {

class Module1;

class Form1 : public toolkit::Window {
public:
    explicit Form1(Module1& module);

    // Handlers.
    void Form_Click();
    void Timer1_Timer();
    void Form_Unload(int& cancel);

    toolkit::Label Label4;  // "Read the runecast"
    toolkit::Label Label1;  // "Written by "
    toolkit::Label Label2;  // the author's credit
    toolkit::Label Label3;  // "Compiled on 06/10/2006"
    toolkit::Label Label5;  // "Modified"
    toolkit::Label Label6;  // "06/16/2006"
    toolkit::TextBox Text1; // the maker's address, locked: copied, not changed
    toolkit::Label Label7;  // "Revised 01/20/2007"
    toolkit::Timer Timer1;  // 5 s: the splash gives way to the decoder window

private:
    void showDecoderAndUnload();

    Module1& module_;
};

// The splash's box, for assistive technology.
inline constexpr toolkit::ControlDescription kSplashDescriptions[] = {
    {"Text1", "web address"},
};

} // namespace runecast
