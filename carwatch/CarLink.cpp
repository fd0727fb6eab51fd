#include "carwatch/CarLink.h"

#include "carwatch/Log.h"
#include "serial/CommEvents.h"
#include "serial/LineEnds.h"
#include "serial/PortMap.h"

#include <algorithm>

namespace carwatch {

namespace {

constexpr int kLongestRetryMs = 30000;
// Cycles in a row without any answer before an open line counts as down.
constexpr int kSilentCycles = 3;
// An answer longer than this is noise: only its tail is kept.
constexpr std::size_t kLongestAnswer = 8192;

} // namespace

CarLink::CarLink(CarConfig car, int portNumber, serial::capture::CaptureSettings capture, double pollSeconds)
    : car_(std::move(car)), port_(portNumber), capture_(std::move(capture)), pollMs_(static_cast<int>(pollSeconds * 1000))
{
    serial::PortMap::current().mapFromCommandLine(port_, car_.port);
    control_.setCommPort(port_);
    control_.setSettings(car_.settings.empty() ? kDefaultSettings : car_.settings);
    baud_ = std::max(50, std::atoi(control_.settings().c_str()));

    for (QTimer* timer : {&pollTimer_, &replyTimer_, &retryTimer_})
        timer->setSingleShot(true);
    QObject::connect(&pollTimer_, &QTimer::timeout, [this] { nextCycle(); });
    QObject::connect(&replyTimer_, &QTimer::timeout, [this] { answered(false); });
    QObject::connect(&retryTimer_, &QTimer::timeout, [this] { open(); });

    control_.onComm = [this] {
        if (control_.commEvent() == serial::comEvReceive)
            received();
    };
    control_.onPortLost = [this](const std::string& text) {
        log::warning(car_.name + ": " + text);
        replyTimer_.stop();
        pollTimer_.stop();
        awaiting_ = false;
        queue_.clear();
        setUp(false);
        // A lost local device is watched for by the control; a network port that could not
        // be reached is left closed, so it is tried again here.
        if (!control_.awaitingReconnect() && !held_ && !stopped_)
            retryLater();
    };
    control_.onPortReconnected = [this](const std::string& text) {
        log::info(car_.name + ": " + text);
        retryMs_ = 1000;
        nextCycle();
    };
    control_.onNotice = [this](const std::string& text) { log::notice(car_.name + ": " + text); };
    control_.onCaptureStopped = [this](const std::string& text) { log::warning(car_.name + ": " + text); };
}

CarLink::~CarLink() { stop(); }

std::string CarLink::link() const { return held_ ? "held" : up_ ? "up" : "down"; }

void CarLink::start() { open(); }

void CarLink::open()
{
    if (held_ || stopped_ || control_.portOpen())
        return;
    // A capture of its own for each connection; attempts that never reached the controller
    // share one rather than leaving a pair of files each.
    if (newCapture_)
        control_.record(capture_);
    newCapture_ = false;
    if (const serial::CommError error = control_.setPortOpen(true)) {
        // The port map names its command-line option; here the mapping is the car's own.
        std::string text = error.text;
        if (const auto at = text.find(", from --port)"); at != std::string::npos)
            text.erase(at, 13);
        log::warning(car_.name + ": " + text + "; trying again in " + std::to_string(retryMs_ / 1000) + " s");
        setUp(false);
        retryLater();
        return;
    }
    log::info(car_.name + ": line open on " + control_.portLabel());
    silentCycles_ = 0;
    nextCycle();
}

void CarLink::retryLater()
{
    retryTimer_.start(retryMs_);
    retryMs_ = std::min(retryMs_ * 2, kLongestRetryMs);
}

void CarLink::hold()
{
    held_ = true;
    pollTimer_.stop();
    replyTimer_.stop();
    retryTimer_.stop();
    awaiting_ = false;
    queue_.clear();
    control_.setPortOpen(false);
    up_ = false;
    newCapture_ = true;
    if (onChanged)
        onChanged();
}

void CarLink::release()
{
    if (!held_)
        return;
    held_ = false;
    retryMs_ = 1000;
    if (onChanged)
        onChanged();
    open();
}

void CarLink::stop()
{
    stopped_ = true;
    pollTimer_.stop();
    replyTimer_.stop();
    retryTimer_.stop();
    control_.setPortOpen(false);
}

void CarLink::setUp(bool up)
{
    if (up == up_)
        return;
    up_ = up;
    if (onChanged)
        onChanged();
}

// At most one cycle a poll period, each after the one before has ended.
void CarLink::nextCycle()
{
    if (held_ || stopped_ || !control_.portOpen())
        return;
    if (cycleClock_.isValid()) {
        const qint64 since = cycleClock_.elapsed();
        if (since < pollMs_) {
            pollTimer_.start(static_cast<int>(pollMs_ - since));
            return;
        }
        if (!answeredThisCycle_ && ++silentCycles_ == kSilentCycles) {
            log::warning(car_.name + ": no answer from the controller on " + control_.portLabel());
            setUp(false);
        }
    }
    cycleClock_.start();
    answeredThisCycle_ = false;
    queue_ = {Request::Table};
    send();
}

void CarLink::send()
{
    if (queue_.empty()) {
        nextCycle();
        return;
    }
    control_.input();   // what came unasked is recorded, not read as the answer
    answer_.clear();
    if (control_.output(requestText(queue_.front())))
        return;   // closed meanwhile: the loss report follows
    awaiting_ = true;
    replyTimer_.start(timeoutMs(queue_.front()));
}

void CarLink::received()
{
    std::string bytes = control_.input();
    if (!awaiting_)
        return;
    int leading = 0;
    serial::applyBackspaces(bytes, leading);
    answer_ += serial::normaliseLineEnds(bytes);
    if (answer_.size() > kLongestAnswer)
        answer_.erase(0, answer_.size() - kLongestAnswer);
    if (replyComplete(queue_.front(), answer_))
        answered(true);
}

void CarLink::answered(bool complete)
{
    replyTimer_.stop();
    awaiting_ = false;
    if (queue_.empty())
        return;
    const Request request = queue_.front();
    queue_.pop_front();
    if (!complete) {
        queue_.clear();   // a silent controller is asked again next period, not piled up
        nextCycle();
        return;
    }
    answeredThisCycle_ = true;
    newCapture_ = true;
    silentCycles_ = 0;
    const CarReading before = reading_;
    const std::vector<FaultEntry> fresh = applyReply(request, answer_, reading_);
    if (request == Request::Table) {
        queue_ = {Request::Bbt, Request::Faults};
        if (reading_.moving)   // the window asks the speed only while SM reads 1
            queue_.push_front(Request::Velocity);
    }
    const bool wasUp = up_;
    up_ = true;
    if (!fresh.empty() && onFaults)
        onFaults(fresh);
    if ((reading_ != before || !wasUp) && onChanged)
        onChanged();
    send();
}

// Room for the answer at the line's rate, half as much again, and a second and a half.
int CarLink::timeoutMs(Request request) const { return 1500 + replySize(request) * 10 * 1500 / baud_; }

} // namespace carwatch
