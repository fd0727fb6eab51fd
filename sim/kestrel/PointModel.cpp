#include "sim/kestrel/PointModel.h"

namespace kestrel_sim {

uint32_t PointModel::read(int32_t busNumber) const
{
    const BusState& bus = buses_[busNumber];
    uint32_t levels = (bus.outputs & bus.config) | (kPlugLevels & ~bus.config);

    // Shorted points share one wire: a high level on either shows on both. Repeat so that a
    // chain of shorts (0-1, 1-2) carries a level all along it.
    for (int pass = 0; pass < kPointsPerBus && !scenario_.shorts.empty(); ++pass) {
        const uint32_t before = levels;
        for (const ShortedPoints& pair : scenario_.shorts) {
            const uint32_t a = 1u << pair.first;
            const uint32_t b = 1u << pair.second;
            if (levels & (a | b))
                levels |= a | b;
        }
        if (levels == before)
            break;
    }

    for (const StuckPoint& stuck : scenario_.stuck) {
        const uint32_t bit = 1u << stuck.point;
        levels = stuck.level ? (levels | bit) : (levels & ~bit);
    }

    // Must-off is applied last so that off wins where a point is in both masks.
    return (levels | bus.mustOn) & ~bus.mustOff;
}

} // namespace kestrel_sim
