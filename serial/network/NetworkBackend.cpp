#include "serial/network/NetworkBackend.h"

#include "serial/network/GensioLoop.h"
#include "serial/UiThread.h"

#include <algorithm>
#include <climits>

namespace serial::network {

namespace {

int clampToInt(std::size_t n)
{
    return n > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n);
}

constexpr auto serverLetGo = std::chrono::seconds(5);
constexpr int againMs = 250;
// ser2net may take a connection made while it still lets go of the one just closed and never
// answer it: such an attempt is dropped and made again after this long.
constexpr int stalledMs = 1000;

std::string timeoutText(const NetworkEndpoint& endpoint)
{
    return "no answer from " + endpoint.address() + " within " + std::to_string(NetworkBackend::connectTimeoutMs / 1000) + " s";
}

} // namespace

NetworkBackend::NetworkBackend()
{
    connectTimer_.setSingleShot(true);
    connectTimer_.setInterval(connectTimeoutMs);
    QObject::connect(&connectTimer_, &QTimer::timeout, &connectTimer_, [this] { connectTimedOut(); });
    probeTimer_.setSingleShot(true);
    probeTimer_.setInterval(connectTimeoutMs);
    QObject::connect(&probeTimer_, &QTimer::timeout, &probeTimer_, [this] {
        dropProbe();
        retryLater();
    });
    retryTimer_.setSingleShot(true);
    QObject::connect(&retryTimer_, &QTimer::timeout, &retryTimer_, [this] { tryReturn(); });
    stallTimer_.setSingleShot(true);
    stallTimer_.setInterval(stalledMs);
    QObject::connect(&stallTimer_, &QTimer::timeout, &stallTimer_, [this] {
        if (link_ && !linkUp_ && reopenedJustNow())
            connectAgain();
    });
}

bool NetworkBackend::reopenedJustNow() const
{
    return device_ == closedDevice_ && std::chrono::steady_clock::now() - closedAt_ < serverLetGo;
}

// Drops the attempt in flight and makes it again shortly, within the same 10 s.
void NetworkBackend::connectAgain()
{
    keep(*link_);
    link_->close();
    linkId_ = ++nextId_;
    link_ = connect(endpoint_, settings_, linkId_, againMs);
    stallTimer_.start();
}

NetworkBackend::~NetworkBackend()
{
    stopWatching();
    close();
}

std::shared_ptr<NetworkLink> NetworkBackend::connect(const NetworkEndpoint& endpoint, const SerialSettings& settings,
                                                     int id, int delayMs)
{
    NetworkLink::Events events;
    events.established = [this, id] { established(id); };
    events.ended = [this, id](const std::string& why) { ended(id, why); };
    events.received = [this, id] {
        if (id == linkId_ && link_)
            raise(&Events::readyRead);
    };
    events.lineEvent = [this, id](int code) {
        if (id == linkId_ && link_)
            raise(&Events::lineEvent, code);
    };
    events.settingsAnswered = [this, id](const SerialSettings& answered) {
        if (id != linkId_ || !link_)
            return;
        settings_ = answered;
        raise(&Events::settingsInForce, answered);
    };
    return NetworkLink::connect(endpoint, settings, std::move(events), delayMs);
}

CommError NetworkBackend::open(const std::string& device, const SerialSettings& settings)
{
    if (link_)
        return {errPortAlreadyOpen, "is already open"};
    NetworkEndpoint endpoint;
    if (const auto problem = NetworkEndpoint::parse(device, endpoint))
        return {errInvalidValue, *problem};
    if (const std::string& failure = GensioLoop::instance().failure(); !failure.empty())
        return {errDeviceFailure, failure};

    // After a loss, a reconnect attempt that the server has answered is taken over as it is.
    if (probe_ && probeUp_ && device == watchedDevice_) {
        endpoint_ = endpoint;
        link_ = std::move(probe_);
        linkId_ = probeId_;
        linkUp_ = true;
        probeId_ = 0;
        probeUp_ = false;
        if (settings != settings_)
            link_->applySettings(settings);
        settings_ = settings;
        // Whatever came while the attempt was still only an attempt is told now.
        if (link_->available() > 0)
            postToUi(&retryTimer_, [this] {
                if (link_ && bytesAvailable() > 0)
                    raise(&Events::readyRead);
            });
        return {};
    }

    endpoint_ = endpoint;
    device_ = device;
    settings_ = settings;
    linkId_ = ++nextId_;
    linkUp_ = false;
    link_ = connect(endpoint, settings, linkId_);
    connectTimer_.start();
    if (reopenedJustNow())
        stallTimer_.start();
    return {};
}

