#pragma once
// The progress window shown while a text file is transmitted.
#include "Button.h"
#include "Label.h"
#include "Window.h"

namespace carterm {

class Form1;

class Form2 : public toolkit::Window {
public:
    explicit Form2(Form1& owner);
    void Command1_Click();
    toolkit::Label Label1;
    toolkit::Button Command1;

private:
    Form1& owner_;
};

} // namespace carterm
