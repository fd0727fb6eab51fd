#pragma once
// cartrace's window: the timeline of one capture, the car's state at the cursor as the signal
// grid shows it and the raw bytes around it, "Next fault" and "Previous fault", the choice of
// signal lanes, and export as PNG, SVG and CSV. A capture still being written is followed twice
// a second.
#include "cartrace/TraceData.h"

#include <QMainWindow>

class QLabel;
class QPlainTextEdit;
class QTimer;

namespace cartrace {

class TimelineWidget;

class TraceWindow : public QMainWindow {
public:
    explicit TraceWindow(std::unique_ptr<TraceData> data);
    ~TraceWindow() override;

    TimelineWidget& timeline() { return *timeline_; }
    QPlainTextEdit& statePanel() { return *state_; }
    QPlainTextEdit& bytesPanel() { return *bytes_; }
    QString statusText() const;
    const TraceData& data() const { return *data_; }
    void nextFault(int direction);
    // Reads what the capture gained; called by the follow timer.
    void follow();
    // File > Open...: another capture in a window of its own.
    void openAnother();

private:
    void showState();
    void chooseSignals();
    void exportView(const QString& filter, const QString& suffix);
    void exportCsv();

    std::unique_ptr<TraceData> data_;
    TimelineWidget* timeline_;
    QPlainTextEdit* state_;
    QPlainTextEdit* bytes_;
    QLabel* status_;
    QTimer* follow_;
};

// The car's state at `time` as the signal grid lays it out: names and values in four columns.
QString stateText(const TraceData& data, long long time);
// The pieces received (RX) and sent (TX) around `time`, each with its time, in hexadecimal
// beside its characters.
QString bytesText(TraceData& data, long long time);

} // namespace cartrace
