#pragma once
// The car window: the serial link to the car controller, the terminal pane, the session log,
// text-file transmission and the command buttons and boxes that both car terminals share.
// What differs between carscope and cabtalk (the car display, the lamps, the timers' work)
// lives in the two builds' subclasses and reaches this class through the hooks below.
#include "serial/control/CommControl.h"
#include "toolkit/Timer.h"
#include "toolkit/Window.h"

#include "toolkit/Button.h"
#include "toolkit/Label.h"
#include "toolkit/TextBox.h"

#include <memory>
#include <string>
#include <vector>

namespace carterm {

class Form2;

class Form1 : public toolkit::Window {
public:
    // `serialBackend` replaces the real serial device (tests); nullptr uses Qt SerialPort.
    // `withReplayItem` adds cabtalk's disabled "Replay Log File" to the File menu.
    explicit Form1(std::unique_ptr<serial::SerialBackend> serialBackend = nullptr, bool withReplayItem = false);
    ~Form1() override;

    // Loads the window (once): builds the display, opens the port and greets the controller.
    void load();
    bool isLoaded() const { return loaded_; }

    // Handlers of the serial link and the terminal.
    void Form_Load();
    void MOpen_Click();
    void MSComm1_OnComm();
    void AppendToTerminal(toolkit::TextBox& pane, std::string& data);
    void Term_KeyPress(int& ascii);
    void Text3_KeyDown(int keyCode, int shift);
    void Form_Resize() {}
    void Form_Unload(int& cancel);
    void MFileExit_Click();

    // Session log and transmission.
    void MOpenLog_Click();
    void MCloseLog_Click();
    void MSendText_Click();
    void MSettings_Click();

    // Handlers both builds share.
    void txtvel_Change();
    void Text2_Change();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();

    // The send operation: the text goes out unchanged. Sends nothing while the port is closed.
    void send(std::string_view text);
    // Gives the focus to the command line when it is visible, otherwise to the terminal pane.
    void applyFocusRule();
    // Brings the port-dependent controls in line with the port, for dialogs that open or close it.
    void refreshPortState() { showPortState(); }

    // The window at a moment of a replay, as the received text and the display timer left it
    // (pane, reply buffer, boxes, stop count), not what the operator set: a seek puts it back.
    struct Moment {
        virtual ~Moment() = default;
        std::string term, text1, vel, bbt, pos, stops;
        long termSize = 0;
        long zeroVelCount = 0;
        bool displayDue = false;   // Timer1 enabled
    };
    virtual std::shared_ptr<Moment> keepMoment() const;
    // Puts the moment back without running a change handler: nothing is sent or counted again.
    virtual void putBack(const Moment& moment);
    // The timers a replay runs on the recording's clock.
    virtual std::vector<toolkit::Timer*> timers() { return {&Timer1, &Timer2, &Timer3}; }

    // Controls keep the names the window was designed with; each says its caption or role.
    serial::control::CommControl MSComm1;    // the serial link to the car controller
    toolkit::TextBox Term;  // terminal pane: everything received; typed keys go to the port
    toolkit::TextBox Text1; // hidden reply buffer: the last 418 received characters, parsed on change
    toolkit::TextBox Text3; // command entry line, shown by "pmi 1": Enter sends it
    toolkit::Label Label2;  // "Status - "
    toolkit::Label Label1;  // status line: port state and serial event messages

    toolkit::Menu& MFile;
    toolkit::MenuItem& MOpenLog;
    toolkit::MenuItem& MCloseLog;
    toolkit::MenuItem* MRplayLog = nullptr; // "Replay Log File", cabtalk only, never enabled
    toolkit::MenuItem& MSendText;
    toolkit::MenuItem& MFileExit;
    toolkit::Menu& MPort;
    toolkit::MenuItem& MOpen;
    toolkit::MenuItem& MSettings;

