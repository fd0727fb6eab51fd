#include "sim/carsim/ReplyShaper.h"

#include "sim/carsim/ReplyFormat.h"

namespace carsim {

namespace {
constexpr double kGarbageChance = 0.35;
constexpr int kGarbageMinBytes = 1;
constexpr int kGarbageMaxBytes = 24;
constexpr double kCutChance = 0.5;
}  // namespace

ReplyShaper::ReplyShaper(Scenario scenario, std::uint64_t seed)
    : scenario_(scenario)
    , rng_(seed)
{
}

std::string ReplyShaper::echo(std::string bytes)
{
    if (scenario_ == Scenario::Silence)
        return {};
    return bytes;
}

std::string ReplyShaper::reply(ReplyKind kind, std::string bytes)
{
    switch (scenario_) {
    case Scenario::Silence:
        return {};
    case Scenario::Garbage:
        if (std::bernoulli_distribution(kGarbageChance)(rng_))
            bytes += garbageBurst();
        return bytes;
    case Scenario::Partial: {
        // Cut somewhere after the marker line, so the terminal sees a table start and stop.
        const std::size_t keepAtLeast = kPmiMarker.size() + kLineEnd.size() + 1;
        if (kind == ReplyKind::Pmi && bytes.size() > keepAtLeast
            && std::bernoulli_distribution(kCutChance)(rng_)) {
            std::uniform_int_distribution<std::size_t> cut(keepAtLeast, bytes.size() - 1);
            bytes.resize(cut(rng_));
        }
        return bytes;
    }
    case Scenario::Normal:
    case Scenario::Slow:
    case Scenario::Hangup:
        break;
    }
    return bytes;
}

std::string ReplyShaper::garbageBurst()
{
    std::uniform_int_distribution<int> length(kGarbageMinBytes, kGarbageMaxBytes);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string burst(static_cast<std::size_t>(length(rng_)), '\0');
    for (char& c : burst)
        c = static_cast<char>(byte(rng_));
    return burst;
}

}  // namespace carsim
