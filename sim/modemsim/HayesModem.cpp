#include "sim/modemsim/HayesModem.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

namespace modemsim {

const char* callStateName(CallState state)
{
    switch (state) {
    case CallState::Idle: return "idle";
    case CallState::Ringing: return "ringing";
    case CallState::Online: return "online";
    case CallState::OnlineCommand: return "online command mode";
    }
    return "?";
}

HayesModem::HayesModem(ModemSettings settings) : settings_(settings) {}

void HayesModem::benchBytes(std::string_view bytes, TimePoint now)
{
    // Byte by byte: an ATA in the middle of a chunk puts the rest of it in data mode.
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (state_ == CallState::Online) {
            escape_.feed(byte, now, regs_.get(SRegisters::kEscapeChar), guardTime());
            toCaller_ += c;
        } else {
            commandByte(byte, now);
        }
    }
}

void HayesModem::commandByte(unsigned char byte, TimePoint now)
{
    if (echo_)
        toBench_ += static_cast<char>(byte);
    if (byte == regs_.get(SRegisters::kLineEnd)) {
        executeLine(now);
    } else if (byte == regs_.get(SRegisters::kBackspace)) {
        if (!line_.empty())
            line_.pop_back();
    } else if (byte < 0x20) {
        // Other control characters (the LF of a CR LF line end) are not part of a command.
    } else if (line_.size() < kMaxCommandLine) {
        line_ += static_cast<char>(byte);
    } else {
        lineOverflow_ = true;
    }
}

void HayesModem::executeLine(TimePoint now)
{
    std::string line;
    line.swap(line_);
    if (std::exchange(lineOverflow_, false)) {
        result(ResultCode::Error);
        return;
    }

    // Anything before "AT" is ignored, and a line without it is no command at all: Hayes
    // modems stay silent then.
    std::size_t at = std::string::npos;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(line[i])) == 'A'
            && std::toupper(static_cast<unsigned char>(line[i + 1])) == 'T') {
            at = i;
            break;
        }
    }
    if (at == std::string::npos)
        return;

    std::string body = line.substr(at + 2);
    body.erase(std::remove(body.begin(), body.end(), ' '), body.end());

    const ParsedCommandLine parsed = parseCommandBody(body);
    for (const AtCommand& command : parsed.commands) {
        switch (apply(command, now)) {
        case Outcome::Continue: break;
        case Outcome::Failed: result(ResultCode::Error); return;
        case Outcome::Finished: return;
        }
    }
    result(parsed.complete ? ResultCode::Ok : ResultCode::Error);
}

HayesModem::Outcome HayesModem::apply(const AtCommand& command, TimePoint now)
{
    using Kind = AtCommand::Kind;
    const bool callHeld = state_ == CallState::OnlineCommand;

    switch (command.kind) {
    case Kind::Echo: return setSwitch(echo_, command.value);
    case Kind::Quiet: return setSwitch(quiet_, command.value);
    case Kind::Verbose: return setSwitch(verbose_, command.value);
    case Kind::ResultSet:
        if (command.value > kMaxResultSet)
            return Outcome::Failed;
        resultSet_ = command.value;
        return Outcome::Continue;
    case Kind::Identify:
        if (command.value != 0)
            return Outcome::Failed;
        info(kIdentification);
        return Outcome::Continue;
    case Kind::Reset:
        if (command.value != 0)
            return Outcome::Failed;
        endHeldCall();
        resetSettings();
        return Outcome::Continue;
    case Kind::HangUp:
        if (command.value != 0)
            return Outcome::Failed;
        endHeldCall();
        return Outcome::Continue;
    case Kind::Answer:
        if (state_ == CallState::Ringing) {
            connect(now);
            return Outcome::Finished;
        }
        if (state_ == CallState::Idle) {
            result(ResultCode::NoCarrier); // off hook with nobody on the line
            return Outcome::Finished;
        }
        return Outcome::Failed;
    case Kind::Online:
        if (command.value != 0 || !callHeld)
            return Outcome::Failed;
        state_ = CallState::Online;
        escape_.restart(now);
        result(ResultCode::Connect);
        return Outcome::Finished;
    case Kind::SelectRegister:
    case Kind::SetRegister:
    case Kind::ReadRegister: {
        const unsigned reg = command.reg.value_or(selectedRegister_);
        if (!SRegisters::exists(reg))
            return Outcome::Failed;
        selectedRegister_ = reg;
        if (command.kind == Kind::SetRegister) {
            if (command.value > SRegisters::kMaxValue)
                return Outcome::Failed;
            regs_.set(reg, command.value);
        } else if (command.kind == Kind::ReadRegister) {
            char text[8];
            std::snprintf(text, sizeof text, "%03u", regs_.get(reg));
            info(text);
        }
        return Outcome::Continue;
    }
    case Kind::DsrOption:
        if (command.value > 1)
            return Outcome::Failed;
        dsrAlwaysOn_ = command.value == 0;
        return Outcome::Continue;
    }
    return Outcome::Failed;
}

