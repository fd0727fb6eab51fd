#include "carterm/Form5.h"

namespace carterm {

using namespace toolkit;

Form5::Form5(const SplashText& text)
    : Window("Form5"),
      Label1(*this, "Label1", "Hoistwise for Swift 5000"),
      Label2(*this, "Label2", "Written for the Hoistwise field service team"),
      Label3(*this, "Label3", text.date),
      Label4(*this, "Label4", text.version),
      Label5(*this, "Label5", text.changeNote),
      Timer1("Timer1", 10000, true)
{
    setCaption("Hoistwise");
    setClientSize(6000, 3300);
    setSizable(false);
    Label1.setFont({"Liberation Serif", 18, true});
    Label1.setAlignment(Align::Center);
    Label1.move(240, 240, 5520, 495);
    Label2.setAlignment(Align::Center);
    Label2.move(240, 900, 5520, 255);
    Label3.move(480, 1440, 2400, 255);
    Label4.move(3120, 1440, 2400, 255);
    Label4.setAlignment(Align::Right);
    Label5.move(480, 1920, 5040, 495);
    if (!text.conversion.empty()) {
        Label6 = std::make_unique<Label>(*this, "Label6", text.conversion);
        Label6->move(480, 2640, 5040, 255);
    }
    for (Control* c : controls())
        c->setTabStop(false);

    onClick = [this] { Form_Click(); };
    onKeyPress = [this](int& ascii) { Form_KeyPress(ascii); };
    Timer1.onTimer = [this] { Timer1_Timer(); };
}

void Form5::Form_Click() { leave(false); }

void Form5::Form_KeyPress(int&) { leave(true); }

void Form5::Timer1_Timer() { leave(false); }

void Form5::leave(bool byKey)
{
    if (gone_)
        return;
    gone_ = true;
    unload();
    if (onLeave)
        onLeave(byKey);
    Timer1.setEnabled(false);
}

} // namespace carterm
