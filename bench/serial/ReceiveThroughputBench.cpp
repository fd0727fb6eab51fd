// How fast received bytes get from a pseudo-terminal through CommControl to an onComm handler
// that takes them with input(). The writer thread plays the far end; the control runs on the
// main thread's event loop as in the programs.
#include "serial/capture/CaptureSettings.h"
#include "serial/control/CommControl.h"
#include "sim/common/PseudoTerminal.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cerrno>
#include <thread>
#include <unistd.h>

namespace {

void receiveThroughPty(benchmark::State& state)
{
    const size_t total = static_cast<size_t>(state.range(0)) << 20;
    const size_t writeSize = static_cast<size_t>(state.range(1));
    // Third argument 1: the session is recorded (into a scratch folder), as the programs do.
    QTemporaryDir captures;
    sim::PseudoTerminal pty;
    ::setenv("HOISTWISE_COM9", pty.slavePath().c_str(), 1);
    serial::control::CommControl control;
    control.record({state.range(2) == 1, captures.path().toStdString(), 1LL << 40, "serial_bench", ""});
    control.setCommPort(9);
    if (const auto error = control.setPortOpen(true)) {
        state.SkipWithError(error.text.c_str());
        return;
    }
    size_t received = 0;
    long events = 0;
    control.onComm = [&] {
        if (control.commEvent() == serial::comEvReceive) {
            received += control.input().size();
            ++events;
        }
    };

    const std::string chunk(writeSize, 'x');
    QTimer tick;   // keeps the loop from sleeping for ever if the writer stalls
    tick.start(50);
    for (auto _ : state) {
        received = 0;
        std::thread writer([&] {
            size_t sent = 0;
            while (sent < total) {
                const ssize_t n = ::write(pty.masterFd(), chunk.data(), std::min(chunk.size(), total - sent));
                if (n > 0)
                    sent += static_cast<size_t>(n);
                else if (errno != EINTR && errno != EAGAIN)
                    return;
            }
        });
        QElapsedTimer clock;
        clock.start();
        while (received < total && clock.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        writer.join();
        if (received < total) {
            state.SkipWithError("the data did not all arrive within 60 s");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(total));
    state.counters["bytes_per_event"] =
        benchmark::Counter(static_cast<double>(total) * static_cast<double>(state.iterations()) / std::max(events, 1L));
    ::unsetenv("HOISTWISE_COM9");
}

} // namespace

// Arguments: megabytes per run, bytes per write at the far end, capture off (0) or on (1).
BENCHMARK(receiveThroughPty)
    ->Args({64, 65536, 0})
    ->Args({64, 65536, 1})
    ->Args({16, 4096, 0})
    ->Args({16, 4096, 1})
    ->Args({4, 64, 0})
    ->Args({4, 64, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
