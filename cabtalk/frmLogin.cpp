#include "cabtalk/frmLogin.h"

#include "toolkit/Platform.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QShortcut>

namespace carterm {

using namespace toolkit;

frmLogin::frmLogin()
    : Window("frmLogin"),
      lblLabels{{{*this, "lblLabels(0)", "&Password:"}, {*this, "lblLabels(1)", "&User Name:"}}},
      txtPassword(*this, "txtPassword"),
      txtUserName(*this, "txtUserName"),
      cmdOK(*this, "cmdOK", "OK"),
      cmdCancel(*this, "cmdCancel", "Cancel"),
      Label1(*this, "Label1", "Created 11/18/2008"),
      Label2(*this, "Label2", "Hoistwise field service - login build")
{
    setCaption("Password challenge");
    toolkit::describeControls(*this, kFrmLoginDescriptions);
    setClientSize(4560, 2400);
    setSizable(false);
    lblLabels[0].move(120, 150, 1200, 270);
    txtPassword.move(1320, 120, 3015, 330);
    lblLabels[1].move(120, 630, 1200, 270);
    txtUserName.move(1320, 600, 3015, 330);
    cmdOK.move(1320, 1140, 1140, 390);
    cmdCancel.move(2880, 1140, 1140, 390);
    Label1.move(120, 1740, 4320, 255);
    Label2.move(120, 2040, 4320, 255);

    txtPassword.setPasswordChar('*');
    lblLabels[0].setAccessKeyTarget(txtPassword);
    lblLabels[1].setAccessKeyTarget(txtUserName);
    cmdOK.makeDefault();
    cmdCancel.makeCancel();
    setTabOrder({&txtPassword, &txtUserName, &cmdOK, &cmdCancel});
    for (Label* l : {&lblLabels[0], &lblLabels[1], &Label1, &Label2})
        l->setTabStop(false);
    txtPassword.setFocus();

    // The labels' access keys move to the box beside them.
    auto* alt_p = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_P), frame());
    QObject::connect(alt_p, &QShortcut::activated, frame(), [this] { txtPassword.setFocus(); });
    auto* alt_u = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_U), frame());
    QObject::connect(alt_u, &QShortcut::activated, frame(), [this] { txtUserName.setFocus(); });

    cmdOK.onClick = [this] { cmdOK_Click(); };
    cmdCancel.onClick = [this] { cmdCancel_Click(); };
    txtUserName.onGotFocus = [this] { txtUserName_GotFocus(); };
    // Closing the window by its frame leaves no way on: it ends the program like Cancel.
    onUnload = [this](int&) {
        if (!leaving_)
            platform().endProgram();
    };
}

void frmLogin::cmdOK_Click()
{
    if (txtPassword.text() == kLoginPassword) {
        goToMenu();
        return;
    }
    platform().messageBox("Invalid Password, try again!", MsgButtons::OK, MsgIcon::None, "Login");
    txtPassword.setFocus();
    txtPassword.setSelStart(0);
    txtPassword.setSelLength(static_cast<long>(txtPassword.text().size()));
}

void frmLogin::cmdCancel_Click() { platform().endProgram(); }

// The maintenance path: no password is asked.
void frmLogin::txtUserName_GotFocus()
{
    if (leaving_)
        return; // already on the way to the menu window
    leaving_ = true;
    unload();
    if (showMenu)
        showMenu();
}

void frmLogin::goToMenu()
{
    leaving_ = true;
    if (showMenu)
        showMenu();
    unload();
}

} // namespace carterm
