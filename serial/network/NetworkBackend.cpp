#include "serial/network/NetworkBackend.h"

#include "serial/network/CertificateFiles.h"
#include "serial/network/GensioLoop.h"
#include "serial/network/NetworkLink.h"

#include "serial/OutsideText.h"

#include <algorithm>
#include <climits>
#include <utility>

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

NetworkBackend::NetworkBackend(Connector connector, Clock& clock)
    : connector_(connector ? std::move(connector) : Connector(&NetworkLink::connect))
    , clock_(clock)
    , connectTimer_(clock.timer([this] { connectTimedOut(); }))
    , probeTimer_(clock.timer([this] {
        const std::string why = "cannot connect: " + timeoutText(endpoint_);
        dropProbe();
        retryLater();
        raise(&Events::tryFailed, why);
    }))
    , retryTimer_(clock.timer([this] { tryReturn(); }))
    , stallTimer_(clock.timer([this] {
        if (link_.link && !link_.up && reopenedJustNow())
            connectAgain();
    }))
    , takenOverTimer_(clock.timer([this] {
        if (link_.link && bytesAvailable() > 0)
            raise(&Events::readyRead);
    }))
{
}

bool NetworkBackend::reopenedJustNow() const
{
    return device_ == closedDevice_ && clock_.now() - closedAt_ < serverLetGo;
}

// Drops the attempt in flight and makes it again shortly, within the same 10 s.
void NetworkBackend::connectAgain()
{
    keep(*link_.link);
    link_.link->close();
    link_ = connect(endpoint_, againMs);
    stallTimer_->start(stalledMs);
}

NetworkBackend::~NetworkBackend()
{
    stopWatching();
    close();
}

NetworkBackend::Attempt NetworkBackend::connect(const NetworkEndpoint& endpoint, int delayMs)
{
    return {connector_(endpoint, settings_, *this, delayMs)};
}

void NetworkBackend::received(Link& link)
{
    if (link_.is(link))
        raise(&Events::readyRead);
}

void NetworkBackend::lineEvent(Link& link, int code)
{
    if (link_.is(link))
        raise(&Events::lineEvent, code);
}

void NetworkBackend::settingsAnswered(Link& link, const SerialSettings& answered)
{
    if (!link_.is(link))
        return;
    settings_ = answered;
    raise(&Events::settingsInForce, answered);
}

CommError NetworkBackend::open(const std::string& device, const SerialSettings& settings)
{
    if (link_.link)
        return {errPortAlreadyOpen, "is already open"};
    NetworkEndpoint endpoint;
    if (const auto problem = NetworkEndpoint::parse(device, endpoint))
        return {errInvalidValue, *problem};
    // TLS would open these files on the gensio thread, where a FIFO holds it for good.
    if (const auto problem = certificateFilesProblem(endpoint))
        return {errInvalidValue, "cannot connect: " + *problem};
    if (const std::string& failure = GensioLoop::instance().failure(); !failure.empty())
        return {errDeviceFailure, failure};

    // After a loss, a reconnect attempt that the server has answered is taken over as it is.
    if (probe_.up && device == watchedDevice_) {
        endpoint_ = endpoint;
        link_ = std::exchange(probe_, {});
        if (settings != settings_)
            link_.link->applySettings(settings);
        settings_ = settings;
        // Whatever came while the attempt was still only an attempt is told next.
        if (link_.link->available() > 0)
            takenOverTimer_->start(0);
        tellAbout(*link_.link);
        return {};
    }

    // A raw TCP port cannot take the change the settings dialog makes by reopening the port.
    if (!endpoint.lineControl() && device == device_ && lastOpened_ && settings != *lastOpened_)
        notice(noLineControlTold_, "cannot carry settings (a tcp:// port has no line control): \"" + settings.text()
                                       + "\" is kept here and the server's port runs as it is set up there");
    lastOpened_ = settings;
    endpoint_ = endpoint;
    device_ = device;
    settings_ = settings;
    link_ = connect(endpoint);
    connectTimer_->start(connectTimeoutMs);
    if (reopenedJustNow())
        stallTimer_->start(stalledMs);
    return {};
}

void NetworkBackend::close()
{
    connectTimer_->stop();
    stallTimer_->stop();
    if (!link_.link)
        return;
    if (link_.up) {
        closedDevice_ = device_;
        closedAt_ = clock_.now();
    }
    keep(*link_.link);
    link_.link->close();
    link_ = {};
}