    toolkit::Button Command1; // "pmi 1": live view and polling
    toolkit::Button Command2; // "reset": live view and stress test off
    toolkit::Button Command3; // "DOB": calls the floor above txtpos
    toolkit::Button Command4; // "ST&U": sends "stu"
    toolkit::Button Command5; // "ST&D": sends "std"
    toolkit::Button Command6; // "stress": starts and stops the stress test
    toolkit::TextBox Text4;   // stress-test target floor
    toolkit::TextBox txtbbt;  // BBT value, 5 characters as received
    toolkit::TextBox txtpos;  // car position "1"-"7"; carscope decodes it, in cabtalk only typed
    toolkit::TextBox txtvel;  // velocity, 3 characters as received or "  0"
    toolkit::TextBox Text2;   // zeroVelCount: times the car was seen coming to rest
    toolkit::Timer Timer1;    // 250 ms: the table display, once per enabling
    toolkit::Timer Timer2;    // 250 ms: the "pmii" poll
    // Timer3 differs between the builds.
    toolkit::Timer Timer3; // 8 s; carscope: stress-test step; cabtalk: rest after a display, stress step

    // Form-level state.
    std::string eventMessage;
    std::string errorMessage;
    int logFileNumber = 0;
    std::string logFileName;
    long termSize = 0;
    long zeroVelCount = 0;
    int stressStep = 0;
    bool cancelSend = false;
    bool sendCutByLoss = false;   // the device was lost during the transmission under way
    std::unique_ptr<Form2> progress;
    // Set when the port is a recording: the status line says so once the port opens.
    std::string replayNote;
    // The settings dialog, kept once loaded so that showing it again keeps the operator's edits.
    std::unique_ptr<toolkit::Window> settingsDialog;

protected:
    // Hooks where the builds differ.
    virtual void loadDisplay() = 0;
    // After the port was opened at load or toggled: the controls that follow the port state.
    virtual void showPortState();
    // After "Port &Open" closed the port.
    virtual void portClosedByToggle() {}
    // Before a received piece is read and appended.
    virtual void beforeReceive() {}
    // Whether a ring indication reaches the status line.
    virtual bool reportsRing() const { return true; }
    // After a typed key or a button sent something.
    virtual void keySent() {}
    virtual void commandSent() {}
    virtual void openSettings() = 0;

public:
    // Handlers whose work differs between the builds.
    virtual void Text1_Change() = 0;
    virtual void Timer1_Timer() = 0;
    virtual void Timer2_Timer() = 0;
    virtual void Timer3_Timer() = 0;
    virtual void Command1_Click() = 0;
    virtual void Command2_Click() = 0;
    virtual void Command6_Click() = 0;
    virtual void txtbbt_Change() = 0;
    virtual void txtpos_Change() {}

protected:
    void openPortAtLoad();
    void overrunRecovery();
    void portLost(const std::string& text);
    void portReconnected(const std::string& text);
    void writeToLog(const std::string& data);
    // While the port is waited for, the status line says for what, when the next try comes and
    // how old the values shown are; it stays so, counted down every second, until the port opens.
    void showWaiting();
    void keepMomentInto(Moment& moment) const;

private:
    toolkit::MenuItem& addFileMenuTail(bool withReplayItem);
    void buildLayout();
    bool loaded_ = false;
    int exitScratch_ = 0;
    toolkit::Timer waitLine_{"waitLine", 1000};   // counts the status line's next try down
    double lastReceived_ = -1;   // time of day the last bytes came
    double valuesFrom_ = -1;     // the port went down: the values shown are from then
    std::string lossText_;       // what the loss box said, kept when it tells the return
    bool greetOnArrival_ = false;   // the port waited for since the window loaded
};

// What each control of the car window without a caption is, for assistive technology. The
// reply buffer Text1 is a hidden helper and is not described.
inline constexpr toolkit::ControlDescription kForm1Descriptions[] = {
    {"Term", "terminal"},
    {"Text3", "command line"},
    {"Label1", "status line"},
    {"Text4", "stress test floor"},
    {"txtbbt", "BBT value"},
    {"txtpos", "floor position"},
    {"txtvel", "velocity"},
    {"Text2", "stop count"},
};

} // namespace carterm
