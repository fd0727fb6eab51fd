#include "serial/capture/ReplayBackend.h"

#include <algorithm>

namespace serial::capture {

namespace {
// At full speed the event loop still runs between batches, so the windows' timers and the
// operator's clicks go on being handled.
constexpr std::size_t kBatchRecords = 64;
constexpr std::size_t kAhead = 4096;

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
    rewind();
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] { deliverDue(); });
}

ReplayBackend::~ReplayBackend() = default;

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
    if (time < position())
        rewind();
    deliverUntil(time);
    playFrom(time);
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
    if ((!open_ && !lost_) || !playing_ || finished())
        return;
    if (speed_ == kAsFastAsPossible) {
        timer_.start(0);
        return;
    }
    const long long wait = (upcoming().time - position()) / speed_;
    timer_.start(static_cast<int>(std::clamp(wait / 1000, 0LL, 1000LL)));
}

void ReplayBackend::deliverDue()
{
    if ((!open_ && !lost_) || !playing_)
        return;
    if (speed_ == kAsFastAsPossible) {
        for (std::size_t n = 0; (open_ || lost_) && !finished() && n < kBatchRecords; ++n)
            advance();
        pausedAt_ = lastTime_;
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
    while (!finished() && upcoming().time <= time)
        advance();
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
    advance();
}

void ReplayBackend::advance()
{
    if (next_ < ahead_.size()) {
        const Record record = std::move(ahead_[next_++]);
        lastTime_ = record.time;
        deliver(record);
    }
    if (next_ < ahead_.size() || !playback_)
        return;
    ahead_.clear();
    next_ = 0;
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