void NetworkBackend::established(Link& link)
{
    if (probe_.is(link)) {
        probeTimer_->stop();
        probe_.up = true;
        raise(&Events::deviceBack);
        return;
    }
    if (!link_.is(link))
        return;
    connectTimer_->stop();
    stallTimer_->stop();
    link_.up = true;
    tellAbout(link);
    raise(&Events::connected);
}

void NetworkBackend::tellAbout(const Link& link)
{
    if (!endpoint_.encrypted())
        notice(clearTold_, "is not encrypted: commands and replies travel in clear");
    if (endpoint_.lineControl() && !link.carriesLineControl())
        notice(noLineControlTold_, "cannot carry settings: the server does not take RFC 2217 line control");
}

void NetworkBackend::ended(Link& link, const std::string& why)
{
    if (probe_.is(link)) {
        dropProbe();
        retryLater();
        raise(&Events::tryFailed, "cannot connect: " + why);
        return;
    }
    if (!link_.is(link))
        return;
    const bool wasUp = link_.up;
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
    if (!link_.link || link_.up)
        return;
    // The server spoke (negotiation, the controller's data) but never answered the com-port
    // option: its accepter is plain telnet or raw TCP.
    const bool notRfc2217 = endpoint_.lineControl() && link_.link->serverSpoke();
    close();
    raise(&Events::openFailed, "cannot connect: " + (notRfc2217 ? "the server at " + printable(endpoint_.address())
        + " does not speak RFC 2217: is its accepter `telnet(rfc2217)`?" : timeoutText(endpoint_)));
}

CommError NetworkBackend::apply(const SerialSettings& settings)
{
    if (!link_.link)
        return {errPortNotOpen, "is not open"};
    settings_ = settings;
    if (!endpoint_.lineControl()) {
        notice(noLineControlTold_, "cannot carry settings (a tcp:// port has no line control): \"" + settings.text()
                                       + "\" is kept here and the server's port runs as it is set up there");
        return {};
    }
    link_.link->applySettings(settings);
    return {};
}

CommError NetworkBackend::write(std::string_view bytes)
{
    if (!link_.link)
        return {errPortNotOpen, "is not open"};
    if (!bytes.empty())
        link_.link->send(bytes);
    return {};
}

std::string NetworkBackend::readAll()
{
    if (link_.link)
        keep(*link_.link);
    std::string bytes = std::move(kept_);
    kept_.clear();
    return bytes;
}

int NetworkBackend::bytesAvailable() const
{
    return clampToInt(kept_.size() + (link_.link ? link_.link->available() : 0));
}

int NetworkBackend::bytesWaitingToSend() const
{
    return link_.link ? clampToInt(link_.link->waitingToSend()) : 0;
}

void NetworkBackend::watchForReturn(const std::string& device)
{
    stopWatching();
    watchedDevice_ = device;
    watching_ = true;
    retryMs_ = firstRetryMs;
    retryTimer_->start(retryMs_);
    nextTryAt_ = clock_.now() + std::chrono::milliseconds(retryMs_);
}

int NetworkBackend::nextTryMs() const
{
    if (!watching_)
        return -1;
    if (probe_.link)
        return 0;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(nextTryAt_ - clock_.now()).count();
    return static_cast<int>(std::max<long long>(0, left));
}

void NetworkBackend::stopWatching()
{
    watching_ = false;
    retryTimer_->stop();
    dropProbe();
}

void NetworkBackend::tryReturn()
{
    if (!watching_ || probe_.link)
        return;   // one attempt at a time
    NetworkEndpoint endpoint;
    if (NetworkEndpoint::parse(watchedDevice_, endpoint))
        return;
    probe_ = connect(endpoint);
    probeTimer_->start(connectTimeoutMs);
}

void NetworkBackend::retryLater()
{
    if (!watching_)
        return;
    retryMs_ = std::min(retryMs_ * 2, lastRetryMs);
    retryTimer_->start(retryMs_);
    nextTryAt_ = clock_.now() + std::chrono::milliseconds(retryMs_);
}

void NetworkBackend::dropProbe()
{
    probeTimer_->stop();
    if (probe_.link)
        probe_.link->close();
    probe_ = {};
}

void NetworkBackend::keep(Link& link)
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
