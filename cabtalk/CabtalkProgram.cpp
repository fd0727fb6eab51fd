#include "cabtalk/CabtalkProgram.h"

#include "toolkit/Platform.h"

namespace carterm {

SplashText cabtalkSplashText()
{
    return {"03/19/2003", "VER 4.14.24", "04/24/2014: signal matrix with activity lamps, password login", ""};
}

CabtalkProgram::CabtalkProgram(std::unique_ptr<serial::SerialBackend> serialBackend)
    : splash(cabtalkSplashText()), menu(true), form1(std::move(serialBackend))
{
    splash.onLeave = [this](bool byKey) {
        if (byKey)
            menu.show();
        else
            login.show();
    };
    login.showMenu = [this] { menu.show(); };
    menu.showCarWindow = [this] {
        form1.load();
        form1.show();
    };
    menu.onUnload = [this](int& cancel) { Form3_Form_Unload(cancel); };
}

void CabtalkProgram::Main()
{
    splash.show();
    splash.repaintNow();
}

void CabtalkProgram::Form3_Form_Unload(int&) { toolkit::platform().endProgram(); }

} // namespace carterm
