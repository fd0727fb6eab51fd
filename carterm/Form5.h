#pragma once
// The splash window both car terminals start with. It takes no focus of its own, so a key
// pressed while it is up reaches the window; a click on its background, a key, or the first
// tick of its 10-second timer makes it go, once.
#include "Label.h"
#include "Timer.h"
#include "Window.h"

#include <functional>
#include <memory>
#include <string>

namespace carterm {

struct SplashText {
    std::string date;          // Label3
    std::string version;       // Label4
    std::string changeNote;    // Label5
    std::string conversion;    // Label6; empty: the build has no such label
};

class Form5 : public toolkit::Window {
public:
    explicit Form5(const SplashText& text);

    void Form_Click();
    void Form_KeyPress(int& ascii);
    void Timer1_Timer();

    // What the start-up module does once the splash has gone; `byKey` tells a key from a click
    // or the timer.
    std::function<void(bool byKey)> onLeave;

    toolkit::Label Label1, Label2, Label3, Label4, Label5;
    std::unique_ptr<toolkit::Label> Label6;
    toolkit::Timer Timer1;

private:
    void leave(bool byKey);
    bool gone_ = false;
};

} // namespace carterm
