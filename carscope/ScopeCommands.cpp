// The operator's buttons, polling and the stress test.
#include "carscope/ScopeForm1.h"

namespace carterm {

namespace {
constexpr const char* kCaption = "Hoistwise Car";
}

// "pmi 1": the live I/O view over the terminal; the first poll goes out on the poll timer's
// first tick, not from here.
void ScopeForm1::Command1_Click()
{
    Timer2.setEnabled(true);
    Timer1.setEnabled(true);
    Text3.setVisible(true);
    Command6.setVisible(true);
    Grid1.setVisible(true);
    Text3.setFocus();
}

// "reset": back to the terminal, polling and the stress test off. Sends nothing.
void ScopeForm1::Command2_Click()
{
    Timer2.setEnabled(false);
    Timer3.setEnabled(false);
    setCaption(kCaption);
    Text3.setVisible(false);
    Grid1.setVisible(false);
    Term.setFocus();
}

// "stress": starts or stops the stress test; where it stopped (stressStep) is kept.
void ScopeForm1::Command6_Click()
{
    if (Timer3.enabled()) {
        Timer3.setEnabled(false);
        setCaption(kCaption);
    } else {
        Timer3.setEnabled(true);
        setCaption("Stress Test");
    }
    applyFocusRule();
}

// A poll still waiting to leave (a slow or stalled line) is enough: another would only queue behind
// it and reach the controller in a burst.
void ScopeForm1::Timer2_Timer()
{
    if (MSComm1.outBufferCount() == 0)
        send("pmii\r");
}

// One step every 8 s, in cycles of three: a quiet step, the floor in Text4, floor 1.
void ScopeForm1::Timer3_Timer()
{
    setCaption("stress test");
    if (stressStep == 1) {
        const std::string call = "scc" + Text4.text();
        send(call + "\r");
        setCaption(call);
    }
    if (stressStep == 2) {
        send("scc1\r");
        setCaption("scc1");
        stressStep = 0;
    } else {
        ++stressStep;
    }
}

} // namespace carterm
