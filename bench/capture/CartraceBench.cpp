// cartrace on a long capture: opening it (reading and decoding every reply) and redrawing the
// timeline after a zoom or a pan, painted into an image the size of a window.
//   CAPTURE=/tmp/hour.timing build/bin/cartrace_bench
#include "cartrace/TimelinePainter.h"
#include "cartrace/TraceData.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

const char* capturePath()
{
    const char* path = std::getenv("CAPTURE");
    return path != nullptr ? path : "/tmp/hoistwise-hour.timing";
}

void openCapture(benchmark::State& state)
{
    for (auto _ : state) {
        cartrace::TraceData data;
        if (!data.open(capturePath())) {
            state.SkipWithError(data.error().c_str());
            return;
        }
        state.counters["replies"] = static_cast<double>(data.states().size());
    }
}

// One redraw of a 1500 x 700 window after the view changed: `share` of the session shown,
// moved on by a tenth of the view each time (a pan) or shrunk by 20 % (a zoom step).
void redraw(benchmark::State& state, bool zoom)
{
    cartrace::TraceData data;
    if (!data.open(capturePath())) {
        state.SkipWithError(data.error().c_str());
        return;
    }
    QImage image(1500, 700, QImage::Format_RGB32);
    cartrace::TimelineView view;
    view.lanes = cartrace::defaultSignals();
    const long long whole = data.duration();
    long long span = state.range(0) == 0 ? whole : whole / state.range(0);
    view.from = 0;
    view.to = span;
    const cartrace::TimelinePainter painter;
    for (auto _ : state) {
        if (zoom) {
            span = span * 8 / 10 < 1000000 ? whole : span * 8 / 10;
            view.to = view.from + span;
        } else {
            view.from = (view.from + span / 10) % std::max(whole - span, 1LL);
            view.to = view.from + span;
        }
        QPainter p(&image);
        painter.paint(p, image.rect(), data, view);
    }
}

void zoomRedraw(benchmark::State& state) { redraw(state, true); }
void panRedraw(benchmark::State& state) { redraw(state, false); }

} // namespace

BENCHMARK(openCapture)->Unit(benchmark::kMillisecond)->Iterations(3);
// Argument: the view shows 1/N of the session (0: all of it).
BENCHMARK(zoomRedraw)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(panRedraw)->Arg(0)->Arg(4)->Arg(60)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
