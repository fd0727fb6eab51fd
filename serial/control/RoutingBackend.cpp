#include "serial/control/RoutingBackend.h"

#include "serial/network/NetworkBackend.h"
#include "serial/NetworkEndpoint.h"
#include "serial/device/QtSerialBackend.h"

namespace serial::control {

RoutingBackend::RoutingBackend()
    : local_(std::make_unique<device::QtSerialBackend>())
    , active_(local_.get())
{
    forward(*local_);
}

RoutingBackend::~RoutingBackend() = default;

// The inner backends report through this one's callbacks, read at the time of each report.
void RoutingBackend::forward(SerialBackend& inner)
{
    inner.onReadyRead = [this] { if (onReadyRead) onReadyRead(); };
    inner.onLineEvent = [this](int code) { if (onLineEvent) onLineEvent(code); };
    inner.onDeviceLost = [this](const std::string& text) { if (onDeviceLost) onDeviceLost(text); };
    inner.onDeviceBack = [this] { if (onDeviceBack) onDeviceBack(); };
    inner.onOpenFailed = [this](const std::string& text) { if (onOpenFailed) onOpenFailed(text); };
    inner.onSettingsInForce = [this](const SerialSettings& s) { if (onSettingsInForce) onSettingsInForce(s); };
    inner.onNotice = [this](const std::string& text) { if (onNotice) onNotice(text); };
}

CommError RoutingBackend::open(const std::string& device, const SerialSettings& settings)
{
    SerialBackend* wanted = local_.get();
    if (NetworkEndpoint::isNetworkName(device)) {
        if (!network_) {
            network_ = std::make_unique<network::NetworkBackend>();
            forward(*network_);
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
