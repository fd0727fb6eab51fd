// What one received piece costs carscope: the append to the pane and the reply buffer, the
// marker search over the buffer, and the table display. Runs on the offscreen platform.
#include "carscope/ScopeForm1.h"
#include "tests/support/WindowHarness.h"
#include "tests/carterm/scope_replies.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// The car window loaded, left hidden, with the poll started.
struct Window : WindowHarness<carterm::ScopeForm1> {
    Window() : WindowHarness({true, false}) { form->Command1.click(); }
};

// A poll as carsim answers it while the car runs: the echo, the table, a velocity reply.
std::string pollReply()
{
    scope_test::PmiTable t;
    t.sm('1');
    t.position('0', '0', '1', '0');
    return "pmii\r\n" + t.reply() + "vel\r\n" + scope_test::velocityReply("187");
}

void BM_PollReplyAsOnePiece(benchmark::State& state)
{
    Window w;
    const std::string reply = pollReply();
    for (auto _ : state)
        w.line->feed(reply);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(BM_PollReplyAsOnePiece);

// At 1200 baud a receive event brings a few characters at a time.
void BM_PollReplyInPieces(benchmark::State& state)
{
    Window w;
    const std::string reply = pollReply();
    const size_t piece = static_cast<size_t>(state.range(0));
    for (auto _ : state)
        for (size_t at = 0; at < reply.size(); at += piece)
            w.line->feed(std::string_view(reply).substr(at, piece));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
    state.counters["pieces"] = static_cast<double>((reply.size() + piece - 1) / piece);
}
BENCHMARK(BM_PollReplyInPieces)->Arg(1)->Arg(8)->Arg(64);

void BM_ReplyRecognitionOnAFullBuffer(benchmark::State& state)
{
    Window w;
    w.line->feed(pollReply() + pollReply());
    for (auto _ : state)
        w.form->Text1_Change();
}
BENCHMARK(BM_ReplyRecognitionOnAFullBuffer);

void BM_TableDisplay(benchmark::State& state)
{
    Window w;
    scope_test::PmiTable t;
    t.position('1', '1', '1', '0');
    w.line->feed(std::string(100, '.') + t.reply());
    w.line->takeSent();
    for (auto _ : state) {
        w.form->Timer1_Timer();
        benchmark::DoNotOptimize(w.form->txtpos.text());
    }
}
BENCHMARK(BM_TableDisplay);

} // namespace
