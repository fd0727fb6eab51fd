#include "sim/modemsim/ModemLoop.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>

namespace modemsim {

ModemLoop::ModemLoop(HayesModem& modem, BenchPort& bench, CallerLine& caller, const TrafficLog& log)
    : modem_(modem), bench_(bench), caller_(caller), log_(log), lastState_(modem.state()), lastDsr_(modem.dsr())
{
    log_.event(std::string("DSR ") + (lastDsr_ ? "on" : "off"));
}

int ModemLoop::run(const volatile std::sig_atomic_t& stop, const sigset_t& waitMask)
{
    while (!stop && !benchLost_) {
        TimePoint now = Clock::now();
        modem_.tick(now);
        if (!collect(now))
            break;

        pollfd fds[3] = {};
        fds[0].fd = bench_.fd();
        if (caller_.output().size() < kHighWater)
            fds[0].events |= POLLIN;
        if (!bench_.output().empty())
            fds[0].events |= POLLOUT;
        fds[1].fd = caller_.listenFd();
        fds[1].events = POLLIN;
        const int callerFd = caller_.callerFd();
        fds[2].fd = callerFd; // -1 is skipped by poll
        // The caller's data is read only in data mode; a hang-up is noticed in every state.
        fds[2].events = POLLRDHUP;
        if (modem_.passesCallerData() && bench_.output().size() < kHighWater)
            fds[2].events |= POLLIN;
        if (!caller_.output().empty())
            fds[2].events |= POLLOUT;

        timespec timeout{};
        const timespec* timeoutPtr = nullptr;
        if (auto deadline = modem_.nextDeadline()) {
            auto wait = std::max(Duration::zero(), *deadline - now);
            auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
            timeout.tv_sec = static_cast<time_t>(ns / 1000000000);
            timeout.tv_nsec = static_cast<long>(ns % 1000000000);
            timeoutPtr = &timeout;
        }

        if (::ppoll(fds, 3, timeoutPtr, &waitMask) < 0) {
            if (errno == EINTR)
                continue;
            log_.error(std::string("poll failed: ") + std::strerror(errno));
            return 1;
        }

        now = Clock::now();
        if (!serviceBench(fds[0].revents, now))
            break;
        if (callerFd >= 0 && caller_.callerFd() == callerFd)
            serviceCaller(fds[2].revents, now);
        if (fds[1].revents & POLLIN)
            serviceListener(now);
        collect(now);
    }
    if (benchLost_) {
        log_.error("lost the bench's line " + bench_.path() + "; stopping");
        return 1;
    }
    return 0;
}

bool ModemLoop::serviceBench(short revents, TimePoint now)
{
    if (revents & (POLLIN | POLLHUP | POLLERR)) {
        std::string data;
        const ReadResult got = bench_.read(data);
        if (got == ReadResult::Data) {
            log_.bytes("bench -> modem", data);
            modem_.benchBytes(data, now);
        } else if (got == ReadResult::Gone || (revents & (POLLHUP | POLLERR))) {
            // A hang-up with nothing to read would wake poll for ever: the device is gone.
            benchLost_ = true;
        }
    }
    if ((revents & POLLOUT) && !bench_.flush())
        benchLost_ = true;
    return !benchLost_ && collect(now);
}

void ModemLoop::serviceListener(TimePoint now)
{
    std::string peer;
    const int fd = caller_.acceptPending(peer);
    if (fd < 0)
        return;
    if (caller_.connected() || !modem_.callerArrived(now)) {
        log_.event("call from " + peer + " turned away: the line is busy");
        CallerLine::refuse(fd);
        return;
    }
    caller_.adopt(fd);
    log_.event("call from " + peer);
    collect(now);
}

void ModemLoop::serviceCaller(short revents, TimePoint now)
{
    if (revents & POLLIN) {
        std::string data;
        const ReadResult got = caller_.read(data);
        if (got == ReadResult::Gone) {
            callerGone(now, false);
            return;
        }
        if (got == ReadResult::Data) {
            log_.bytes("caller -> modem", data);
            modem_.callerBytes(data, now);
        }
    }
    if (revents & (POLLRDHUP | POLLHUP | POLLERR)) {
        callerGone(now, true);
        return;
    }
    if ((revents & POLLOUT) && !caller_.flush())
        callerGone(now, false);
}

void ModemLoop::callerGone(TimePoint now, bool passRemainingData)
{
    // What the caller sent before hanging up still reaches the bench, ahead of NO CARRIER;
    // the socket's buffer bounds how much that can be.
    if (passRemainingData && modem_.passesCallerData()) {
        std::string data;
        while (caller_.read(data) == ReadResult::Data) {
        }
        if (!data.empty()) {
            log_.bytes("caller -> modem", data);
            modem_.callerBytes(data, now);
        }
    }
    log_.event("the caller hung up");
    caller_.hangUp();
    modem_.callerHungUp(now);
    collect(now);
}

bool ModemLoop::collect(TimePoint now)
{
    if (std::string out = modem_.takeBenchOutput(); !out.empty()) {
        log_.bytes("modem -> bench", out);
        bench_.output().append(out);
    }
    if (!bench_.output().empty() && !bench_.flush())
        benchLost_ = true;

    if (std::string out = modem_.takeCallerOutput(); !out.empty() && caller_.connected()) {
        log_.bytes("modem -> caller", out);
        caller_.output().append(out);
    }
    if (modem_.takeHangUpRequest() && caller_.connected()) {
        log_.event("hanging up on the caller");
        caller_.hangUp();
    }
    if (caller_.connected() && !caller_.output().empty() && !caller_.flush()) {
        callerGone(now, false);
        return !benchLost_;
    }

    if (modem_.state() != lastState_) {
        lastState_ = modem_.state();
        log_.event(std::string("call state: ") + callStateName(lastState_));
    }
    if (modem_.dsr() != lastDsr_) {
        lastDsr_ = modem_.dsr();
        log_.event(std::string("DSR ") + (lastDsr_ ? "on" : "off"));
    }
    return !benchLost_;
}

} // namespace modemsim
