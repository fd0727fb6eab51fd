#pragma once
// The small bar that drives a replay: play and pause, the speed (1x, 4x, 16x, as fast as
// possible), the position with elapsed and total time, and "Next fault", which moves to the
// next new entry in the controller's fault log (found by the car window's own reply parser).
#include "launch/ProgramEntry.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;

namespace serial::capture {
class ReplayBackend;
}

namespace carterm {

class Form1;

class ReplayBar : public QWidget {
public:
    explicit ReplayBar(serial::capture::ReplayBackend& replay, QWidget* parent = nullptr);
    ~ReplayBar() override;

    // Times of the faults "Next fault" steps through.
    const std::vector<long long>& faultTimes() const { return faults_; }
    void nextFault();
    void refresh();

    QPushButton* playButton() const { return play_; }
    QComboBox* speedBox() const { return speed_; }
    QSlider* slider() const { return slider_; }
    QLabel* timeLabel() const { return time_; }

    // Keeps the bar just below `car` (the car window), shown whenever it is.
    void stayBelow(QWidget* car);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();
    QWidget* car_ = nullptr;
    serial::capture::ReplayBackend& replay_;
    std::vector<long long> faults_;
    QPushButton* play_;
    QComboBox* speed_;
    QSlider* slider_;
    QLabel* time_;
    QPushButton* nextFault_;
    QTimer* tick_;
};

// The car terminals' "--replay CAPTURE".
launch::Option replayOption();
// Takes --replay from the command line into `capture`: a capture that cannot be read is named
// on standard error (status 2); a replay records nothing. -1 goes on.
int takeReplayOption(const launch::CommandLine& line, const std::string& program, std::string& capture);
// The backend that plays `capture` in place of a port, for --replay; none for a live session.
std::unique_ptr<serial::capture::ReplayBackend> replayBackend(const std::string& capture);
// Puts the car window on the replay: the status line says what is sent goes nowhere, and the
// bar is shown beside it. Without a replay (a live session) there is no bar.
std::unique_ptr<ReplayBar> startReplay(Form1& window, serial::capture::ReplayBackend* replay);

// "1:02:03" or "2:03": a replay position for the bar.
QString replayClock(long long micros);

} // namespace carterm
