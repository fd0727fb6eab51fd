#pragma once
// The backend of a control on real ports: each open goes to a local device through Qt
// SerialPort, or to a serial server through gensio, as the mapped name says.
#include "serial/SerialBackend.h"

#include <memory>

namespace serial::control {

class RoutingBackend final : public SerialBackend {
public:
    RoutingBackend();
    ~RoutingBackend() override;

    CommError open(const std::string& device, const SerialSettings& settings) override;
    void close() override { active_->close(); }
    bool isOpen() const override { return active_->isOpen(); }
    CommError apply(const SerialSettings& settings) override { return active_->apply(settings); }
    CommError write(std::string_view bytes) override { return active_->write(bytes); }
    std::string readAll() override { return active_->readAll(); }
    std::chrono::steady_clock::time_point lastArrival() const override { return active_->lastArrival(); }
    int bytesAvailable() const override { return active_->bytesAvailable(); }
    int bytesWaitingToSend() const override { return active_->bytesWaitingToSend(); }
    CommError check(const SerialSettings& settings) const override { return active_->check(settings); }
    std::optional<SerialSettings> settingsInForce() const override { return active_->settingsInForce(); }
    void watchForReturn(const std::string& device) override { active_->watchForReturn(device); }
    void stopWatching() override;
    bool watching() const override { return active_->watching(); }
    int nextTryMs() const override { return active_->nextTryMs(); }
    bool connecting() const override { return active_->connecting(); }
    bool answersSettings() const override { return active_->answersSettings(); }
    // The inner backends report straight to the owner: they get the same events.
    void setEvents(Events events) override;

private:

    std::unique_ptr<SerialBackend> local_;
    std::unique_ptr<SerialBackend> network_;   // made for the first network port
    SerialBackend* active_;
};

} // namespace serial::control
