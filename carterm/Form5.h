#pragma once
// The splash window both car terminals start with. It takes no focus of its own, so a key
// pressed while it is up reaches the window; a click on its background, a key, or the first
// tick of its 10-second timer makes it go, once.
#include "toolkit/Label.h"
#include "toolkit/Timer.h"
#include "toolkit/Window.h"

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

    toolkit::Label Label1;                  // "Hoistwise for Swift 5000"
    toolkit::Label Label2;                  // "Written for the Hoistwise field service team"
    toolkit::Label Label3;                  // the build's date
    toolkit::Label Label4;                  // the build's version
    toolkit::Label Label5;                  // the build's change note
    std::unique_ptr<toolkit::Label> Label6; // the build's conversion note, if it has one
    toolkit::Timer Timer1;                  // 10 s: the splash leaves on its own

private:
    void leave(bool byKey);
    bool gone_ = false;
};

} // namespace carterm
