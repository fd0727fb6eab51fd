#pragma once
// cabtalk's car window: a fixed matrix of signal labels beside the terminal, the fault block,
// three activity lamps, and polling that rests 8 seconds after each table display and polls
// again after a second of silence.
#include "carterm/Form1.h"
#include "toolkit/PictureBox.h"
#include "cabtalk/SignalMatrix.h"

namespace carterm {

class TalkConfigScrn;

namespace lamp {
constexpr toolkit::Color grey{192, 192, 192};
constexpr toolkit::Color livePollGreen{0, 192, 0};
constexpr toolkit::Color transmitGreen{0, 255, 0};
constexpr toolkit::Color receiveRed{192, 0, 0};
} // namespace lamp

class TalkForm1 : public Form1 {
public:
    explicit TalkForm1(std::unique_ptr<serial::SerialBackend> serialBackend = nullptr);
    ~TalkForm1() override;

    // Timer1 to Timer3 and the shared controls are explained in Form1.h; in this build Timer3
    // is the 8-second rest after each table display (and the stress-test step).
    SignalMatrix matrix;          // the lbl... labels: signal names and their values
    toolkit::TextBox Text5;       // fault block: the 76 characters read after "FLT0"
    toolkit::PictureBox Picture1; // grey panel over the pane in live mode; a click hides it
    toolkit::Label Label3;        // live-poll lamp
    toolkit::Label Label4;        // receive lamp
    toolkit::Label Label5;        // transmit lamp
    toolkit::Timer Timer4;        // 1 ms after a reception: lamps back to grey
    toolkit::Timer Timer5;        // 1 s of silence in live mode: poll again

    void Text1_Change() override;
    void Timer1_Timer() override;
    void Timer2_Timer() override;
    void Timer3_Timer() override;
    void Timer4_Timer();
    void Timer5_Timer();
    std::vector<toolkit::Timer*> timers() override { return {&Timer1, &Timer2, &Timer3, &Timer4, &Timer5}; }
    void Command1_Click() override;
    void Command2_Click() override;
    void Command6_Click() override;
    void txtbbt_Change() override;
    void txtpos_Change() override;
    void Picture1_Click();
    void Text4_KeyUp(int, int) {}
    void MRplayLog_Click() {}

    // The settings dialog while it is up (nullptr otherwise).
    TalkConfigScrn* openSettingsDialog() const;

protected:
    void loadDisplay() override {}
    void beforeReceive() override;
    bool reportsRing() const override { return false; }
    void keySent() override;
    void commandSent() override;
    void openSettings() override;

private:
    void buildTalkLayout();
    void checkSm(double sm);
    void stressStepTick();
    void showTransmitting() { Label5.setBackColor(lamp::transmitGreen); }
};

// cabtalk's own controls without a caption, for assistive technology.
inline constexpr toolkit::ControlDescription kTalkForm1Descriptions[] = {
    {"Text5", "fault block"},
    {"Picture1", "live view cover"},
    {"Label3", "live poll lamp"},
    {"Label4", "receive lamp"},
    {"Label5", "transmit lamp"},
};

} // namespace carterm
