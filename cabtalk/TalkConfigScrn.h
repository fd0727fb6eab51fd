#pragma once
// cabtalk's port settings dialog "Configure Comm Port": the settings string and the port number
// as plain text, no buttons. Closing the window is how the operator confirms: the values are
// applied then, the port being closed and reopened around the change when it was open.
#include "toolkit/Label.h"
#include "toolkit/TextBox.h"
#include "toolkit/Window.h"


namespace carterm {

class TalkForm1;

class TalkConfigScrn : public toolkit::Window {
public:
    explicit TalkConfigScrn(TalkForm1& owner);

    void Form_Load();
    void Form_Unload(int& cancel);

    // Text1 is the settings string and Text2 the port: the reverse of carscope's ConfigScrn.
    toolkit::Label Label1;  // "Settings"
    toolkit::TextBox Text1; // settings string, e.g. "1200,n,8,1"
    toolkit::Label Label2;  // "Comm Port"
    toolkit::TextBox Text2; // port number

private:
    TalkForm1& owner_;
};

// The dialog's boxes, for assistive technology.
inline constexpr toolkit::ControlDescription kTalkConfigScrnDescriptions[] = {
    {"Text1", "settings string"},
    {"Text2", "port number"},
};

} // namespace carterm
