#pragma once
// A deterministic platform for tests: a virtual clock whose timers fire in order as a test
// advances it, scripted answers to message boxes and file dialogs, and a record of what the
// program showed, beeped and asked.
#include "toolkit/Platform.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace toolkit {

class TestPlatform : public Platform {
public:
    struct Box {
        std::string text;
        MsgButtons buttons;
        MsgIcon icon;
        std::string title;
    };
    struct FileRequest {
        std::string title;
        std::string filter;
    };

    TestPlatform();
    ~TestPlatform() override;

    // Moves the virtual clock forward, firing every due timer in time order (timers due at
    // the same moment fire in the order they were started).
    void advance(int ms);
    double nowMs() const { return nowMs_; }

    // Answers for the next message boxes, in order; without one a box answers its first button.
    void answer(MsgResult r) { answers_.push_back(r); }
    // Answers for the next file dialogs; std::nullopt cancels.
    void chooseFile(std::optional<std::string> path) { files_.push_back(std::move(path)); }
    // Runs on every doEvents, after the clock moved; lets a test play the outside world.
    std::function<void()> onDoEvents;
    // How far doEvents moves the clock.
    int doEventsStepMs = 10;

    std::vector<Box> boxes;
    // What settleNotice said, in order.
    std::vector<std::string> settled;
    void settleNotice(const std::string&, std::string_view text) override { settled.emplace_back(text); }
    std::vector<FileRequest> fileRequests;
    int beeps = 0;
    bool ended = false;
    long doEventsCalls = 0;
    // Each message box runs this before answering (for tests that act while a box is up).
    std::function<void(const Box&)> onMessageBox;

    double timeOfDay() override { return startOfDaySeconds + nowMs_ / 1000.0; }
    std::unique_ptr<TimerBackend> createTimer() override;
    void doEvents() override;
    MsgResult messageBox(std::string_view text, MsgButtons buttons, MsgIcon icon, std::string_view title) override;
    bool openFileDialog(const std::string& title, const std::string& filter, std::string& fileName) override;
    void beep() override { ++beeps; }
    void endProgram() override { ended = true; }

    double startOfDaySeconds = 10 * 3600.0;

private:
    class VirtualTimer;
    friend class VirtualTimer;
    void fireDue(double until);

    double nowMs_ = 0;
    long long sequence_ = 0;
    std::vector<VirtualTimer*> timers_;
    std::deque<MsgResult> answers_;
    std::deque<std::optional<std::string>> files_;
    Platform* previous_;
};

} // namespace toolkit
