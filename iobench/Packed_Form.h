#pragma once
// The bench window "Packed Example": opens one digital-I/O adapter through the driver library,
// configures, writes, reads and masks its points, runs the status-polling test, and answers a
// modem on COM3 so that a technician elsewhere can drive it with command strings.
//
// The handlers are split by job: Packed_FormAdapter.cpp (adapter operations and the two window
// states), Packed_FormTestCycle.cpp (Start/Stop, the poll, the status evaluation, the
// write/read cycle), Packed_FormRemote.cpp (the serial link, the terminal and the command
// recogniser), Packed_FormLayout.cpp (where every control sits).
#include "iobench/driver/AdapterDriver.h"
#include "serial/control/CommControl.h"
#include "iobench/ModemHangUp.h"
#include "iobench/Readings.h"
#include "iobench/RemoteCommands.h"
#include "iobench/ReportTally.h"

#include "toolkit/Button.h"
#include "toolkit/Frame.h"
#include "toolkit/Label.h"
#include "toolkit/TextBox.h"
#include "toolkit/Timer.h"
#include "toolkit/Window.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace iobench {

class Packed_Form : public toolkit::Window {
public:
    static constexpr const char* kCaption = "Packed Example";
    // While the kit's simulated library stands in for the adapter, the caption says so and a
    // label in the Special frame reads kSimulatedLabel.
    static constexpr const char* kSimulatedSuffix = " (simulated adapter)";
    static constexpr const char* kSimulatedLabel = "SIMULATED ADAPTER";

    // `serialBackend` replaces the real serial device (tests); nullptr uses Qt SerialPort.
    explicit Packed_Form(AdapterDriver& driver, std::unique_ptr<serial::SerialBackend> serialBackend = nullptr);
    ~Packed_Form() override;

    // Loads the window (once): opens the modem port.
    void load();
    bool isLoaded() const { return loaded_; }
    // True while a "Disconnect" hang-up waits out its silences; the bench sends nothing else then.
    bool hangingUp() const { return hangUp_.busy(); }

    // Adapter operations.
    void openadapter_button_Click();
    void open_kx9_button_Click();
    void configpoints_button_Click();
    void readio_button_Click();
    void writeio_button_Click();
    void momo_button_Click();
    void enabledebug_button_Click();
    void disabledebug_button_Click();
    void closeadapter_button_Click();
    void clearerror_button_Click();
    void Exit_Packed_Click();
    void Form_Unload(int& cancel);

    // Test cycle.
    void cmdStart_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    void iostatus_textbox_Change();
    void txtAtemps_Change() {}
    void txtPassed_Change() {}

    // Remote control over the modem link.
    void Form_Load();
    void MSComm1_OnComm();
    void AppendToTerminal(toolkit::TextBox& pane, std::string& data);
    void Term_KeyPress(int& ascii);
    void Term_Change();
    // Sends the text unchanged; nothing while the port is closed, nor while a hang-up waits
    // out its guard times.
    void send(std::string_view text);

    // Frames first, then what they hold, so every container exists before its contents.
    toolkit::Frame openadapter_frame;
    toolkit::Label openadapter_label;
    toolkit::TextBox boardid_textbox;
    toolkit::Button openadapter_button;
    toolkit::Button open_kx9_button;

    toolkit::Frame drivererror_frame;
    toolkit::Label Label7; // "Last Error Number"
    toolkit::TextBox errormessage_textbox;
    toolkit::Button clearerror_button;

    toolkit::Frame Special_Frame; // "Special": the debug buttons
    toolkit::Button enabledebug_button;
    toolkit::Button disabledebug_button;
    // Shown once the driver library turns out to be the kit's simulator.
    toolkit::Label simulated_label;

    toolkit::Frame selectbus_frame;
    toolkit::Label selectbus_label;
    toolkit::TextBox busnumber_textbox;

    toolkit::Frame configpoint_frame;
    toolkit::Label configpoint_label;
    toolkit::TextBox configmask_textbox;
    toolkit::Button configpoints_button;

    toolkit::Frame Frame1;        // "Test"
    toolkit::TextBox Term;        // the modem link's terminal pane
    toolkit::TextBox txtAtemps;   // test cycle: attempts
    toolkit::TextBox txtPassed;   // test cycle: passes
    toolkit::TextBox Text1; // output lamp
    toolkit::TextBox Text2; // input lamp
    toolkit::Button cmdStart; // on the window, over the lower part of the Test frame

