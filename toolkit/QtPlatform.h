#pragma once
#include "toolkit/Platform.h"

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <map>

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
    void showNotice(const std::string& key, std::string_view text) override;
    void settleNotice(const std::string& key, std::string_view text) override;
    bool openFileDialog(const std::string& title, const std::string& filter, std::string& fileName) override;
    void beep() override;
    void endProgram() override;

    // The program is ending because it was sent `signalNumber`: from now on every box is
    // answered without being shown, with the answer that lets the end go on, and endProgram
    // ends the process by that signal, as its parent expects.
    void endOnSignal(int signalNumber);

private:
    struct Notice {
        QPointer<QMessageBox> box;
        int times = 0;
    };
    std::map<std::string, Notice> notices_;
    int endSignal_ = 0;
    std::string title_;
    long long startMsSinceEpoch_;
    double startTimeOfDay_;
};

// Turns "Description|pattern|..." into Qt's "Description (patterns);;..." form, matching the
// patterns in either case.
QString qtFileFilter(const std::string& filter);

} // namespace toolkit
