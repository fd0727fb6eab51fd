// The serial control on a pseudo-terminal reached directly or through the real ser2net over
// RFC 2217 on loopback: the drain rate and CPU per MB of a flood from the far end, and the round
// trip of a command and its reply.
#include "serial/control/CommControl.h"
#include "sim/common/PseudoTerminal.h"
#include "tests/support/Ser2netProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

double cpuSeconds()
{
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

bool runUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// COM9 on a fresh pseudo-terminal, directly or through ser2net, open and answering.
struct Line {
    sim::PseudoTerminal pty;
    std::unique_ptr<Ser2netProcess> server;
    serial::control::CommControl control;
    std::string error;
    QTimer tick;   // wakes the loop now and then whatever happens

    // kind 0: the pseudo-terminal directly; 1: through ser2net as installed; 2: through ser2net
    // with buffers the size of ours (its default moves 64 bytes at a time) and no wait for more
    // characters before sending.
    explicit Line(int kind)
    {
        tick.start(50);
        std::string mapping = pty.slavePath();
        if (kind != 0) {
            Ser2netProcess::Connection connection{"telnet(rfc2217)", pty.slavePath()};
            if (kind == 2)
                connection.options = {"dev-to-net-bufsize: 65536", "net-to-dev-bufsize: 65536", "chardelay: false"};
            server = std::make_unique<Ser2netProcess>(std::vector<Ser2netProcess::Connection>{connection});
            if (!server->start()) {
                error = "ser2net did not start";
                return;
            }
            mapping = server->url("rfc2217");
        }
        ::setenv("HOISTWISE_COM9", mapping.c_str(), 1);
        control.setCommPort(9);
        control.setSettings("115200,n,8,1");
        bool answering = kind == 0;
        control.onNotice = [&](const std::string&) { answering = true; };   // the link is up
        if (const auto failed = control.setPortOpen(true))
            error = failed.text;
        else if (!runUntil([&] { return answering; }, 5000))
            error = "the server did not answer";
        control.onNotice = nullptr;
    }
    ~Line() { ::unsetenv("HOISTWISE_COM9"); }
};

void flood(benchmark::State& state)
{
    Line line(static_cast<int>(state.range(0)));
    if (!line.error.empty()) {
        state.SkipWithError(line.error.c_str());
        return;
    }
    const size_t total = 32u << 20;
    size_t received = 0;
    line.control.onComm = [&] {
        if (line.control.commEvent() == serial::comEvReceive)
            received += line.control.input().size();
    };
    const std::string chunk(4096, 'x');
    double cpu = 0;
    for (auto _ : state) {
        received = 0;
        const double cpuBefore = cpuSeconds();
        std::thread writer([&] {
            size_t sent = 0;
            while (sent < total) {
                const ssize_t n = ::write(line.pty.masterFd(), chunk.data(), std::min(chunk.size(), total - sent));
                if (n > 0)
                    sent += static_cast<size_t>(n);
                else if (errno != EINTR && errno != EAGAIN)
                    return;
            }
        });
        const bool all = runUntil([&] { return received >= total; }, 120000);
        writer.join();
        cpu += cpuSeconds() - cpuBefore;
        if (!all) {
            state.SkipWithError("the flood did not all arrive within 120 s");
            break;
        }
    }
    const double megabytes = static_cast<double>(total) * static_cast<double>(state.iterations()) / (1 << 20);
    state.SetBytesProcessed(static_cast<int64_t>(total) * state.iterations());
    // CPU of this process (window thread and gensio thread, not ser2net's) per MB drained.
    state.counters["cpu_ms_per_MB"] = cpu * 1000 / megabytes;
}

void roundTrip(benchmark::State& state)
{
    Line line(static_cast<int>(state.range(0)));
    if (!line.error.empty()) {
        state.SkipWithError(line.error.c_str());
        return;
    }
    // The far end answers each command line with a reply of a PMI table line's size.
    const std::string reply = "PMI 1 = 0 1 0 0 1 1 0 0 0 0 1 0 0 0 0 1\r\n";
    std::atomic<bool> stop = false;
    std::thread farEnd([&] {
        std::string pending;
        while (!stop) {
            pollfd p{line.pty.masterFd(), POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            char buffer[256];
            const ssize_t n = ::read(line.pty.masterFd(), buffer, sizeof buffer);
            for (ssize_t i = 0; i < n; ++i)
                if (buffer[i] == '\r')
                    (void)!::write(line.pty.masterFd(), reply.data(), reply.size());
        }
    });
    std::string got;
    line.control.onComm = [&] {
        if (line.control.commEvent() == serial::comEvReceive)
            got += line.control.input();
    };
    std::vector<double> samples;
    for (auto _ : state) {
        got.clear();
        const auto start = std::chrono::steady_clock::now();
        line.control.output("pmii\r");
        if (!runUntil([&] { return got.size() >= reply.size(); }, 5000)) {
            state.SkipWithError("no reply within 5 s");
            break;
        }
        samples.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    stop = true;
    farEnd.join();
    if (samples.empty())
        return;
    std::sort(samples.begin(), samples.end());
    state.counters["median_ms"] = samples[samples.size() / 2];
    state.counters["p99_ms"] = samples[std::min(samples.size() - 1, samples.size() * 99 / 100)];
}

} // namespace

// Argument: 0 the pseudo-terminal directly, 1 through ser2net as installed, 2 through ser2net
// with large buffers and no character delay.
BENCHMARK(flood)->Arg(0)->Arg(1)->Arg(2)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(roundTrip)->Arg(0)->Arg(1)->Arg(2)->Iterations(2000)->Unit(benchmark::kMicrosecond)->UseRealTime();
