#include "serial/network/GensioLoop.h"

#include <gensio/gensio.h>
#include <openssl/crypto.h>

#include <cstdarg>
#include <cstdio>
#include <csignal>
#include <memory>
#include <utility>
#include <pthread.h>

namespace serial::network {

namespace {
std::string logged;   // the loop's thread only
// gensio gives up on an unanswered request after five seconds.
constexpr auto lingerPatience = std::chrono::seconds(6);
} // namespace

std::string GensioLoop::takeLog()
{
    return std::exchange(logged, {});
}

GensioLoop& GensioLoop::instance()
{
    static GensioLoop loop;
    return loop;
}

GensioLoop::GensioLoop()
{
    thread_ = std::thread([this] { run(); });
    std::unique_lock lock(mutex_);
    started_.wait(lock, [this] { return ready_; });
}

GensioLoop::~GensioLoop()
{
    if (!thread_.joinable())
        return;
    const auto patience = std::chrono::steady_clock::now() + lingerPatience;
    while (lingering_ > 0 && std::chrono::steady_clock::now() < patience)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (os_)
        post([this] { gensio_os_funcs_wake(os_, stop_); });
    thread_.join();
}

void GensioLoop::run()
{
    // Tasks posted from other threads wake this one with gensio's wake signal, sent to this
    // thread alone; it needs a handler that does nothing, or its arrival would end the process.
    struct sigaction wake {};
    wake.sa_handler = [](int) {};
    sigemptyset(&wake.sa_mask);
    ::sigaction(GENSIO_DEF_WAKE_SIG, &wake, nullptr);
    // A peer that vanishes mid-write must cost an error code, not the process.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    int error = gensio_default_os_hnd(GENSIO_DEF_WAKE_SIG, &os_);
    if (!error) {
        gensio_os_funcs_set_vlog(os_, [](gensio_os_funcs*, gensio_log_levels, const char* format, va_list args) {
            char text[512];
            std::vsnprintf(text, sizeof text, format, args);
            logged = text;
        });
        runner_ = gensio_os_funcs_alloc_runner(os_, [](gensio_runner*, void* self) {
            static_cast<GensioLoop*>(self)->runTasks();
        }, this);
        stop_ = gensio_os_funcs_alloc_waiter(os_);
        if (!runner_ || !stop_)
            error = GE_NOMEM;
    }
    {
        std::lock_guard lock(mutex_);
        if (error) {
            failure_ = std::string("the network library cannot start: ") + gensio_err_to_str(error);
            os_ = nullptr;
        }
        ready_ = true;
    }
    started_.notify_all();
    if (error)
        return;
    // Waits until the destructor's task wakes it; gensio's timers and sockets are served meanwhile.
    while (gensio_os_funcs_wait(os_, stop_, 1, nullptr) != 0) {
    }
    runTasks();
    // TLS keeps state per thread, which only this call frees.
    OPENSSL_thread_stop();
}

void GensioLoop::post(std::function<void()> task)
{
    std::lock_guard lock(mutex_);
    if (!os_)
        return;
    tasks_.push_back(std::move(task));
    if (!scheduled_) {
        scheduled_ = true;
        gensio_os_funcs_run(os_, runner_);
    }
}

void GensioLoop::runTasks()
{
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard lock(mutex_);
        scheduled_ = false;
        batch.swap(tasks_);
    }
    for (auto& task : batch)
        task();
}

LoopTimer::LoopTimer(std::function<void()> due)
    : due_(std::move(due))
{
    timer_ = gensio_os_funcs_alloc_timer(GensioLoop::instance().os(), [](gensio_timer*, void* self) {
        static_cast<LoopTimer*>(self)->due_();
    }, this);
}

LoopTimer::~LoopTimer()
{
    if (!timer_)
        return;
    gensio_os_funcs_stop_timer(GensioLoop::instance().os(), timer_);
    gensio_os_funcs_free_timer(GensioLoop::instance().os(), timer_);
}

void LoopTimer::start(std::chrono::milliseconds after)
{
    if (!timer_)
        return;
    gensio_time due{after.count() / 1000, static_cast<int>(after.count() % 1000) * 1'000'000};
    gensio_os_funcs_start_timer(GensioLoop::instance().os(), timer_, &due);
}

bool releaseGensio(gensio* io, std::function<void()> released)
{
    auto done = std::make_unique<std::function<void()>>(std::move(released));
    const int err = gensio_close(io, [](gensio* io, void* data) {
        const std::unique_ptr<std::function<void()>> released(static_cast<std::function<void()>*>(data));
        gensio_free(io);
        (*released)();
        GensioLoop::instance().lingerEnds();
    }, done.get());
    if (err == GE_INUSE)
        return false;
    if (err) {
        gensio_free(io);
        (*done)();
        return true;
    }
    done.release();   // the close callback has it now
    GensioLoop::instance().lingerBegins();   // the process's end waits for the close
    return true;
}

} // namespace serial::network
