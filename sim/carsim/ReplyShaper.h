#pragma once
// Applies the chosen scenario to what the controller sends: silence swallows everything, garbage
// adds random bursts after replies, partial cuts I/O tables short. Timing (slow, hangup) belongs
// to the line loop. Seeded, so a run can be repeated byte for byte.
#include "sim/carsim/Scenario.h"

#include <cstdint>
#include <random>
#include <string>

namespace carsim {

enum class ReplyKind { Pmi, Velocity, Bbt, Faults, Acknowledgement, Error };

class ReplyShaper {
public:
    ReplyShaper(Scenario scenario, std::uint64_t seed);

    std::string echo(std::string bytes);
    std::string reply(ReplyKind kind, std::string bytes);

private:
    std::string garbageBurst();

    Scenario scenario_;
    std::mt19937_64 rng_;
};

}  // namespace carsim