void NetworkBackend::close()
{
    connectTimer_.stop();
    stallTimer_.stop();
    if (!link_)
        return;
    if (linkUp_) {
        closedDevice_ = device_;
        closedAt_ = std::chrono::steady_clock::now();
    }
    keep(*link_);
    link_->close();
    link_.reset();
    linkId_ = 0;
    linkUp_ = false;
}

void NetworkBackend::established(int id)
{
    if (id == probeId_ && probe_) {
        probeTimer_.stop();
        probeUp_ = true;
        raise(&Events::deviceBack);
        return;
    }
    if (id != linkId_ || !link_)
        return;
    connectTimer_.stop();
    stallTimer_.stop();
    linkUp_ = true;
    if (!endpoint_.encrypted())
        notice(clearTold_, "is not encrypted: commands and replies travel in clear");
    if (endpoint_.lineControl() && !link_->carriesLineControl())
        notice(noLineControlTold_, "cannot carry settings: the server does not take RFC 2217 line control");
}

void NetworkBackend::ended(int id, const std::string& why)
{
    if (id == probeId_ && probe_) {
        dropProbe();
        retryLater();
        return;
    }
    if (id != linkId_ || !link_)
        return;
    const bool wasUp = linkUp_;
    // Reopened at once (the settings dialog closes and reopens the port), the port may still be
    // held by the server for the connection just closed: ser2net says "Port already in use"
    // until it has let go. Try again shortly, within the same 10 s.
    if (!wasUp && reopenedJustNow()) {
        connectAgain();
        return;
    }
    close();
    if (wasUp)
        raise(&Events::deviceLost, why);
    else
        raise(&Events::openFailed, "cannot connect: " + why);
}

void NetworkBackend::connectTimedOut()
{
    if (!link_ || linkUp_)
        return;
    close();
    raise(&Events::openFailed, "cannot connect: " + timeoutText(endpoint_));
}

CommError NetworkBackend::apply(const SerialSettings& settings)
{
    if (!link_)
        return {errPortNotOpen, "is not open"};
    settings_ = settings;
    if (!endpoint_.lineControl()) {
        notice(noLineControlTold_, "cannot carry settings (a tcp:// port has no line control): \"" + settings.text()
                                       + "\" is kept here and the server's port runs as it is set up there");
        return {};
    }
    link_->applySettings(settings);
    return {};
}

CommError NetworkBackend::write(std::string_view bytes)
{
    if (!link_)
        return {errPortNotOpen, "is not open"};
    if (!bytes.empty())
        link_->send(bytes);
    return {};
}

std::string NetworkBackend::readAll()
{
    if (link_)
        keep(*link_);
    std::string bytes = std::move(kept_);
    kept_.clear();
    return bytes;
}

int NetworkBackend::bytesAvailable() const
{
    return clampToInt(kept_.size() + (link_ ? link_->available() : 0));
}

int NetworkBackend::bytesWaitingToSend() const
{
    return link_ ? clampToInt(link_->waitingToSend()) : 0;
}

void NetworkBackend::watchForReturn(const std::string& device)
{
    stopWatching();
    watchedDevice_ = device;
    watching_ = true;
    retryMs_ = firstRetryMs;
    retryTimer_.start(retryMs_);
}

void NetworkBackend::stopWatching()
{
    watching_ = false;
    retryTimer_.stop();
    dropProbe();
}

void NetworkBackend::tryReturn()
{
    if (!watching_ || probe_)
        return;   // one attempt at a time
    NetworkEndpoint endpoint;
    if (NetworkEndpoint::parse(watchedDevice_, endpoint))
        return;
    probeId_ = ++nextId_;
    probeUp_ = false;
    probe_ = connect(endpoint, settings_, probeId_);
    probeTimer_.start();
}

void NetworkBackend::retryLater()
{
    if (!watching_)
        return;
    retryMs_ = std::min(retryMs_ * 2, lastRetryMs);
    retryTimer_.start(retryMs_);
}

void NetworkBackend::dropProbe()
{
    probeTimer_.stop();
    if (probe_)
        probe_->close();
    probe_.reset();
    probeId_ = 0;
    probeUp_ = false;
}

void NetworkBackend::keep(NetworkLink& link)
{
    std::chrono::steady_clock::time_point arrivedAt;
    if (std::string bytes = link.take(arrivedAt); !bytes.empty()) {
        kept_ += bytes;
        noteArrival(arrivedAt);
    }
}

void NetworkBackend::notice(bool& told, const std::string& text)
{
    if (told)
        return;
    told = true;
    raise(&Events::notice, text);
}

} // namespace serial::network
