#include "iobench/ModemHangUp.h"

#include "iobench/RemoteCommands.h"

namespace iobench {

ModemHangUp::ModemHangUp(std::function<void(std::string_view)> send, std::function<int()> pending)
    : send_(std::move(send)), pending_(std::move(pending)), timer_("hangUpTimer")
{
    timer_.onTimer = [this] { tick(); };
}

void ModemHangUp::start()
{
    if (busy())
        return;
    ended_ = false;
    enter(Step::DrainBeforeEscape, kDrainPollMs);
}

void ModemHangUp::cancel()
{
    ended_ = false;
    enter(Step::Idle, 0);
}

void ModemHangUp::enter(Step step, int intervalMs)
{
    step_ = step;
    drainingMs_ = 0;
    // Off and on again, so every step counts its own interval from now.
    timer_.setEnabled(false);
    if (step == Step::Idle)
        return;
    timer_.setInterval(intervalMs);
    timer_.setEnabled(true);
}

void ModemHangUp::tick()
{
    switch (step_) {
    case Step::Idle:
        timer_.setEnabled(false);
        break;
    case Step::DrainBeforeEscape:
    case Step::DrainAfterEscape:
        // The guard time starts once the last character has left (or the wait is given up).
        drainingMs_ += kDrainPollMs;
        if (pending_() <= 0 || drainingMs_ >= kDrainLimitMs)
            enter(step_ == Step::DrainBeforeEscape ? Step::GuardBeforeEscape : Step::GuardAfterEscape, kGuardMs);
        break;
    case Step::GuardBeforeEscape:
        send_(remote::kEscape);
        enter(Step::DrainAfterEscape, kDrainPollMs);
        break;
    case Step::GuardAfterEscape:
        enter(Step::Idle, 0);
        ended_ = true;
        send_(remote::kHangUp);
        send_(remote::kNoAutoAnswer);
        break;
    }
}

} // namespace iobench