    toolkit::Frame momoio_frame;
    toolkit::Label momoio_label1;
    toolkit::TextBox muston_textbox;
    toolkit::Label momoio_label2;
    toolkit::TextBox mustoff_textbox;
    toolkit::Button momo_button;

    toolkit::Frame writeio_frame;
    toolkit::Label writeio_label;
    toolkit::TextBox writemask_textbox;
    toolkit::Button writeio_button;
    toolkit::Label readio_label;
    toolkit::TextBox iostatus_textbox;

    toolkit::Frame closeadapter_frame;
    toolkit::Button closeadapter_button;

    toolkit::Frame Exit;          // "Exit"
    toolkit::Button Exit_Packed;  // "Exit Packed": ends the program

    toolkit::Label Label1; // the serial status line

    toolkit::Frame readio_frame;
    toolkit::Button readio_button;

    toolkit::Timer Timer1; // write step
    toolkit::Timer Timer2; // status poll
    toolkit::Timer Timer3; // read-and-reset step

    // Window state; every field starts at 0.
    int32_t adapter_handle = 0;
    int32_t last_error = 0;
    int32_t board_address = 0;
    int32_t bus_number = 0;
    int32_t config_mask = 0;
    int32_t output_value = 0;
    int32_t must_on_mask = 0;
    int32_t must_off_mask = 0;
    long pass_count = 0;    // shown from the first pass on
    long attempt_count = 0; // shown from the first write step on

    std::string eventMessage;
    std::string errorMessage;
    long termSize = 0;

    // Declared last so it goes first: no serial event reaches a control that is gone.
    serial::control::CommControl MSComm1;

private:
    // Who runs an operation decides how a refusal is told: the operator gets a box; a remote
    // command gets none (nobody may be at the bench to answer it); a timer gets a box once per
    // distinct trouble, not on every tick.
    enum class Origin { Operator, Remote, Timer };
    class OriginScope {
    public:
        OriginScope(Packed_Form& form, Origin origin) : form_(form), saved_(form.origin_) { form.origin_ = origin; }
        ~OriginScope() { form_.origin_ = saved_; }
        OriginScope(const OriginScope&) = delete;
        OriginScope& operator=(const OriginScope&) = delete;

    private:
        Packed_Form& form_;
        Origin saved_;
    };

    void buildLayout();
    void wireHandlers();

    // The two window states of the table: an adapter open or none.
    void showAdapter(bool open);

    // Reads the board address and opens the adapter with `open`; true when it is open.
    bool openAdapter(DriverResult (AdapterDriver::*open)(int32_t&, int32_t));
    // The field's reading, or nothing after the refusal has been told.
    std::optional<int32_t> reading(const toolkit::TextBox& field, ReadingKind kind);
    // Stores a call's result in last_error (unless `stores` is false: the debug switches) and
    // shows it; a call that could not be made is told. Returns whether the call was made.
    bool made(const DriverResult& result, bool stores = true);
    void refuse(const std::string& text);
    // Says on the window, for as long as it lives, that the adapter is the kit's simulator.
    void showWhetherSimulated();
    // The read and display steps shared by Read The I/O, the write read-back and the timers.
    // Returns false when the operation cannot go on.
    bool readStatus(bool sendLine);
    // Reads the bus and `valueField` and writes the outputs; false when refused or not performed.
    bool writeOutputs(const toolkit::TextBox& valueField);

    // The modem link's writes without the hang-up's hold: for the hang-up itself.
    void sendToModem(std::string_view text);

    AdapterDriver& driver_;
    Origin origin_ = Origin::Operator;
    ReportTally ringReports_{remote::kRing};
    ReportTally disconnectReports_{remote::kDisconnect};
    ModemHangUp hangUp_;
    std::string lastTimerWarning_;
    bool loaded_ = false;
};

// What each control of the bench window without a caption is, for assistive technology.
inline constexpr toolkit::ControlDescription kPackedFormDescriptions[] = {
    {"boardid_textbox", "board ID or base I/O address"},
    {"errormessage_textbox", "last error number"},
    {"busnumber_textbox", "bus number"},
    {"configmask_textbox", "configuration mask"},
    {"Term", "modem terminal"},
    {"txtAtemps", "attempt count"},
    {"txtPassed", "pass count"},
    {"Text1", "output lamp"},
    {"Text2", "input lamp"},
    {"muston_textbox", "must-on mask"},
    {"mustoff_textbox", "must-off mask"},
    {"writemask_textbox", "output mask"},
    {"iostatus_textbox", "I/O status"},
    {"Label1", "serial status line"},
};

} // namespace iobench
