#include "carscope/CarscopeProgram.h"

namespace carterm {

SplashText carscopeSplashText()
{
    return {"06/24/2003", "VER 3.12.12", "05/19/2003: live I/O grid, stress test and session log added",
            "Converted to 32 Bit 03/12/2012"};
}

CarscopeProgram::CarscopeProgram(std::unique_ptr<serial::SerialBackend> serialBackend)
    : splash(carscopeSplashText()), form1(std::move(serialBackend)), menu(false)
{
    splash.onLeave = [this](bool) { form1.show(); };
    menu.showCarWindow = [this] {
        form1.load();
        form1.show();
    };
}

void CarscopeProgram::Main()
{
    splash.show();
    splash.repaintNow();
    form1.load();
    // A port error box took the focus while it was up: the splash takes its keys again.
    if (splash.isShown())
        splash.bringToFront();
}

} // namespace carterm
