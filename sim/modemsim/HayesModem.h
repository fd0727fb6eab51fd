#pragma once
// The modem itself: command mode with echo, result codes and S-registers, the incoming call
// (ringing, answering by ATA or after S0 rings), data mode with the "+++" escape, and hang-up
// from either end. It does no I/O: bytes go in through the calls below, and what the modem
// sends waits in two outboxes that the I/O loop empties. Time comes in as `now`.
#include "sim/modemsim/AtCommandParser.h"
#include "sim/modemsim/EscapeDetector.h"
#include "sim/modemsim/ModemClock.h"
#include "sim/modemsim/SRegisters.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace modemsim {

enum class CallState {
    Idle,          // command mode, no call
    Ringing,       // command mode, a caller is waiting to be answered
    Online,        // data mode: bytes pass between bench and caller
    OnlineCommand, // command mode after "+++", the call still held
};

const char* callStateName(CallState state);

struct ModemSettings {
    Duration ringInterval = std::chrono::seconds(2);
    unsigned speed = 9600; // reported in CONNECT
};

class HayesModem {
public:
    // Longest command line kept; a longer one answers ERROR.
    static constexpr std::size_t kMaxCommandLine = 255;
    // What ATI answers before its OK.
    static constexpr const char* kIdentification = "modemsim Hayes-compatible modem (Hoistwise kit simulator)";
    // The highest ATX result set; X0 reports a plain CONNECT, X1 and up add the speed.
    static constexpr unsigned kMaxResultSet = 4;

    explicit HayesModem(ModemSettings settings = {});

    // Bytes the bench sent: commands in command mode, the caller's data in data mode.
    void benchBytes(std::string_view bytes, TimePoint now);

    // A caller dials in. Returns false, changing nothing, while a call is already there: the
    // caller is then to be turned away.
    bool callerArrived(TimePoint now);
    // Bytes from the caller; only taken while `passesCallerData()`, dropped otherwise.
    void callerBytes(std::string_view bytes, TimePoint now);
    // The caller went away.
    void callerHungUp(TimePoint now);

    // Lets time act: rings, auto-answer and the silence that completes an escape.
    void tick(TimePoint now);
    // The next time `tick` has something to do, if any.
    std::optional<TimePoint> nextDeadline() const;

    // What the modem has to send since the last take.
    std::string takeBenchOutput();
    std::string takeCallerOutput();
    // True once after the modem ended the call itself (ATH, ATZ): the caller's line is to close.
    bool takeHangUpRequest();

    CallState state() const { return state_; }
    bool busy() const { return state_ != CallState::Idle; }
    bool passesCallerData() const { return state_ == CallState::Online; }
    // The DSR line as the modem would drive it: always on (&S0) or on during a call (&S1).
    bool dsr() const;
    bool echo() const { return echo_; }
    bool verbose() const { return verbose_; }
    unsigned reg(unsigned n) const { return regs_.get(n); }

private:
    // Numbered as the numeric result codes of ATV0.
    enum class ResultCode { Ok = 0, Connect = 1, Ring = 2, NoCarrier = 3, Error = 4 };
    enum class Outcome { Continue, Failed, Finished };

    void commandByte(unsigned char byte, TimePoint now);
    void executeLine(TimePoint now);
    Outcome apply(const AtCommand& command, TimePoint now);
    Outcome setSwitch(bool& on, unsigned value);
    void result(ResultCode code);
    void info(const std::string& text);
    void ring(TimePoint now);
    void connect(TimePoint now);
    void endCall();
    void endHeldCall();
    void resetSettings();
    Duration guardTime() const;

    ModemSettings settings_;
    SRegisters regs_;
    unsigned selectedRegister_ = 0;
    bool echo_ = true;
    bool quiet_ = false;
    bool verbose_ = true; // word result codes (V1) or digits (V0)
    unsigned resultSet_ = kMaxResultSet;
    bool dsrAlwaysOn_ = true;

    CallState state_ = CallState::Idle;
    TimePoint nextRing_{};
    EscapeDetector escape_;

    std::string line_;
    bool lineOverflow_ = false;

    std::string toBench_;
    std::string toCaller_;
    bool hangUpRequested_ = false;
};

} // namespace modemsim
