#include "serial/capture/ReplayBackend.h"

#include <algorithm>

namespace serial::capture {

namespace {
// At full speed the event loop still runs between batches, so the windows' timers and the
// operator's clicks go on being handled.
constexpr std::size_t kBatchRecords = 64;
constexpr std::size_t kAhead = 4096;
// A checkpoint every 10 s of the recording, or fewer in a long one: each holds the window's pane,
// so at most about 500 are kept, and a seek plays at most a five-hundredth of the capture.
constexpr long long kCheckpointEvery = 10'000'000;
constexpr long long kMostCheckpoints = 500;

// Only what was received and the line events play back.
bool playsBack(const Record& r)
{
    return r.kind == kReceived || (r.kind == kEvent && (eventCode(r.name) || r.name == kLost || r.name == kReconnect));
}
} // namespace

ReplayBackend::ReplayBackend(const std::string& capture)
{
    if (capture_.open(capture))
        capture_.walk([](const Record&) {});
    duration_ = capture_.reader().endTime();
    checkpointEvery_ = std::max(kCheckpointEvery, duration_ / kMostCheckpoints + 1);
    rewind();
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] { deliverDue(); });
}

ReplayBackend::~ReplayBackend() = default;

void ReplayBackend::follow(ReplayFollower* follower)
{
    follower_ = follower;
    checkpoints_.clear();
    prepared_ = false;
}

std::optional<std::string> ReplayBackend::standsFor() const
{
    const auto& headers = capture_.reader().headers();
    const auto it = headers.find("DEVICE");
    return it != headers.end() && !it->second.empty() ? it->second : paths().stem;
}

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
    // Once the window has loaded behind its port: the checkpoints, before anything is shown.
    if (follower_ && !prepared_) {
        prepared_ = true;
        QTimer::singleShot(0, &timer_, [this] { prepare(); });
    }
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
    const long long at = position();
    playing_ = playing;
    playFrom(at);
}

void ReplayBackend::seek(long long time)
{
    time = std::clamp(time, 0LL, duration_);
    // Where the window stands: a first pass may have played beyond the playback's position.
    const long long now = std::max(position(), lastTime_);
    const auto after = std::upper_bound(checkpoints_.begin(), checkpoints_.end(), time,
                                        [](long long t, const Checkpoint& c) { return t < c.time; });
    if (follower_)
        follower_->passing(true);
    if (after != checkpoints_.begin() && (time < now || (after - 1)->time > now))
        putBack(*(after - 1));
    else if (time < now)
        rewind();
    deliverUntil(time);
    if (follower_)
        follower_->passing(false);
    playFrom(time);
}

void ReplayBackend::prepare()
{
    if (!follower_ || !playback_)
        return;
    const long long at = position();
    follower_->passing(true);
    deliverUntil(duration_);
    follower_->passing(false);
    seek(at);
}

void ReplayBackend::keepCheckpoint(long long time)
{
    // The first is the window before anything arrived; the port state is not the window's, so
    // none is kept while the port is down.
    const long long at = checkpoints_.empty() ? 0 : time / checkpointEvery_ * checkpointEvery_;
    if (!follower_ || (!checkpoints_.empty() && checkpoints_.back().time >= at) || !open_ || lost_)
        return;
    clockAt(at);
    checkpoints_.push_back({at, aheadFrom_, next_, lastTime_, follower_->keep()});
}

void ReplayBackend::putBack(const Checkpoint& checkpoint)
{
    // Every checkpoint has the port open: a recorded loss still under way ends (the control
    // reopens the port as on a reconnection).
    if (lost_ && watching_)
        raise(&Events::deviceBack);
    playback_->resume(checkpoint.aheadFrom);
    readAhead();
    next_ = checkpoint.next;
    lastTime_ = checkpoint.lastTime;
    follower_->putBack(checkpoint.window);
}

// The playback clock starts over at `time`, running or paused as the bar says.
void ReplayBackend::playFrom(long long time)
{
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
    if ((!open_ && !lost_) || !playing_)
        return;
    // The next record, or sooner what the window has due (its timers run on this clock).
    std::optional<long long> next;
    if (!finished())
        next = upcoming().time;
    if (const auto due = follower_ ? follower_->nextDue() : std::nullopt; due && *due <= duration_)
        next = std::min(next.value_or(*due), *due);
    if (!next)
        return;
    if (speed_ == kAsFastAsPossible) {
        timer_.start(0);
        return;
    }
    const long long wait = (*next - position()) / speed_;
    timer_.start(static_cast<int>(std::clamp(wait / 1000, 0LL, 1000LL)));
}

void ReplayBackend::deliverDue()
{
    if ((!open_ && !lost_) || !playing_)
        return;
    if (speed_ == kAsFastAsPossible) {
        for (std::size_t n = 0; (open_ || lost_) && !finished() && n < kBatchRecords; ++n)
            playNext();
        pausedAt_ = lastTime_;
        if (finished()) {
            pausedAt_ = duration_;
            clockAt(duration_);
        }
    } else {
        deliverUntil(position());
    }
    if (onProgress)
        onProgress();
    schedule();
}

void ReplayBackend::deliverUntil(long long time)
{
    while (!finished() && upcoming().time <= time)
        playNext();
    clockAt(time);
}

void ReplayBackend::playNext()
{
    keepCheckpoint(upcoming().time);
    clockAt(upcoming().time);
    advance();
}

void ReplayBackend::clockAt(long long time)
{
    if (follower_)
        follower_->clockAt(time);
}

void ReplayBackend::rewind()
{
    ahead_.clear();
    next_ = 0;
    lastTime_ = 0;
    playback_.reset();
    if (!capture_.error().empty())
        return;
    playback_ = std::make_unique<CaptureReader>(capture_.reader().paths());
    readAhead();
}

void ReplayBackend::advance()
{
    const Record record = std::move(ahead_[next_++]);
    lastTime_ = record.time;
    deliver(record);
    if (next_ >= ahead_.size())
        readAhead();
}

void ReplayBackend::readAhead()
{
    ahead_.clear();
    next_ = 0;
    if (!playback_)
        return;
    aheadFrom_ = playback_->mark();
    // Up to what the walk for the length saw, so the playback and its bar agree on the end.
    std::vector<Record> piece;
    while (ahead_.empty()) {
        piece.clear();
        if (!playback_->readMore(piece, kAhead) || piece.empty())
            break;
        for (Record& r : piece)
            if (r.time <= duration_ && playsBack(r))
                ahead_.push_back(std::move(r));
    }
}

void ReplayBackend::deliver(const Record& record)
{
    if (record.kind == kReceived) {
        // A huge record arrives in pieces, each read before the next comes.
        playback_->eachPiece(record, [this](std::string_view piece) {
            received_ += piece;
            noteArrival();
            raise(&Events::readyRead);
        });
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
