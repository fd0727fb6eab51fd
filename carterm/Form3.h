#pragma once
// The small menu window from which the car window is opened.
#include "toolkit/Menu.h"
#include "toolkit/Window.h"

#include <functional>

namespace carterm {

class Form3 : public toolkit::Window {
public:
    // cabtalk shows dispatcher diagnostics disabled and has a disabled "&Replay" item.
    explicit Form3(bool loginBuild);

    void mnuCar_Click();
    void mnuDispatch_Click();
    void mnuReplay_Click() {}

    toolkit::MenuItem& mnuCar;
    toolkit::MenuItem& mnuDispatch;
    toolkit::MenuItem* mnuReplay = nullptr;

    // Shows the car window, loading it the first time.
    std::function<void()> showCarWindow;
};

} // namespace carterm
