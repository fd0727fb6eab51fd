#pragma once
// The splash window `Form1`: shown first, it hands over to the decoder window on a click on its
// background, on its 5000 ms timer, or when the window manager closes it, whichever is first.
#include "Label.h"
#include "TextBox.h"
#include "Timer.h"
#include "Window.h"

namespace runecast {

class Module1;

class Form1 : public toolkit::Window {
public:
    explicit Form1(Module1& module);

    // Handlers.
    void Form_Click();
    void Timer1_Timer();
    void Form_Unload(int& cancel);

    toolkit::Label Label4;
    toolkit::Label Label1;
    toolkit::Label Label2;
    toolkit::Label Label3;
    toolkit::Label Label5;
    toolkit::Label Label6;
    toolkit::TextBox Text1;
    toolkit::Label Label7;
    toolkit::Timer Timer1;

private:
    void showDecoderAndUnload();

    Module1& module_;
};

// The splash's box, for assistive technology.
inline constexpr toolkit::ControlDescription kSplashDescriptions[] = {
    {"Text1", "web address"},
};

} // namespace runecast
