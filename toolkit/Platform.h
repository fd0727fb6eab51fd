#pragma once
// Platform services every window reaches through one interface, so that each handler runs
// unchanged against Qt in the real programs and against a deterministic harness in tests.
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace toolkit {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { OK, OKCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class MsgResult { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// The open-file dialog reports a cancel by the operator as this error number.
constexpr int kDialogCancelled = 32755;

// A periodic timer as the platform provides it; toolkit::Timer adds the control's semantics.
class TimerBackend {
public:
    virtual ~TimerBackend() = default;
    virtual void start(int intervalMs) = 0; // (re)starts the countdown
    virtual void stop() = 0;
    std::function<void()> onTick;
};

class Platform {
public:
    virtual ~Platform() = default;

    // Time of day in seconds (with fractions). Keeps counting past midnight instead of wrapping,
    // so a deadline computed before midnight still passes after it.
    virtual double timeOfDay() = 0;
    virtual std::unique_ptr<TimerBackend> createTimer() = 0;
    // Lets the event loop handle what is pending, waiting briefly for something to arrive when
    // nothing is, so that a loop around it never spins a CPU.
    virtual void doEvents() = 0;
    // Blocks until the operator answers. An empty title means the program's own.
    virtual MsgResult messageBox(std::string_view text, MsgButtons buttons, MsgIcon icon,
                                 std::string_view title) = 0;
    // A warning with an OK button that does not wait for the operator: the handler goes on at
    // once. While the notice of the same `key` is still up, a new one updates it instead of
    // stacking a second box. The base shows an ordinary warning box.
    virtual void showNotice(const std::string& key, std::string_view text);
    // What the notice of `key` warned of is over (a lost port is back): while its box is up it
    // says `text` instead, as information. The base has nothing up to change.
    virtual void settleNotice(const std::string& key, std::string_view text);
    // The open-file form of the file dialog. `filter` is "Description|pattern|Description|pattern".
    // Returns false when the operator cancelled; `fileName` is the chosen path otherwise.
    virtual bool openFileDialog(const std::string& title, const std::string& filter,
                                std::string& fileName) = 0;
    virtual void beep() = 0;
    // Ends the program: every window closes and the process exits. Under the test harness it
    // only records the request, so callers must return after it.
    virtual void endProgram() = 0;
};

Platform& platform();
void setPlatform(Platform* p);

// A warning box with an OK button and no title of its own: how tested errors are shown.
void showWarning(std::string_view text);

} // namespace toolkit
