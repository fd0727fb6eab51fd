#include "toolkit/TestPlatform.h"

#include <algorithm>

namespace toolkit {

class TestPlatform::VirtualTimer : public TimerBackend {
public:
    explicit VirtualTimer(TestPlatform& p) : platform_(p) { platform_.timers_.push_back(this); }
    ~VirtualTimer() override
    {
        auto& t = platform_.timers_;
        t.erase(std::remove(t.begin(), t.end(), this), t.end());
    }
    void start(int intervalMs) override
    {
        interval_ = intervalMs;
        due_ = platform_.nowMs_ + intervalMs;
        order_ = ++platform_.sequence_;
        running_ = true;
    }
    void stop() override { running_ = false; }

    TestPlatform& platform_;
    int interval_ = 0;
    double due_ = 0;
    long long order_ = 0;
    bool running_ = false;
};

TestPlatform::TestPlatform() : previous_(nullptr) { setPlatform(this); }

TestPlatform::~TestPlatform() { setPlatform(nullptr); }

std::unique_ptr<TimerBackend> TestPlatform::createTimer() { return std::make_unique<VirtualTimer>(*this); }

void TestPlatform::fireDue(double until)
{
    for (;;) {
        VirtualTimer* next = nullptr;
        for (auto* t : timers_)
            if (t->running_ && t->due_ <= until &&
                (!next || t->due_ < next->due_ || (t->due_ == next->due_ && t->order_ < next->order_)))
                next = t;
        if (!next)
            break;
        nowMs_ = std::max(nowMs_, next->due_);
        next->due_ += next->interval_;
        next->order_ = ++sequence_;
        if (next->onTick)
            next->onTick();
    }
    nowMs_ = std::max(nowMs_, until);
}

void TestPlatform::advance(int ms) { fireDue(nowMs_ + ms); }

void TestPlatform::doEvents()
{
    ++doEventsCalls;
    advance(doEventsStepMs);
    if (onDoEvents)
        onDoEvents();
}

MsgResult TestPlatform::messageBox(std::string_view text, MsgButtons buttons, MsgIcon icon, std::string_view title)
{
    boxes.push_back({std::string(text), buttons, icon, std::string(title)});
    if (onMessageBox)
        onMessageBox(boxes.back());
    if (!answers_.empty()) {
        const MsgResult r = answers_.front();
        answers_.pop_front();
        return r;
    }
    switch (buttons) {
    case MsgButtons::OK:
    case MsgButtons::OKCancel: return MsgResult::OK;
    case MsgButtons::AbortRetryIgnore: return MsgResult::Abort;
    case MsgButtons::YesNoCancel:
    case MsgButtons::YesNo: return MsgResult::Yes;
    case MsgButtons::RetryCancel: return MsgResult::Retry;
    }
    return MsgResult::OK;
}

bool TestPlatform::openFileDialog(const std::string& title, const std::string& filter, std::string& fileName)
{
    fileRequests.push_back({title, filter});
    if (files_.empty() || !files_.front()) {
        if (!files_.empty())
            files_.pop_front();
        return false;
    }
    fileName = *files_.front();
    files_.pop_front();
    return true;
}

} // namespace toolkit
