// In-process terminal ingest: received pieces through the car window's receive event, the
// append routine, the reply buffer and its parser, and the pane, with the pane's widget brought
// up to date at a screen frame's pace.
#include "bench/FloodLines.h"
#include "carscope/ScopeForm1.h"
#include "serial/capture/CaptureSettings.h"
#include "carterm/TerminalAppend.h"
#include "tests/support/PseudoRandom.h"
#include "tests/support/WindowHarness.h"
#include "toolkit/TextBox.h"
#include "toolkit/Window.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>


namespace {

std::string floodPiece(size_t size)
{
    std::string piece = floodLines(size);
    piece.resize(size);
    return piece;
}

// The append routine and the pane's text alone, the same piece again and again.
void appendRepeatedly(benchmark::State& state, const std::string& piece)
{
    toolkit::TestPlatform platform;
    toolkit::Window window("Form1");
    toolkit::TextBox pane(window, "Term", toolkit::TextBox::Kind::MultiLine, toolkit::TextBox::BothScrollBars);
    pane.setHighRate(true);
    long termSize = 0;
    for (auto _ : state) {
        std::string data = piece;
        carterm::appendToPane(pane, data, termSize);
        benchmark::DoNotOptimize(pane.text().size());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(piece.size()));
}

void AppendToPane(benchmark::State& state)
{
    appendRepeatedly(state, floodPiece(static_cast<size_t>(state.range(0))));
}
BENCHMARK(AppendToPane)->Arg(64)->Arg(4095);

// The whole receive path of the car window: the piece again and again, the widget brought up
// to date after every `piecesPerFrame` pieces.
void receiveRepeatedly(benchmark::State& state, const std::string& piece, long piecesPerFrame, bool capture = false)
{
    QTemporaryDir captures;   // with `capture`, the session is recorded there as the programs do
    WindowHarness<carterm::ScopeForm1> window;
    window.form->MSComm1.record({capture, captures.path().toStdString(), 1LL << 40, "ingest_bench", ""});
    long n = 0;
    for (auto _ : state) {
        window.line->feed(piece);
        if (++n % piecesPerFrame == 0)
            window.form->Term.flushDisplay();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(piece.size()));
}

// Updated once per 16 ms of data at 40 MB/s (every 160 pieces of 4 KB, as a pseudo-terminal
// delivers them). Second argument 1: the session is captured.
void ReceivePath(benchmark::State& state)
{
    receiveRepeatedly(state, floodPiece(static_cast<size_t>(state.range(0))),
                      std::max<long>(1, 640000 / state.range(0)), state.range(1) == 1);
}
BENCHMARK(ReceivePath)->Args({64, 0})->Args({64, 1})->Args({4095, 0})->Args({4095, 1});

// A piece that piled up while a message box was up: text lines with a backspace about every
// 20 characters, sometimes several in a row.
std::string backspacePiece(size_t size)
{
    std::string piece = floodPiece(size);
    PseudoRandom random(1);
    for (char& c : piece)
        if ((random.next() >> 16) % 20 == 0)
            c = '\b';
    return piece;
}

// One large piece with backspaces through the append routine, and through the car window's
// whole receive path (reply buffer, parser, log-free). Time must grow with the size, not faster.
void AppendBackspacePiece(benchmark::State& state)
{
    appendRepeatedly(state, backspacePiece(static_cast<size_t>(state.range(0)) << 20));
}
BENCHMARK(AppendBackspacePiece)->Arg(1)->Arg(4)->Arg(16)->Iterations(3)->Unit(benchmark::kMillisecond);

void ReceiveBackspacePiece(benchmark::State& state)
{
    receiveRepeatedly(state, backspacePiece(static_cast<size_t>(state.range(0)) << 20), 1);
}
BENCHMARK(ReceiveBackspacePiece)->Arg(1)->Arg(4)->Arg(16)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
