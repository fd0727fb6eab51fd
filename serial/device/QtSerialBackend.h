#pragma once
// Real serial devices through Qt SerialPort, with what Qt leaves out on Linux: the driver's line
// counters, its output queue, settings checked against what the driver really took, a claim on
// the device that holds for root and for pseudo-terminals, and a clean close (never a busy loop)
// when the device vanishes.
#include "serial/device/DeviceWatch.h"
#include "serial/device/PortDevice.h"
#include "serial/SerialBackend.h"

#include <QSerialPort>
#include <QTimer>
#include <functional>
#include <optional>

namespace serial::device {

class QtSerialBackend final : public SerialBackend {
public:
    QtSerialBackend();
    ~QtSerialBackend() override;

    CommError open(const std::string& device, const SerialSettings& settings) override;
    void close() override;
    bool isOpen() const override;
    CommError apply(const SerialSettings& settings) override;
    std::optional<SerialSettings> settingsInForce() const override;
    CommError write(std::string_view bytes) override;
    std::string readAll() override;
    int bytesAvailable() const override;
    int bytesWaitingToSend() const override;
    void watchForReturn(const std::string& device) override;
    void stopWatching() override;
    bool watching() const override;
    int nextTryMs() const override { return watch_.remainingMs(); }

    // How often the driver's line counters are read while the port is open.
    static constexpr int linePollMs = 50;

private:
    void queueReadyRead();
    void checkPortError(QSerialPort::SerialPortError error);
    void queueDeviceLost();
    void postOnce(bool& queued, std::function<void()> fn);
    void pollLineCounters();
    void readQtBuffer(std::string& into);
    std::string setOnPort(const SerialSettings& settings);
    std::string differenceFromDriver(const SerialSettings& wanted) const;

    QSerialPort port_;
    QTimer linePoll_;
    PortDevice device_;
    DeviceWatch watch_;
    std::optional<LineCounters> counters_;
    SerialSettings applied_;
    std::string kept_;   // received before the port closed, still to be read
    bool readyReadQueued_ = false;
    bool lossQueued_ = false;
    int readErrorsInARow_ = 0;
};

} // namespace serial::device
