#pragma once
// One watched car: its line through the serial control (recorded by the flight recorder), the
// read-only requests one at a time, and what the replies say. A line that will not open or is
// lost is tried again 1 s to 30 s apart (a local device that vanished is watched for by the
// control itself); a hold closes the line until it is released.
#include "carwatch/CarReading.h"
#include "carwatch/WatchOptions.h"
#include "serial/capture/CaptureSettings.h"
#include "serial/control/CommControl.h"

#include <QElapsedTimer>
#include <QTimer>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace carwatch {

class CarLink {
public:
    CarLink(CarConfig car, int portNumber, serial::capture::CaptureSettings capture, double pollSeconds);
    ~CarLink();

    const CarConfig& car() const { return car_; }
    // "up", "down" or "held".
    std::string link() const;
    const CarReading& reading() const { return reading_; }

    void start();
    void hold();
    void release();
    // Closes the line and its capture.
    void stop();

    // The link or the reading changed.
    std::function<void()> onChanged;
    // New entries in the fault log, oldest first.
    std::function<void(const std::vector<FaultEntry>&)> onFaults;

private:
    void open();
    void retryLater();
    void received();
    void nextCycle();
    void send();
    void answered(bool complete);
    void setUp(bool up);
    int timeoutMs(Request request) const;

    CarConfig car_;
    int port_;
    serial::capture::CaptureSettings capture_;
    int pollMs_;
    serial::control::CommControl control_;
    CarReading reading_;
    bool up_ = false;
    bool held_ = false;
    bool stopped_ = false;
    bool newCapture_ = true;   // the next open starts a capture
    int retryMs_ = 1000;
    int silentCycles_ = 0;
    bool answeredThisCycle_ = false;
    std::deque<Request> queue_;   // the rest of this cycle; front: the request awaiting its answer
    bool awaiting_ = false;
    std::string answer_;
    QElapsedTimer cycleClock_;
    QTimer pollTimer_;
    QTimer replyTimer_;
    QTimer retryTimer_;
    int baud_ = 1200;
};

} // namespace carwatch
