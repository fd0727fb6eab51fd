#include "carterm/Form2.h"

#include "carterm/Form1.h"

#include <QApplication>

namespace carterm {

Form2::Form2(Form1& owner)
    : Window("Form2"), Label1(*this, "Label1"), Command1(*this, "Command1", "Cancel"), owner_(owner)
{
    setCaption("MSComm Terminal");
    setClientSize(5400, 1500);
    Label1.move(120, 120, 5160, 615);
    Command1.move(2040, 900, 1215, 420);
    Command1.makeCancel();
    Command1.onClick = [this] { Command1_Click(); };
    onActivate = [this] { Form_Activate(); };
    onDeactivate = [this] { Form_Deactivate(); };
    // Closing the window asks to stop, like Cancel; the window goes when the transmission ends.
    onUnload = [this](int& cancel) {
        Command1_Click();
        cancel = 1;
    };
}

void Form2::Command1_Click()
{
    cancelPressed = true;
    owner_.cancelSend = true;
}

void Form2::Form_Activate() { setTopmost(true); }

void Form2::Form_Deactivate()
{
    // A message box of the program takes the focus on purpose; pulling the window in front of
    // it would fight over the focus.
    if (QApplication::activeModalWidget())
        return;
    if (!owner_.cancelSend && isShown())
        show();
}

} // namespace carterm
