#include "sim/carsim/LineLoop.h"

#include "sim/common/StopSignals.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace carsim {

namespace {
constexpr double kBitsPerByte = 10.0;  // start bit, 8 data bits, stop bit
// Longest wait without a reason to wake; only a safety net, nothing depends on it.
constexpr double kMaxWaitSeconds = 1.0;

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

timespec toTimespec(double seconds)
{
    seconds = std::max(0.0, seconds);
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(seconds);
    ts.tv_nsec = static_cast<long>((seconds - static_cast<double>(ts.tv_sec)) * 1e9);
    return ts;
}
}  // namespace

LineLoop::LineLoop(int fd, CarModel& car, CommandSession& session, const LineSettings& settings,
    const sigset_t& waitMask)
    : fd_(fd)
    , car_(car)
    , session_(session)
    , settings_(settings)
    , waitMask_(waitMask)
    , byteSeconds_(kBitsPerByte / static_cast<double>(std::max(1L, settings.baud)))
{
}

LineOutcome LineLoop::run()
{
    const auto start = std::chrono::steady_clock::now();
    const bool slow = settings_.scenario == Scenario::Slow;
    const bool hangup = settings_.scenario == Scenario::Hangup;
    double carTime = 0.0;

    while (!sim::stopRequested()) {
        const double now = secondsSince(start);
        car_.advance(now - carTime);
        carTime = now;
        if (hangup && now >= settings_.hangupAfterSeconds)
            return LineOutcome::HungUp;

        // Answer and send until neither makes progress.
        for (;;) {
            const std::size_t taken = takeInput();
            std::size_t sent = 0;
            if (!writeOutput(now, sent))
                return LineOutcome::LineLost;
            if (taken == 0 && sent == 0)
                break;
        }

        double wait = kMaxWaitSeconds;
        if (hangup)
            wait = std::min(wait, settings_.hangupAfterSeconds - now);
        if (slow && !toSend_.empty() && !writeBlocked_)
            wait = std::min(wait, nextByteDue_ - now);

        pollfd pfd{fd_, POLLIN, 0};
        if (writeBlocked_)
            pfd.events |= POLLOUT;
        const timespec timeout = toTimespec(wait);
        const int ready = ::ppoll(&pfd, 1, &timeout, &waitMask_);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            lostReason_ = std::string("waiting on the line failed: ") + std::strerror(errno);
            return LineOutcome::LineLost;
        }
        if (ready == 0)
            continue;
        if (pfd.revents & POLLNVAL) {
            lostReason_ = "the line was closed";
            return LineOutcome::LineLost;
        }
        if (pfd.revents & POLLOUT)
            writeBlocked_ = false;
        if (pfd.revents & (POLLIN | POLLHUP | POLLERR)) {
            std::size_t got = 0;
            if (!readInput(got))
                return LineOutcome::LineLost;
            // A hang-up that leaves nothing to read would wake every wait from now on.
            if (got == 0 && (pfd.revents & (POLLHUP | POLLERR))) {
                lostReason_ = "the other end hung up";
                return LineOutcome::LineLost;
            }
        }
    }
    return LineOutcome::Stopped;
}

bool LineLoop::readInput(std::size_t& got)
{
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            const std::size_t room = kReceiveCapacity - std::min(kReceiveCapacity, received_.size());
            const std::size_t kept = std::min(room, static_cast<std::size_t>(n));
            received_.append(buf, kept);
            noteDropped(static_cast<std::size_t>(n) - kept);
            continue;
        }
        if (n == 0) {
            lostReason_ = "the other end closed the line";
            return false;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return true;
        lostReason_ = std::string("reading the line failed: ") + std::strerror(errno);
        return false;
    }
}

std::size_t LineLoop::takeInput()
{
    std::size_t taken = 0;
    while (taken < received_.size() && toSend_.size() < kSendLowWater)
        toSend_ += session_.receive(received_[taken++]);
    received_.erase(0, taken);
    if (received_.size() < kReceiveCapacity && droppedInEpisode_ > 0) {
        std::fprintf(stderr, "carsim: receive buffer overran, %zu received bytes were dropped\n", droppedInEpisode_);
        droppedInEpisode_ = 0;
    }
    return taken;
}

void LineLoop::noteDropped(std::size_t count)
{
    droppedInEpisode_ += count;
}

bool LineLoop::writeOutput(double now, std::size_t& sent)
{
    if (toSend_.empty() || writeBlocked_)
        return true;

    std::size_t allowed = toSend_.size();
    if (settings_.scenario == Scenario::Slow) {
        // An idle line starts pacing afresh; a busy one keeps its rhythm.
        if (nextByteDue_ < now - byteSeconds_)
            nextByteDue_ = now;
        if (nextByteDue_ > now)
            return true;
        allowed = std::min(allowed, static_cast<std::size_t>((now - nextByteDue_) / byteSeconds_) + 1);
    }

    while (sent < allowed) {
        const ssize_t n = ::write(fd_, toSend_.data() + sent, allowed - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            writeBlocked_ = true;
            break;
        }
        lostReason_ = std::string("writing to the line failed: ") + (n < 0 ? std::strerror(errno) : "nothing written");
        return false;
    }
    toSend_.erase(0, sent);
    if (settings_.scenario == Scenario::Slow)
        nextByteDue_ += static_cast<double>(sent) * byteSeconds_;
    return true;
}

}  // namespace carsim
