#include "carterm/Form3.h"

#include "toolkit/Platform.h"

namespace carterm {

using namespace toolkit;

Form3::Form3(bool loginBuild)
    : Window("Form3"),
      mnuCar(addMenuItem("&Car diagnostics", "mnuCar")),
      mnuDispatch(addMenuItem("&dispatcher diagnostics", "mnuDispatch"))
{
    setCaption("Hoistwise Menu");
    setClientSize(4800, 1200);
    mnuCar.onClick = [this] { mnuCar_Click(); };
    mnuDispatch.onClick = [this] { mnuDispatch_Click(); };
    if (loginBuild) {
        mnuDispatch.setEnabled(false);
        mnuReplay = &addMenuItem("&Replay", "mnuReplay");
        mnuReplay->setEnabled(false);
        mnuReplay->onClick = [this] { mnuReplay_Click(); };
    }
}

void Form3::mnuCar_Click()
{
    if (showCarWindow)
        showCarWindow();
}

void Form3::mnuDispatch_Click()
{
    platform().messageBox("Dispatcher diagnostics are not available in this program.", MsgButtons::OK,
                          MsgIcon::Information, {});
}

} // namespace carterm
