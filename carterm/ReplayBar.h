#pragma once
// The small bar that drives a replay: play and pause, the speed (1x, 4x, 16x, as fast as
// possible), the position with elapsed and total time, and "Next fault", which moves to the
// next new entry in the controller's fault log (found by the car window's own reply parser).
#include "carterm/reply/FaultIndex.h"
#include "launch/ProgramEntry.h"

#include <QWidget>

#include <memory>
#include <string>

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

namespace serial::capture {
struct CaptureSettings;
class ReplayBackend;
}

namespace carterm {

class Form1;
class ReplayClock;

class ReplayBar : public QWidget {
public:
    explicit ReplayBar(serial::capture::ReplayBackend& replay, QWidget* parent = nullptr);
    ~ReplayBar() override;

    // Plays into `window`: its timers go on the recording's clock, so a seek shows what the
    // live window showed then; what the bar has to tell goes to its status line.
    void drive(Form1& window);
    // Keeps the bar just below `car` (the car window), shown whenever it is. The playback waits
    // for the car window to show.
    void stayBelow(QWidget* car);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();
    void nextFault();
    // Shows where the playback stands; the replay calls it whenever that changes.
    void refresh();
    void tell(const std::string& text);
    QWidget* car_ = nullptr;
    Form1* window_ = nullptr;
    std::unique_ptr<ReplayClock> clock_;
    bool waitingForCar_ = false;
    serial::capture::ReplayBackend& replay_;
    reply::FaultIndex faults_;
    QPushButton* play_;
    QComboBox* speed_;
    QSlider* slider_;
    QLabel* time_;
    QPushButton* nextFault_;
};

// The car terminals' "--replay CAPTURE".
launch::Option replayOption();
// Takes --replay from the command line into `capture`: a capture that cannot be read is named
// on standard error (status 2). -1 goes on.
int takeReplayOption(const launch::CommandLine& line, const std::string& program, std::string& capture);
// The backend that plays `capture` in place of a port, for --replay; none for a live session.
std::unique_ptr<serial::capture::ReplayBackend> replayBackend(const std::string& capture);
// Puts the car window on the replay: the status line says what is sent goes nowhere, the bar is
// shown beside it and nothing is recorded. Without a replay (a live session) the port records as
// `live` says and there is no bar.
std::unique_ptr<ReplayBar> startReplay(Form1& window, serial::capture::ReplayBackend* replay,
                                       const serial::capture::CaptureSettings& live);

} // namespace carterm
