#include "carterm/ReplayClock.h"

#include "carterm/Form1.h"
#include "toolkit/Platform.h"
#include "toolkit/Timer.h"

#include <algorithm>

namespace carterm {

namespace {

class VirtualTimer;

} // namespace

// The recording's clock and the timers that run on it. Shared with the timers, which may outlive
// the clock (the window's timers stay on it until the window goes).
struct ReplayClock::Core {
    long long now = 0;
    std::vector<VirtualTimer*> timers;   // in the window's order: ties fire in that order
};

namespace {

class VirtualTimer final : public toolkit::TimerBackend {
public:
    explicit VirtualTimer(std::shared_ptr<ReplayClock::Core> core) : core_(std::move(core))
    {
        core_->timers.push_back(this);
    }
    ~VirtualTimer() override { std::erase(core_->timers, this); }
    void start(int intervalMs) override
    {
        interval = intervalMs * 1000LL;
        due = core_->now + interval;
    }
    void stop() override { due.reset(); }

    long long interval = 0;
    std::optional<long long> due;

private:
    std::shared_ptr<ReplayClock::Core> core_;
};

// The platform while a seek catches up: what it plays through is not shown, and a box is
// answered at once the way that lets the window go on.
class UnseenBoxes final : public toolkit::Platform {
public:
    explicit UnseenBoxes(toolkit::Platform& shown) : shown_(shown) {}
    double timeOfDay() override { return shown_.timeOfDay(); }
    std::unique_ptr<toolkit::TimerBackend> createTimer() override { return shown_.createTimer(); }
    void doEvents() override {}
    toolkit::MsgResult messageBox(std::string_view, toolkit::MsgButtons, toolkit::MsgIcon, std::string_view) override
    {
        return toolkit::MsgResult::OK;
    }
    void showNotice(const std::string&, std::string_view) override {}
    bool openFileDialog(const std::string&, const std::string&, std::string&) override { return false; }
    void beep() override {}
    void endProgram() override { shown_.endProgram(); }

private:
    toolkit::Platform& shown_;
};

struct Kept {
    std::shared_ptr<Form1::Moment> window;
    long long now;
    std::vector<std::optional<long long>> dues;
};

} // namespace

ReplayClock::ReplayClock(Form1& window, serial::capture::ReplayBackend& replay)
    : core_(std::make_shared<Core>()), window_(window), replay_(replay), timers_(window.timers())
{
    for (toolkit::Timer* timer : timers_)
        timer->runOn(std::make_unique<VirtualTimer>(core_));
    replay_.follow(this);
}

ReplayClock::~ReplayClock()
{
    replay_.follow(nullptr);
    if (passing_ > 0)
        toolkit::setPlatform(shown_);
}

void ReplayClock::clockAt(long long time)
{
    for (;;) {
        VirtualTimer* first = nullptr;
        for (VirtualTimer* t : core_->timers)
            if (t->due && *t->due <= time && (!first || *t->due < *first->due))
                first = t;
        if (!first)
            break;
        core_->now = *first->due;
        first->due = core_->now + first->interval;   // periodic; the tick may stop or restart it
        if (first->onTick)
            first->onTick();
    }
    core_->now = std::max(core_->now, time);
}

std::optional<long long> ReplayClock::nextDue() const
{
    std::optional<long long> next;
    for (const VirtualTimer* t : core_->timers)
        if (t->due && (!next || *t->due < *next))
            next = t->due;
    return next;
}

std::shared_ptr<const void> ReplayClock::keep()
{
    auto kept = std::make_shared<Kept>();
    kept->window = window_.keepMoment();
    kept->now = core_->now;
    for (const VirtualTimer* t : core_->timers)
        kept->dues.push_back(t->due);
    return kept;
}

void ReplayClock::putBack(const std::shared_ptr<const void>& kept)
{
    const auto& moment = *static_cast<const Kept*>(kept.get());
    core_->now = moment.now;
    window_.putBack(*moment.window);
    // A timer running then runs on as it was; one the operator started since counts from now.
    for (std::size_t i = 0; i < core_->timers.size(); ++i) {
        VirtualTimer* t = core_->timers[i];
        if (t->due)
            t->due = i < moment.dues.size() && moment.dues[i] ? *moment.dues[i] : moment.now + t->interval;
    }
}

void ReplayClock::passing(bool on)
{
    if (on && passing_++ == 0) {
        shown_ = &toolkit::platform();
        unseen_ = std::make_unique<UnseenBoxes>(*shown_);
        toolkit::setPlatform(unseen_.get());
    } else if (!on && passing_ > 0 && --passing_ == 0) {
        toolkit::setPlatform(shown_);
    }
}

} // namespace carterm
