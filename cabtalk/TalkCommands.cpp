// The buttons, the regular poll, the rest after each display and the stress test of cabtalk.
#include "cabtalk/TalkForm1.h"

namespace carterm {

using namespace toolkit;

void TalkForm1::Command1_Click()
{
    if (MSComm1.portOpen())
        send("pmii\r");
    Text3.setVisible(true);
    Label3.setBackColor(lamp::livePollGreen);
    Timer2.setEnabled(true);
    Text4.setVisible(true);
    Picture1.setVisible(true);
    Text3.setFocus();
}

void TalkForm1::Command2_Click()
{
    Timer3.setEnabled(false);
    Timer2.setEnabled(false);
    Timer1.setEnabled(false);
    // A silence poll still armed would bring a display, the rest timer and so the poll back.
    Timer5.setEnabled(false);
    Text3.setVisible(false);
    Picture1.setVisible(false);
    Label3.setBackColor(lamp::grey);
    setCaption("Hoistwise Car");
    Term.setFocus();
    zeroVelCount = 0;
}

void TalkForm1::Command6_Click()
{
    if (Timer3.enabled()) {
        Timer3.setEnabled(false);
        Timer2.setEnabled(false);
        Label3.setBackColor(lamp::grey);
        setCaption("Hoistwise Car");
    } else {
        Timer3.setEnabled(true);
        Text4.setVisible(true);
        setCaption("Stress Test");
    }
    applyFocusRule();
}

void TalkForm1::Picture1_Click()
{
    Picture1.setVisible(false);
    Text3.setFocus();
}

void TalkForm1::Timer2_Timer()
{
    if (!MSComm1.portOpen())
        return;
    send("pmii\r");
    showTransmitting();
    Timer1.setEnabled(true);
}

// The rest after a display is over: poll again, and take a stress-test step while one runs.
void TalkForm1::Timer3_Timer()
{
    if (caption() == "Stress Test")
        stressStepTick();
    Timer2.setEnabled(true);
}

// Sends nothing on the first tick, then the target floor and floor 1 in turn.
void TalkForm1::stressStepTick()
{
    if (stressStep == 1) {
        send("scc" + Text4.text() + "\r");
        showTransmitting();
    }
    if (stressStep == 2) {
        send("scc1\r");
        showTransmitting();
        stressStep = 0;
    }
    ++stressStep;
}

} // namespace carterm
