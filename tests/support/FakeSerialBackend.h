#pragma once
// An in-memory device for window tests: the test plays the far end of the line and the driver.
// Everything happens at once, on the calling thread: feeding bytes raises the receive event
// before feed() returns.
#include "serial/SerialBackend.h"

#include <string>
#include <vector>

namespace carterm {

class FakeSerialBackend final : public serial::SerialBackend {
public:
    serial::CommError open(const std::string& device, const serial::SerialSettings& settings) override;
    void close() override;
    bool isOpen() const override { return open_; }
    serial::CommError apply(const serial::SerialSettings& settings) override;
    serial::CommError write(std::string_view bytes) override;
    std::string readAll() override;
    int bytesAvailable() const override { return static_cast<int>(received_.size()); }
    int bytesWaitingToSend() const override { return open_ ? waitingToSend_ : 0; }
    void watchForReturn(const std::string& device) override { watched_ = device; }
    void stopWatching() override { watched_.clear(); }
    bool watching() const override { return !watched_.empty(); }

    // The far end sends `bytes`; ignored while the port is closed, as on a real line.
    void feed(std::string_view bytes);
    // Everything written since the last call, which clears it.
    std::string takeSent();
    const std::string& sent() const { return sent_; }
    // Characters the "driver" reports as not yet sent (outBufferCount while open).
    void setWaitingToSend(int count) { waitingToSend_ = count; }
    // Raises any event or error code as the driver would (3..7, 1001.. or anything else).
    void raiseEvent(int code);
    // Every open fails with `error` until called with an empty CommError.
    void failOpen(serial::CommError error) { openError_ = std::move(error); }
    // Every settings change while open fails with `error` until called with an empty CommError.
    void failApply(serial::CommError error) { applyError_ = std::move(error); }
    // The device vanishes: the port closes, then the loss is reported with `systemText`.
    void loseDevice(const std::string& systemText = "Input/output error");
    // The lost device is back at the path being watched (what the one-second look would find);
    // nothing happens when no loss is being watched.
    void plugBack();

    const serial::SerialSettings& appliedSettings() const { return applied_; }
    const std::string& openedDevice() const { return device_; }
    int openCount() const { return openCount_; }

private:
    bool open_ = false;
    std::string device_;
    std::string watched_;
    serial::SerialSettings applied_;
    std::string received_;
    std::string sent_;
    int waitingToSend_ = 0;
    int openCount_ = 0;
    serial::CommError openError_;
    serial::CommError applyError_;
};

} // namespace carterm
