// Seeking in a long replay as carscope does it: the car window on the replay of a capture, its
// checkpoints kept by the first pass, then ten seeks back and forth across the whole capture,
// each timed from the call to the window standing at the moment (nothing drawn: offscreen).
//   replay_seek_bench CAPTURE
#include "carscope/ScopeForm1.h"
#include "carterm/ReplayBar.h"
#include "serial/capture/ReplayBackend.h"
#include "toolkit/QtPlatform.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {
double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: replay_seek_bench CAPTURE\n");
        return 2;
    }
    setvbuf(stdout, nullptr, _IOLBF, 0);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    toolkit::QtPlatform platform("Hoistwise");
    toolkit::setPlatform(&platform);

    auto start = std::chrono::steady_clock::now();
    auto backend = std::make_unique<serial::capture::ReplayBackend>(argv[1]);
    serial::capture::ReplayBackend& replay = *backend;
    carterm::ScopeForm1 window(std::move(backend));
    carterm::ReplayBar bar(replay);
    bar.drive(window);
    std::printf("open (length walk, fault index): %.0f ms\n", msSince(start));
    start = std::chrono::steady_clock::now();
    window.load();
    replay.setPlaying(false);
    while (replay.checkpoints() == 0)
        QCoreApplication::processEvents();
    std::printf("first pass (%zu checkpoints): %.0f ms\n", replay.checkpoints(), msSince(start));

    // Back and forth: each seek lands far from the last, in every part of the capture.
    const long long length = replay.duration();
    std::vector<double> took;
    for (int i = 0; i < 10; ++i) {
        const long long to = (i % 2 ? i * length / 20 : length - i * length / 20) - 123457 * i;
        start = std::chrono::steady_clock::now();
        replay.seek(to);
        took.push_back(msSince(start));
        std::printf("seek to %6.0f s: %6.1f ms  (floor %s, stops %s)\n", to / 1e6, took.back(),
                    window.txtpos.text().c_str(), window.Text2.text().c_str());
    }
    std::sort(took.begin(), took.end());
    std::printf("ten seeks in a %.1f h capture: median %.1f ms, worst %.1f ms\n", length / 3.6e9,
                (took[4] + took[5]) / 2, took.back());
    return 0;
}
