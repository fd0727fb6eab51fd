#pragma once
// The car window kept in step with a replay: its timers run on the recording's clock (the display
// timer fires 250 ms of the recording after the reply that enabled it, however fast the replay
// goes), so the window at a moment depends only on the capture, and the replay can keep it at a
// moment and put it back there. While a seek catches up, boxes are answered unseen.
#include "serial/capture/ReplayBackend.h"

#include <memory>
#include <vector>

namespace toolkit {
class Platform;
class Timer;
}

namespace carterm {

class Form1;

class ReplayClock final : public serial::capture::ReplayFollower {
public:
    ReplayClock(Form1& window, serial::capture::ReplayBackend& replay);
    ~ReplayClock() override;

    void clockAt(long long time) override;
    std::optional<long long> nextDue() const override;
    std::shared_ptr<const void> keep() override;
    void putBack(const std::shared_ptr<const void>& kept) override;
    void passing(bool on) override;

    struct Core;

private:
    std::shared_ptr<Core> core_;
    Form1& window_;
    serial::capture::ReplayBackend& replay_;
    std::vector<toolkit::Timer*> timers_;
    std::unique_ptr<toolkit::Platform> unseen_;
    toolkit::Platform* shown_ = nullptr;
    int passing_ = 0;
};

} // namespace carterm
