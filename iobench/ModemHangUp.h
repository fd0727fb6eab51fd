#pragma once
// Ends a modem call the Hayes way while the line is online: a guard time of silence, the escape
// "+++", another guard time of silence, then the hang-up and the end of auto-answer. Sending
// "ath0" without the escape would only reach the caller as text. The waits run on a timer, so
// the window stays live; while the sequence runs `busy()` is true and the bench must send
// nothing else, or the modem would not take the escape.
#include "toolkit/Timer.h"

#include <functional>
#include <string_view>

namespace iobench {

class ModemHangUp {
public:
    // `send` writes to the modem; `pending` tells how many characters still wait to go out,
    // so the silence is counted from the moment the line really fell quiet.
    ModemHangUp(std::function<void(std::string_view)> send, std::function<int()> pending);

    // Starts the sequence; a sequence already under way goes on unchanged.
    void start();
    // Drops a sequence under way (the call has ended some other way); nothing more is sent.
    void cancel();
    bool busy() const { return step_ != Step::Idle; }
    // The sequence has sent "ath0" and "at&s0=0": the modem's "NO CARRIER" that follows is its
    // answer to them, not a caller hanging up. Until the next start, cancel or forgetEnd.
    bool ended() const { return ended_; }
    void forgetEnd() { ended_ = false; }

    // Longer than the modem's usual guard time of one second (S12 = 50), with a margin for a
    // timer that fires a little early.
    static constexpr int kGuardMs = 1200;
    // How often the output queue is looked at while it drains, and how long it may take: a
    // line that never drains must not leave the bench mute for good.
    static constexpr int kDrainPollMs = 50;
    static constexpr int kDrainLimitMs = 10000;

private:
    enum class Step { Idle, DrainBeforeEscape, GuardBeforeEscape, DrainAfterEscape, GuardAfterEscape };

    void tick();
    void enter(Step step, int intervalMs);

    std::function<void(std::string_view)> send_;
    std::function<int()> pending_;
    toolkit::Timer timer_;
    Step step_ = Step::Idle;
    int drainingMs_ = 0;
    bool ended_ = false;
};

} // namespace iobench
