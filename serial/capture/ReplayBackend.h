#pragma once
// A recorded session played back behind the serial seam: the port is the capture. Opening
// starts (or resumes) the playback; the received bytes arrive with their recorded timing (or
// faster), the recorded line events are raised again, a recorded loss closes the port as the
// loss did and a recorded reconnection brings it back, and what the program sends goes nowhere.
// Play, pause, speed and position are for the replay bar.
#include "serial/capture/CaptureWalk.h"
#include "serial/SerialBackend.h"

#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

namespace serial::capture {

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
    // Moves to `time`. Forward, everything received in between arrives at once; back, the
    // playback starts over and catches up to `time` the same way.
    void seek(long long time);
    bool finished() const { return next_ >= ahead_.size(); }
    long long dropped() const { return dropped_; }

    // The position moved or the playback stopped or started (for the bar).
    std::function<void()> onProgress;

private:
    void schedule();
    void playFrom(long long time);
    void deliverDue();
    // Delivers every record up to `time`.
    void deliverUntil(long long time);
    void deliver(const Record& record);
    // The playback's next record, read ahead in pieces; from the start again after a rewind.
    void rewind();
    void advance();
    const Record& upcoming() const { return ahead_[next_]; }

    CaptureWalk capture_;
    std::unique_ptr<CaptureReader> playback_;
    std::vector<Record> ahead_;
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
};

} // namespace serial::capture
