#include "runecast/Form1.h"

#include "runecast/runecast.h"
#include "runecast/Fonts.h"
#include "runecast/Module1.h"

namespace runecast {

namespace {
constexpr int kSplashMs = 5000;
constexpr const char* kAuthorCredit = "Hoistwise team";
constexpr const char* kMakerAddress = "http://www.hoistwise.example";
} // namespace

Form1::Form1(Module1& module)
    : Window("Form1"), Label4(*this, "Label4", "Read the runecast"), Label1(*this, "Label1", "Written by "),
      Label2(*this, "Label2", kAuthorCredit), Label3(*this, "Label3", "Compiled on 06/10/2006"),
      Label5(*this, "Label5", "Modified"), Label6(*this, "Label6", "06/16/2006"), Text1(*this, "Text1"),
      Label7(*this, "Label7", "Revised 01/20/2007"), Timer1("Timer1", kSplashMs, true), module_(module)
{
    setCaption("");
    toolkit::describeControls(*this, kSplashDescriptions);
    setFont(fonts::timesNewRoman(14.25));
    setClientSize(6225, 3765);

    Label4.move(120, 120, 5775, 615);
    Label4.setAlignment(toolkit::Align::Center);
    Label4.setFont(fonts::timesNewRoman(21.75));
    Label1.move(1680, 840, 2055, 495);
    Label1.setFont(fonts::timesNewRoman(18, true));
    Label2.move(1680, 1320, 2055, 375);
    Label2.setFont(fonts::msSansSerif(13.5));
    Label3.move(1320, 1920, 3015, 375);
    Label5.move(1320, 2400, 1095, 255);
    Label6.move(2760, 2400, 1335, 255);
    Text1.move(240, 3000, 5055, 375);
    Text1.setText(kMakerAddress);
    Text1.setLocked(true); // the address can be copied, not changed
    Label7.move(600, 3480, 4455, 255);
    Label7.setAlignment(toolkit::Align::Center);

    onClick = [this] { Form_Click(); };
    onUnload = [this](int& cancel) { Form_Unload(cancel); };
    Timer1.onTimer = [this] { Timer1_Timer(); };
}

void Form1::Form_Click() { showDecoderAndUnload(); }

void Form1::Timer1_Timer() { showDecoderAndUnload(); }

void Form1::showDecoderAndUnload()
{
    if (auto* decoder = module_.decoder())
        decoder->show();
    unload();
}

// Unloading takes the timer with it, so the hand-over happens once. Closing the splash through
// the window manager has no handler of its own; it hands over as a click does.
void Form1::Form_Unload(int&)
{
    Timer1.setEnabled(false);
    if (auto* decoder = module_.decoder(); decoder && !decoder->isShown())
        decoder->show();
}

} // namespace runecast
