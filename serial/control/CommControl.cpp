#include "serial/control/CommControl.h"

#include "serial/OutsideText.h"
#include "serial/PortMap.h"
#include "serial/control/RoutingBackend.h"
#include "serial/capture/SessionCapture.h"
#include "serial/SettingsInForce.h"

#include <algorithm>
#include <utility>

namespace serial::control {

namespace {
constexpr int portLost = 0;
constexpr int portBack = -1;
constexpr int portNotice = -2;

// A replay stands for the device its session was recorded on, whatever the port map says now.
PortMapping mappingOf(const SerialBackend& backend, int port)
{
    if (const auto device = backend.standsFor())
        return {*device, {}, {}};
    return PortMap::current().lookup(port);
}
}

CommControl::CommControl(std::unique_ptr<SerialBackend> backend)
    : backend_(backend ? std::move(backend) : std::make_unique<RoutingBackend>())
{
    backend_->setEvents({
        .readyRead = [this] { post(comEvReceive); },
        .lineEvent = [this](int code) {
            if (capture_)
                capture_->lineEvent(code);
            post(code);
        },
        .deviceLost = [this](const std::string& systemText) {
            if (capture_)
                capture_->lost(systemText);
            lostOpen_ = true;
            failureTold_.clear();
            backend_->watchForReturn(openDevice_);
            if (auto changed = onOpenChanged)
                changed();
            post(portLost, describe(systemText + ". The device was disconnected and the port has been closed.",
                                    printable(openDevice_)));
        },
        .deviceBack = [this] { reopenReturnedDevice(); },
        // A network port that could not be reached is told like a port that failed to open; the
        // port is closed, and watched for if the window asked for that.
        .openFailed = [this](const std::string& text) {
            connecting_ = false;
            sentWhileConnecting_.clear();
            failed(openDevice_, text);
            if (waitForPort_)
                waitFor(openDevice_);
            if (auto changed = onOpenChanged)
                changed();
            post(portLost, describe(text, openDevice_));
        },
        .connected = [this] {
            if (!std::exchange(connecting_, false))
                return;
            connected();
            if (auto changed = onOpenChanged)
                changed();
        },
        .tryFailed = [this](const std::string& text) { failed(openDevice_, text); },
        .settingsInForce = [this](const SerialSettings& inForce) {
            const std::string notice = settingsInForceNotice(portLabel(), settings_, inForce);
            settings_ = inForce;
            if (!notice.empty()) {
                settingsChangeTold_ = true;
                post(portNotice, notice);
            } else {
                confirmSettings(inForce);
            }
        },
        .notice = [this](const std::string& text) { post(portNotice, describe(text, openDevice_)); },
    });
}

CommControl::~CommControl()
{
    *alive_ = false;
    backend_->setEvents({});
    backend_->stopWatching();
    if (capture_ && backend_->isOpen() && !connecting_)
        capture_->closed();
    backend_->close();
}

std::string CommControl::deviceName() const
{
    return PortMap::current().lookup(port_).device;
}

std::string CommControl::portLabel() const
{
    return portName(port_) + " (" + printable(backend_->isOpen() ? openDevice_ : mappingOf(*backend_, port_).device) + ")";
}

// "COM1 (/dev/ttyS0) is in use ..." or "COM1 (/dev/ttyS0): No such file or directory".
std::string CommControl::describe(const std::string& what, const std::string& device) const
{
    const std::string label = device.empty() ? portLabel() : portName(port_) + " (" + device + ")";
    const bool phrase = what.rfind("is ", 0) == 0 || what.rfind("cannot ", 0) == 0;
    return label + (phrase ? " " : ": ") + what;
}

CommError CommControl::setCommPort(int n)
{
    if (n < 1)
        return {errInvalidValue, "Port number " + std::to_string(n) + " is not valid: port numbers start at 1"};
    if (n == port_)
        return {};
    if (backend_->isOpen())
        return {errPortAlreadyOpen, describe("is open: close the port before choosing another port number")};
    backend_->stopWatching();   // a device lost on the old port number is no longer wanted
    port_ = n;
    return {};
}

CommError CommControl::setSettings(std::string_view s)
{
    SerialSettings parsed;
    if (CommError error = SerialSettings::parse(s, parsed))
        return error;
    if (CommError error = backend_->check(parsed))
        return {error.number, describe(error.text + "; \"" + settings_.text() + "\" stays in force")};
    if (backend_->isOpen()) {
        if (CommError error = backend_->apply(parsed))
            return {error.number, describe(error.text + "; \"" + settings_.text() + "\" stays in force")};
    }
    // The settings the window starts with are no change to confirm; later ones are, open or not.
    if (parsed != settings_ && (backend_->isOpen() || !openDevice_.empty()))
        settingsChangeTold_ = false;
    settings_ = parsed;
    if (backend_->isOpen() && !connecting_) {
        readBackSettings();
        if (capture_)
            capture_->settingsChanged(settings_.text());
    }
    return {};
}

// A network port's far end answers a change itself (settingsInForce); a local device is read
// back, or taken at its word when it cannot say.
void CommControl::readBackSettings()
{
    if (backend_->answersSettings())
        return;
    const std::optional<SerialSettings> inForce = backend_->settingsInForce();
    const std::string text = inForce ? settingsInForceNotice(portLabel(), settings_, *inForce) : std::string();
    if (text != settingsInForceTold_) {
        settingsInForceTold_ = text;
        if (!text.empty()) {
            settingsChangeTold_ = true;
            post(portNotice, text);
            return;
        }
    }
    confirmSettings(inForce.value_or(settings_));
}

void CommControl::confirmSettings(const SerialSettings& inForce)
{
    if (std::exchange(settingsChangeTold_, true))
        return;
    post(portNotice, portName(port_) + " runs at " + inForce.text());
}

bool CommControl::portOpen() const
{
    return backend_->isOpen();
}

CommError CommControl::setPortOpen(bool open)
{
    if (!open)
        backend_->stopWatching();
    if (open == backend_->isOpen())
        return {};
    if (!open) {
        backend_->close();
        // A connection never made was no session: nothing to close in the capture.
        if (capture_ && !connecting_)
            capture_->closed();
        connecting_ = false;
        lostOpen_ = false;
        sentWhileConnecting_.clear();
        // Line events belong to the session just ended; received data and a loss report stay.
        std::erase_if(pending_, [](const Pending& p) { return p.code != comEvReceive && p.code != portLost; });
        return {};
    }
    const PortMapping mapping = mappingOf(*backend_, port_);
    // Where the device came from tells the technician which setting to mend.
    const std::string named = printable(mapping.device) + (mapping.origin.empty() ? "" : ", from " + mapping.origin);
    if (!mapping.refusal.empty()) {
        failed(mapping.device, mapping.refusal);
        return {errDeviceFailure, describe(mapping.refusal, named)};
    }
    openDevice_ = mapping.device;
    if (CommError error = backend_->open(mapping.device, settings_)) {
        failed(mapping.device, error.text);
        // Only a device that is not there yet may come by itself; one in use or refusing stays so.
        if (waitForPort_ && error.number == errNoSuchPort)
            waitFor(mapping.device);
        return {error.number, describe(error.text, named)};
    }
    backend_->stopWatching();
    connecting_ = backend_->connecting();
    if (!connecting_)
        connected();
    return {};
}

void CommControl::connected()
{
    lostOpen_ = false;
    readBackSettings();
    if (capture_) {
        capture_->opened(portName(port_), openDevice_, settings_.text());
        capture_->sent(sentWhileConnecting_);
    }
    sentWhileConnecting_.clear();
}

void CommControl::failed(const std::string& device, const std::string& why)
{
    // A wait records a reason once, and again only when it changes.
    if (backend_->watching() && why == failureTold_)
        return;
    failureTold_ = why;
    if (capture_)
        capture_->failed(portName(port_), device, settings_.text(), why);
}

void CommControl::waitFor(const std::string& device)
{
    openDevice_ = device;
    backend_->watchForReturn(device);
}

std::string CommControl::waitingText() const
{
    if (!backend_->watching())
        return {};
    const int ms = backend_->nextTryMs();
    const std::string when = ms == 0 ? "trying now" : "next try in " + std::to_string(std::max(1, (ms + 999) / 1000)) + " s";
    return portName(port_) + ": waiting for " + printable(openDevice_) + " (" + when + ")";
}

// Quietly leaves the port closed (and the watch on) when the device that came back cannot be
// opened: not a terminal, still in use, or refusing the settings; the capture keeps why.
void CommControl::reopenReturnedDevice()
{
    if (backend_->isOpen())
        return;
    if (const CommError error = backend_->open(openDevice_, settings_)) {
        failed(openDevice_, error.text);
        return;
    }
    backend_->stopWatching();
    if (auto changed = onOpenChanged)
        changed();
    const std::string port = portName(port_);
    if (!std::exchange(lostOpen_, false)) {
        connected();
        post(portBack, port + " connected");
        return;
    }
    readBackSettings();
    if (capture_)
        capture_->reconnected(port + " " + openDevice_);
    post(portBack, port + " reconnected");
}

CommError CommControl::output(std::string_view bytes)
{
    if (!backend_->isOpen())
        return {errPortNotOpen, describe("is not open: nothing was sent")};
    if (CommError error = backend_->write(bytes))
        return {error.number, describe(error.text)};
    // Bytes waiting for a connection count as sent only once it is made.
    if (connecting_)
        sentWhileConnecting_ += bytes;
    else if (capture_)
        capture_->sent(bytes);
    return {};
}

std::string CommControl::input()
{
    std::string bytes = backend_->readAll();
    if (capture_)
        capture_->received(bytes, backend_->lastArrival());
    return bytes;
}

void CommControl::setInBufferSize(int size)
{
    if (size > 0)
        inBufferSize_ = size;
}

void CommControl::setOutBufferSize(int size)
{
    if (size > 0)
        outBufferSize_ = size;
}

int CommControl::inBufferCount() const
{
    return backend_->bytesAvailable();
}

int CommControl::outBufferCount() const
{
    return backend_->isOpen() ? backend_->bytesWaitingToSend() : 0;
}

void CommControl::post(int code, std::string text)
{
    // A kind of event already waiting is not queued twice: one report covers both.
    const bool waiting = code != portLost && code != portBack && code != portNotice
        && std::any_of(pending_.begin(), pending_.end(), [code](const Pending& p) { return p.code == code; });
    if (!waiting)
        pending_.push_back({code, std::move(text)});
    deliver();
}

void CommControl::deliver()
{
    if (delivering_)
        return;
    delivering_ = true;
    const std::weak_ptr<bool> alive = alive_;
    try {
        while (!pending_.empty()) {
            Pending next = std::move(pending_.front());
            pending_.pop_front();
            if (next.code == portLost) {
                if (auto handler = onPortLost)
                    handler(next.text);
            } else if (next.code == portBack) {
                if (auto handler = onPortReconnected)
                    handler(next.text);
            } else if (next.code == portNotice) {
                if (auto handler = onNotice)
                    handler(next.text);
            } else {
                // The receive event is only worth raising while something is still waiting.
                if (next.code == comEvReceive && backend_->bytesAvailable() == 0)
                    continue;
                commEvent_ = next.code;
                if (auto handler = onComm)
                    handler();
            }
            if (alive.expired())
                return;   // a handler destroyed the control
        }
    } catch (...) {
        if (!alive.expired())
            delivering_ = false;
        throw;
    }
    delivering_ = false;
}

void CommControl::record(const capture::CaptureSettings& settings)
{
    capture_.reset();
    if (!settings.enabled)
        return;
    capture_ = std::make_unique<capture::SessionCapture>(settings);
    capture_->onStopped = [this](const std::string& text) {
        if (auto handler = onCaptureStopped)
            handler(text);
    };
    if (backend_->isOpen() && !connecting_)
        capture_->opened(portName(port_), openDevice_, settings_.text());
}

} // namespace serial::control
