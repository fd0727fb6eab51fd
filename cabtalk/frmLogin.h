#pragma once
// cabtalk's password window "Password challenge". The right password opens the menu window;
// so does moving into the user-name box, the login build's maintenance path.
#include "toolkit/Button.h"
#include "toolkit/Label.h"
#include "toolkit/TextBox.h"
#include "toolkit/Window.h"

#include <array>
#include <functional>
#include <string_view>

namespace carterm {

inline constexpr std::string_view kLoginPassword = "594031";

class frmLogin : public toolkit::Window {
public:
    frmLogin();

    void cmdOK_Click();
    void cmdCancel_Click();
    void txtUserName_GotFocus();

    std::array<toolkit::Label, 2> lblLabels; // "&Password:", "&User Name:"
    toolkit::TextBox txtPassword; // the password, shown masked
    toolkit::TextBox txtUserName; // the user name, not checked
    toolkit::Button cmdOK;        // "OK": checks the password
    toolkit::Button cmdCancel;    // "Cancel": ends the program
    toolkit::Label Label1;        // "Created 11/18/2008"
    toolkit::Label Label2;        // "Hoistwise field service - login build"

    // Shows the menu window (set by the start-up module).
    std::function<void()> showMenu;

private:
    void goToMenu();
    bool leaving_ = false;
};

// The login boxes, for assistive technology.
inline constexpr toolkit::ControlDescription kFrmLoginDescriptions[] = {
    {"txtPassword", "password"},
    {"txtUserName", "user name"},
};

} // namespace carterm
