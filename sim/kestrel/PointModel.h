#pragma once
// One adapter's two buses of 32 points with the loopback plug fitted. Bit n of a packed value is
// point n of the bus. A point set in the configuration mask is an output and reads back the level
// last written to it; every other point is an input and reads what the plug ties it to.
#include <array>
#include <cstdint>

#include "sim/kestrel/Scenario.h"

namespace kestrel_sim {

constexpr int kBusCount = 2;
constexpr int kPointsPerBus = 32;

// The plug ties points 1, 8-15 and 24-31 high and the rest low, so with point 0 configured as
// the output the bench's standard test reads FF00FF03 after writing 1 and FF00FF02 after 0.
constexpr uint32_t kPlugLevels = 0xFF00FF02u;

struct BusState {
    uint32_t config = 0; // 1 = output
    uint32_t outputs = 0;
    uint32_t mustOn = 0;
    uint32_t mustOff = 0;
};

class PointModel {
public:
    explicit PointModel(Scenario scenario = {}) : scenario_(std::move(scenario)) {}

    static bool validBus(int32_t bus) { return bus >= 0 && bus < kBusCount; }

    // Callers check the bus first.
    void configure(int32_t bus, uint32_t mask) { buses_[bus].config = mask; }
    void update(int32_t bus, uint32_t value) { buses_[bus].outputs = value; }
    void momo(int32_t bus, uint32_t mustOn, uint32_t mustOff)
    {
        buses_[bus].mustOn = mustOn;
        buses_[bus].mustOff = mustOff;
    }
    uint32_t read(int32_t bus) const;

    const Scenario& scenario() const { return scenario_; }
    const BusState& bus(int32_t bus) const { return buses_[bus]; }

private:
    std::array<BusState, kBusCount> buses_{};
    Scenario scenario_;
};

} // namespace kestrel_sim
