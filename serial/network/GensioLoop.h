#pragma once
// The one thread on which this process makes its gensio calls: name look-ups, connects, TLS
// handshakes and the traffic of every network port run there, never on the window's thread.
// Started at first use and stopped when the process ends.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

struct gensio;
struct gensio_os_funcs;
struct gensio_runner;
struct gensio_timer;
struct gensio_waiter;

namespace serial::network {

class GensioLoop {
public:
    static GensioLoop& instance();
    ~GensioLoop();
    GensioLoop(const GensioLoop&) = delete;
    GensioLoop& operator=(const GensioLoop&) = delete;

    // Runs `task` on the loop's thread, after every task posted before it. Callable from any
    // thread, the loop's own included.
    void post(std::function<void()> task);
    // Only for use on the loop's thread.
    gensio_os_funcs* os() const { return os_; }
    // What gensio last logged, if anything since the last call (TLS says there why a handshake
    // failed). Loop's thread only.
    std::string takeLog();
    // Empty when the loop runs; otherwise why gensio could not be started.
    const std::string& failure() const { return failure_; }
    // A connection still being let go in the background (closing, or waiting for answers before
    // it closes); the process's end waits for these, a few seconds at most, so that gensio frees
    // all it holds.
    void lingerBegins() { ++lingering_; }
    void lingerEnds() { --lingering_; }

private:
    GensioLoop();
    void run();
    void runTasks();

    std::thread thread_;
    gensio_os_funcs* os_ = nullptr;
    gensio_runner* runner_ = nullptr;
    gensio_waiter* stop_ = nullptr;
    std::string failure_;

    std::mutex mutex_;
    std::condition_variable started_;
    bool ready_ = false;
    bool scheduled_ = false;
    std::deque<std::function<void()>> tasks_;
    std::atomic<int> lingering_ = 0;
};

// A timer of the loop's thread that runs `due` once per start; stopped and freed with the object.
// Made, started and dropped on the loop's thread only.
class LoopTimer {
public:
    explicit LoopTimer(std::function<void()> due);
    ~LoopTimer();
    LoopTimer(const LoopTimer&) = delete;
    LoopTimer& operator=(const LoopTimer&) = delete;
    void start(std::chrono::milliseconds after);

private:
    gensio_timer* timer_ = nullptr;
    std::function<void()> due_;
};

// The one way a connection is let go, on the loop's thread: closes `io` in the background,
// frees it, then runs `released`. False (and nothing done) when `io` is already closing.
bool releaseGensio(gensio* io, std::function<void()> released);

} // namespace serial::network
