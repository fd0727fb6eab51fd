#include "serial/control/RoutingBackend.h"

#include "serial/network/NetworkBackend.h"
#include "serial/NetworkEndpoint.h"
#include "serial/device/QtSerialBackend.h"

namespace serial::control {

RoutingBackend::RoutingBackend()
    : local_(std::make_unique<device::QtSerialBackend>())
    , active_(local_.get())
{
}

RoutingBackend::~RoutingBackend() = default;

void RoutingBackend::setEvents(Events events)
{
    local_->setEvents(events);
    if (network_)
        network_->setEvents(events);
    SerialBackend::setEvents(std::move(events));
}

CommError RoutingBackend::open(const std::string& device, const SerialSettings& settings)
{
    SerialBackend* wanted = local_.get();
    if (NetworkEndpoint::isNetworkName(device)) {
        if (!network_) {
            network_ = std::make_unique<network::NetworkBackend>();
            network_->setEvents(events());
        }
        wanted = network_.get();
    }
    if (wanted != active_) {
        active_->stopWatching();
        active_->close();
        active_ = wanted;
    }
    return active_->open(device, settings);
}

void RoutingBackend::stopWatching()
{
    local_->stopWatching();
    if (network_)
        network_->stopWatching();
}

} // namespace serial::control
