#include "Form2.h"

#include "Form1.h"

namespace carterm {

Form2::Form2(Form1& owner) : Window("Form2"), Label1(*this, "Label1"), Command1(*this, "Command1", "Cancel"), owner_(owner)
{
    setCaption("MSComm Terminal");
    Command1.onClick = [this] { Command1_Click(); };
}

void Form2::Command1_Click() { owner_.cancelSend = true; }

} // namespace carterm
