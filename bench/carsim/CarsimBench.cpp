// How much of the controller's time one poll and one simulated minute cost: the terminals poll
// every 250 ms, so both must be far below that to leave the line loop idle.
#include "sim/carsim/CarModel.h"
#include "sim/carsim/CommandSession.h"
#include "sim/carsim/ReplyShaper.h"

#include <benchmark/benchmark.h>

namespace {

void BM_PollReply(benchmark::State& state)
{
    carsim::CarModel car(1);
    carsim::ReplyShaper shaper(carsim::Scenario::Normal, 1);
    carsim::CommandSession session(car, shaper);
    for (auto _ : state)
        benchmark::DoNotOptimize(session.receive("pmii\r"));
}
BENCHMARK(BM_PollReply);

void BM_CarMinuteOfRuns(benchmark::State& state)
{
    for (auto _ : state) {
        carsim::CarModel car(1);
        car.call(7);
        car.call(4);
        car.advance(60.0);
        benchmark::DoNotOptimize(car.floor());
    }
}
BENCHMARK(BM_CarMinuteOfRuns);

}  // namespace
