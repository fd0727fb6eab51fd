#pragma once
#include "toolkit/Platform.h"

#include <QString>

namespace toolkit {

// The platform services of the real programs: Qt's event loop, timers, message boxes and
// file dialog. `programTitle` titles message boxes that have no title of their own.
class QtPlatform : public Platform {
public:
    explicit QtPlatform(std::string programTitle);
    double timeOfDay() override;
    std::unique_ptr<TimerBackend> createTimer() override;
    void doEvents() override;
    MsgResult messageBox(std::string_view text, MsgButtons buttons, MsgIcon icon, std::string_view title) override;
    bool openFileDialog(const std::string& title, const std::string& filter, std::string& fileName) override;
    void beep() override;
    void endProgram() override;

private:
    std::string title_;
    long long startMsSinceEpoch_;
    double startTimeOfDay_;
};

// Turns "Description|pattern|..." into Qt's "Description (patterns);;..." form, matching the
// patterns in either case.
QString qtFileFilter(const std::string& filter);

} // namespace toolkit
