#pragma once
// A recorded session played back behind the serial seam: the port is the capture. Opening
// starts (or resumes) the playback; the received bytes arrive with their recorded timing (or
// faster), the recorded line events are raised again, a recorded loss closes the port as the
// loss did and a recorded reconnection brings it back, and what the program sends goes nowhere.
// Play, pause, speed and position are for the replay bar.
//
// With a follower (the car window, through carterm's ReplayClock) the window's timers run on the
// recording's clock, so what the window shows at a moment depends only on the capture. A seek
// puts the window back at the last checkpoint before the moment (one kept every so often on the
// way) and plays on from there at once, drawing nothing until the moment; the first open plays
// the whole capture that way to keep them all, so no seek has far to go.
#include "serial/capture/CaptureWalk.h"
#include "serial/SerialBackend.h"

#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace serial::capture {

// The window a replay plays into, kept in step with the recording.
class ReplayFollower {
public:
    virtual ~ReplayFollower() = default;
    // The recording's clock reached `time` (microseconds): what the window has due by then runs.
    virtual void clockAt(long long time) = 0;
    // When the window next has something due on that clock, if it has.
    virtual std::optional<long long> nextDue() const = 0;
    // The window as it stands, and put back as it stood then.
    virtual std::shared_ptr<const void> keep() = 0;
    virtual void putBack(const std::shared_ptr<const void>& kept) = 0;
    // A catch-up begins (true) and ends: what it plays through is not to be shown.
    virtual void passing(bool) {}
};

class ReplayBackend final : public SerialBackend {
public:
    // Walks the capture once for its length, keeping nothing; the playback then reads its records
    // as it goes. A capture that cannot be read fails the open with what was wrong.
    explicit ReplayBackend(const std::string& capture);
    ~ReplayBackend() override;
    const CapturePaths& paths() const { return capture_.reader().paths(); }
    // The device the session was recorded on (its DEVICE header), which the replay stands for.
    std::optional<std::string> standsFor() const override;

    CommError open(const std::string& device, const SerialSettings& settings) override;
    void close() override;
    bool isOpen() const override { return open_; }
    CommError apply(const SerialSettings&) override { return {}; }
    // Nothing goes anywhere: the bytes are dropped and counted.
    CommError write(std::string_view bytes) override;
    std::string readAll() override;
    int bytesAvailable() const override { return static_cast<int>(received_.size()); }
    int bytesWaitingToSend() const override { return 0; }
    // After a recorded loss the playback goes on; its reconnection is the device coming back.
    void watchForReturn(const std::string&) override { watching_ = true; }
    void stopWatching() override { watching_ = false; }
    bool watching() const override { return watching_; }

    // Speed: a multiple of the recorded pace, or kAsFastAsPossible.
    static constexpr int kAsFastAsPossible = 0;
    void setSpeed(int speed);
    int speed() const { return speed_; }
    void setPlaying(bool playing);
    bool playing() const { return playing_; }
    // Microseconds from the capture's start: where the playback stands, and where it ends.
    long long position() const;
    long long duration() const { return duration_; }
    // Moves to `time`: everything received up to it arrives at once, from where the playback
    // stands or, back or far ahead, from the last checkpoint before `time` (without a follower,
    // back starts over from the beginning into the window as it stands).
    void seek(long long time);
    bool finished() const { return next_ >= ahead_.size(); }
    long long dropped() const { return dropped_; }

    // The window kept in step; nullptr lets go of it.
    void follow(ReplayFollower* follower);
    std::size_t checkpoints() const { return checkpoints_.size(); }

    // The position moved or the playback stopped or started (for the bar).
    std::function<void()> onProgress;

private:
    void schedule();
    void playFrom(long long time);
    void deliverDue();
    // Delivers every record up to `time`, the follower's clock going with them.
    void deliverUntil(long long time);
    // The upcoming record, after what the follower has due before it.
    void playNext();
    void clockAt(long long time);
    void deliver(const Record& record);
    // The playback's next record, read ahead in pieces; from the start again after a rewind.
    void rewind();
    void advance();
    void readAhead();
    const Record& upcoming() const { return ahead_[next_]; }
    // Plays the whole capture once, keeping every checkpoint, and goes back to the start.
    void prepare();
    // Keeps a checkpoint at the last multiple of the interval at or before `time`, once.
    void keepCheckpoint(long long time);
    struct Checkpoint;
    void putBack(const Checkpoint& checkpoint);

    CaptureWalk capture_;
    std::unique_ptr<CaptureReader> playback_;
    std::vector<Record> ahead_;
    CaptureReader::Mark aheadFrom_;   // where the reader stood before it read ahead_
    std::size_t next_ = 0;
    long long lastTime_ = 0;   // of the last record played
    long long duration_ = 0;
    std::string received_;
    bool open_ = false;
    bool lost_ = false;       // between a recorded loss and its reconnection
    bool watching_ = false;
    bool playing_ = true;
    int speed_ = 1;
    long long dropped_ = 0;
    // The playback clock: at `startedAt_` (on `clock_`) the position was `startedFrom_`.
    QElapsedTimer clock_;
    long long startedFrom_ = 0;
    long long pausedAt_ = 0;
    QTimer timer_;

    ReplayFollower* follower_ = nullptr;
    struct Checkpoint {
        long long time;                // everything before it played, nothing from it on
        CaptureReader::Mark aheadFrom;
        std::size_t next;
        long long lastTime;
        std::shared_ptr<const void> window;
    };
    std::vector<Checkpoint> checkpoints_;   // in time order
    long long checkpointEvery_ = 0;
    bool prepared_ = false;
};

} // namespace serial::capture
