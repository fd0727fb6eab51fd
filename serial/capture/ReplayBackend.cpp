#include "serial/capture/ReplayBackend.h"

#include <algorithm>

namespace serial::capture {

namespace {
// At full speed the event loop still runs between batches, so the windows' timers and the
// operator's clicks go on being handled.
constexpr std::size_t kBatchRecords = 64;
} // namespace

ReplayBackend::ReplayBackend(const std::string& capture)
{
    // Only what was received and the line events play back; the rest is dropped as it is read.
    if (capture_.open(capture))
        capture_.walk([this](const Record& r) {
            if (r.kind == kReceived || (r.kind == kEvent && (eventCode(r.name) || r.name == kLost
                                                             || r.name == kReconnect)))
                records_.push_back(r);
        });
    duration_ = capture_.reader().endTime();
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] { deliverDue(); });
}

ReplayBackend::~ReplayBackend() = default;

CommError ReplayBackend::open(const std::string&, const SerialSettings&)
{
    if (!capture_.error().empty())
        return {errDeviceFailure, "cannot replay: " + capture_.error()};
    pausedAt_ = position();
    lost_ = false;
    open_ = true;
    clock_.start();
    startedFrom_ = pausedAt_;
    schedule();
    return {};
}

void ReplayBackend::close()
{
    pausedAt_ = position();
    open_ = false;
    lost_ = false;
    timer_.stop();
}

CommError ReplayBackend::write(std::string_view bytes)
{
    dropped_ += static_cast<long long>(bytes.size());
    return {};
}

std::string ReplayBackend::readAll()
{
    std::string out;
    out.swap(received_);
    return out;
}

long long ReplayBackend::position() const
{
    if ((!open_ && !lost_) || !playing_ || speed_ == kAsFastAsPossible)
        return pausedAt_;
    return std::min(duration_, startedFrom_ + clock_.nsecsElapsed() / 1000 * speed_);
}

void ReplayBackend::setSpeed(int speed)
{
    pausedAt_ = position();
    speed_ = std::max(speed, 0);
    clock_.start();
    startedFrom_ = pausedAt_;
    schedule();
}

void ReplayBackend::setPlaying(bool playing)
{
    pausedAt_ = position();
    playing_ = playing;
    clock_.start();
    startedFrom_ = pausedAt_;
    schedule();
    if (onProgress)
        onProgress();
}

void ReplayBackend::seek(long long time)
{
    time = std::clamp(time, 0LL, duration_);
    if (time < position())
        next_ = 0;
    deliverUntil(time);
    pausedAt_ = time;
    clock_.start();
    startedFrom_ = time;
    schedule();
    if (onProgress)
        onProgress();
}

void ReplayBackend::schedule()
{
    timer_.stop();
    if ((!open_ && !lost_) || !playing_ || finished())
        return;
    if (speed_ == kAsFastAsPossible) {
        timer_.start(0);
        return;
    }
    const long long wait = (records_[next_].time - position()) / speed_;
    timer_.start(static_cast<int>(std::clamp(wait / 1000, 0LL, 1000LL)));
}

void ReplayBackend::deliverDue()
{
    if ((!open_ && !lost_) || !playing_)
        return;
    if (speed_ == kAsFastAsPossible) {
        const std::size_t last = std::min(records_.size(), next_ + kBatchRecords);
        while ((open_ || lost_) && next_ < last)
            deliver(records_[next_++]);
        pausedAt_ = next_ > 0 ? records_[next_ - 1].time : 0;
        if (finished())
            pausedAt_ = duration_;
    } else {
        deliverUntil(position());
    }
    if (onProgress)
        onProgress();
    schedule();
}

void ReplayBackend::deliverUntil(long long time)
{
    while (next_ < records_.size() && records_[next_].time <= time)
        deliver(records_[next_++]);
}

void ReplayBackend::deliver(const Record& record)
{
    if (record.kind == kReceived) {
        received_ += capture_.reader().bytes(record);
        noteArrival();
        raise(&Events::readyRead);
    } else if (record.name == kLost && open_) {
        // The port closes as the device vanished; the playback runs on to the reconnection.
        pausedAt_ = record.time;
        open_ = false;
        lost_ = true;
        raise(&Events::deviceLost, record.value);
    } else if (record.name == kReconnect && lost_) {
        pausedAt_ = record.time;
        if (watching_)
            raise(&Events::deviceBack);   // the control reopens the port
    } else if (const auto code = eventCode(record.name)) {
        raise(&Events::lineEvent, *code);
    }
}

} // namespace serial::capture
