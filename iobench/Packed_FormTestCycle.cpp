// The test panel: Start/Stop, the 500 ms status poll, the evaluation of every new status, and
// the write/read cycle the panel carries. Start runs only the poll; the write step (Timer1)
// and the read-and-reset step (Timer3) are there for whoever enables Timer1, and Stop ends
// all three.
#include "iobench/Packed_Form.h"

#include "toolkit/Bytes.h"
#include "toolkit/Platform.h"

namespace iobench {

using namespace toolkit;

namespace {
constexpr const char* kStartCaption = "&Start Test";
constexpr const char* kStopCaption = "&Stop Test";
constexpr const char* kPassStatus = "FF00FF03";
constexpr const char* kPassConfigMask = "00000001";
constexpr int kAttemptLimit = 999;
} // namespace

void Packed_Form::cmdStart_Click()
{
    if (cmdStart.caption() == kStartCaption) {
        cmdStart.setCaption(kStopCaption);
        Timer2.setEnabled(true);
    } else {
        cmdStart.setCaption(kStartCaption);
        Timer1.setEnabled(false);
        Timer2.setEnabled(false);
        Timer3.setEnabled(false);
    }
}

void Packed_Form::Timer2_Timer()
{
    OriginScope scope(*this, Origin::Timer);
    if (readStatus(true))
        lastTimerWarning_.clear();
}

void Packed_Form::iostatus_textbox_Change()
{
    const std::string& status = iostatus_textbox.text();
    if (configmask_textbox.text() == kPassConfigMask && status == kPassStatus) {
        ++pass_count;
        txtPassed.setText(decimal(pass_count));
        platform().beep();
    }
    Text2.setBackColor(right(status, 2) == "02" ? colors::red : colors::white);
    send(status + "\r");
}

void Packed_Form::Timer1_Timer()
{
    OriginScope scope(*this, Origin::Timer);
    platform().beep();
    // The write step writes the configuration mask's reading as the outputs.
    if (!writeOutputs(configmask_textbox))
        return;
    lastTimerWarning_.clear();
    Text1.setBackColor(colors::red);
    ++attempt_count;
    if (attempt_count > kAttemptLimit)
        cmdStart_Click();
    txtAtemps.setText(decimal(attempt_count));
    // Also after a stop at the limit, so one last read-and-reset follows it.
    Timer3.setEnabled(true);
}

void Packed_Form::Timer3_Timer()
{
    OriginScope scope(*this, Origin::Timer);
    if (readStatus(false)) {
        if (const auto bus = reading(busnumber_textbox, ReadingKind::Dec16)) {
            bus_number = *bus;
            output_value = 0;
            made(driver_.Kestrel_Direct_Packed_Update(adapter_handle, bus_number, 0));
        }
    }
    Text1.setBackColor(colors::white);
    Timer3.setEnabled(false);
}

} // namespace iobench