void HayesModem::result(ResultCode code)
{
    if (quiet_)
        return;
    if (!verbose_) {
        // Numeric codes: the digit and the line end alone, no line feed and nothing before it.
        toBench_ += std::to_string(static_cast<int>(code));
        toBench_ += static_cast<char>(regs_.get(SRegisters::kLineEnd));
        return;
    }
    switch (code) {
    case ResultCode::Ok: info("OK"); break;
    case ResultCode::Connect:
        info(resultSet_ == 0 ? std::string("CONNECT") : "CONNECT " + std::to_string(settings_.speed));
        break;
    case ResultCode::Ring: info("RING"); break;
    case ResultCode::NoCarrier: info("NO CARRIER"); break;
    case ResultCode::Error: info("ERROR"); break;
    }
}

void HayesModem::info(const std::string& text)
{
    const char cr = static_cast<char>(regs_.get(SRegisters::kLineEnd));
    const char lf = static_cast<char>(regs_.get(SRegisters::kLineFeed));
    // Word results frame the text with line ends on both sides; with numeric results (V0)
    // information text only ends its line.
    if (verbose_) {
        toBench_ += cr;
        toBench_ += lf;
    }
    toBench_ += text;
    toBench_ += cr;
    toBench_ += lf;
}

bool HayesModem::callerArrived(TimePoint now)
{
    if (busy())
        return false;
    state_ = CallState::Ringing;
    regs_.set(SRegisters::kRingCount, 0);
    ring(now);
    return true;
}

void HayesModem::callerBytes(std::string_view bytes, TimePoint)
{
    if (state_ == CallState::Online)
        toBench_.append(bytes);
}

void HayesModem::callerHungUp(TimePoint)
{
    const bool connected = state_ == CallState::Online || state_ == CallState::OnlineCommand;
    if (state_ == CallState::Idle)
        return;
    endCall();
    // A caller who gives up while it still rings leaves no trace, as on a phone line.
    if (connected)
        result(ResultCode::NoCarrier);
}

void HayesModem::tick(TimePoint now)
{
    if (state_ == CallState::Ringing && now >= nextRing_)
        ring(now);
    if (state_ == CallState::Online && escape_.complete(now, guardTime())) {
        state_ = CallState::OnlineCommand;
        line_.clear();
        result(ResultCode::Ok);
    }
}

std::optional<TimePoint> HayesModem::nextDeadline() const
{
    if (state_ == CallState::Ringing)
        return nextRing_;
    if (state_ == CallState::Online)
        return escape_.deadline(guardTime());
    return std::nullopt;
}

void HayesModem::ring(TimePoint now)
{
    result(ResultCode::Ring);
    const unsigned rings = std::min(regs_.get(SRegisters::kRingCount) + 1, SRegisters::kMaxValue);
    regs_.set(SRegisters::kRingCount, rings);
    nextRing_ = now + settings_.ringInterval;
    const unsigned answerAfter = regs_.get(SRegisters::kAutoAnswerRings);
    if (answerAfter > 0 && rings >= answerAfter)
        connect(now);
}

void HayesModem::connect(TimePoint now)
{
    // A command half typed when the call came through must not prefix the next one.
    line_.clear();
    lineOverflow_ = false;
    state_ = CallState::Online;
    escape_.restart(now);
    result(ResultCode::Connect);
}

void HayesModem::endCall()
{
    state_ = CallState::Idle;
    regs_.set(SRegisters::kRingCount, 0);
}

// E, Q and V take 0 (off) or 1 (on).
HayesModem::Outcome HayesModem::setSwitch(bool& on, unsigned value)
{
    if (value > 1)
        return Outcome::Failed;
    on = value == 1;
    return Outcome::Continue;
}

// ATH and ATZ hang up a call held in online command mode; on hook already while idle or
// ringing, they have nothing to end.
void HayesModem::endHeldCall()
{
    if (state_ != CallState::OnlineCommand)
        return;
    endCall();
    hangUpRequested_ = true;
}

void HayesModem::resetSettings()
{
    regs_.reset();
    selectedRegister_ = 0;
    echo_ = true;
    quiet_ = false;
    verbose_ = true;
    resultSet_ = kMaxResultSet;
    dsrAlwaysOn_ = true;
}

Duration HayesModem::guardTime() const
{
    return std::chrono::milliseconds(20) * regs_.get(SRegisters::kGuardTime);
}

bool HayesModem::dsr() const
{
    return dsrAlwaysOn_ || state_ == CallState::Online || state_ == CallState::OnlineCommand;
}

std::string HayesModem::takeBenchOutput() { return std::exchange(toBench_, {}); }
std::string HayesModem::takeCallerOutput() { return std::exchange(toCaller_, {}); }
bool HayesModem::takeHangUpRequest() { return std::exchange(hangUpRequested_, false); }

} // namespace modemsim
