#include "sim/carsim/SignalTable.h"

#include <cmath>

namespace carsim {

namespace {
// Slowdown switches open this far before the terminal landings.
constexpr double kSlowdown1Feet = 6.0;
constexpr double kSlowdown2Feet = 3.0;
// Levelling and door zones around each floor.
constexpr double kLevelZoneFeet = 0.75;
constexpr double kLevelToleranceFeet = 0.05;

int bit(bool b)
{
    return b ? 1 : 0;
}
}  // namespace

int positionParity(int floor)
{
    const int ones = (floor & 1) + ((floor >> 1) & 1) + ((floor >> 2) & 1);
    return ones % 2 == 0 ? 1 : 0;
}

PmiTable buildPmiTable(const CarState& car)
{
    const double top = (kTopFloor - kBottomFloor) * CarModel::kFloorHeightFeet;
    const double pos = car.positionFeet;
    const double offset = pos - (car.floor - kBottomFloor) * CarModel::kFloorHeightFeet;

    const bool doorsClosed = car.phase != CarPhase::DoorsOpening && car.phase != CarPhase::DoorsOpen
        && car.phase != CarPhase::DoorsClosing;
    const bool inRun = car.phase == CarPhase::Starting || car.phase == CarPhase::Running
        || car.phase == CarPhase::Stopping;
    const bool running = car.phase == CarPhase::Running;
    const bool up = car.direction == Direction::Up;
    const bool down = car.direction == Direction::Down;
    const bool brakeLifted = car.phase == CarPhase::Starting || running;
    const bool fast = running && !car.levelling
        && car.velocityFeetPerSecond > 2.0 * CarModel::kLevellingSpeedFeetPerSecond;
    const bool doorZone = std::abs(offset) <= kLevelZoneFeet;
    const bool upLevelZone = offset >= -kLevelZoneFeet && offset <= kLevelToleranceFeet;
    const bool downLevelZone = offset <= kLevelZoneFeet && offset >= -kLevelToleranceFeet;
    const bool doorsOpen = car.phase == CarPhase::DoorsOpen;
    const bool opening = car.phase == CarPhase::DoorsOpening;
    const bool closing = car.phase == CarPhase::DoorsClosing;

    PmiTable t{};
    // SU1 SD1 SU2 SD2 - - - MC UT DT UR DR RUN GL AU TRIP (slowdowns are closed contacts)
    t[0] = {bit(pos < top - kSlowdown1Feet), bit(pos > kSlowdown1Feet), bit(pos < top - kSlowdown2Feet),
        bit(pos > kSlowdown2Feet), 0, 0, 0, bit(inRun), bit(inRun && up), bit(inRun && down),
        bit(running && up), bit(running && down), bit(running), bit(doorsClosed), 1, 0};
    // GV HS CS ICS GL1 ICA LRS DD DOL DCL DL6 IC ULZ DLZ LZM LZF
    t[1] = {1, 1, 1, 1, bit(doorsClosed), 0, 0, 0, bit(doorsOpen), bit(doorsClosed), bit(doorsClosed), 0,
        bit(upLevelZone), bit(downLevelZone), bit(doorZone), bit(doorZone)};
    // DOB SE LR DCB RSB FC FR FAL FBP - LVE BZ HBZ SM - -
    t[2] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, bit(car.levelling), 0, 0, bit(running), 0, 0};
    // POP R1 R2 R4 - - - BCR UP DP DO DC NR FSL UDL DDL
    const int f = car.floor;
    t[3] = {positionParity(f), f & 1, (f >> 1) & 1, (f >> 2) & 1, 0, 0, 0, bit(brakeLifted),
        bit(inRun && up), bit(inRun && down), bit(opening), bit(closing), 0, bit(fast),
        bit(pos < top - kLevelToleranceFeet), bit(pos > kLevelToleranceFeet)};
    // Registered car calls, floors 1-7.
    for (int floor = kBottomFloor; floor <= kTopFloor; ++floor)
        t[4][floor - kBottomFloor] = bit(car.calls[floor]);
    // Hall calls: this car takes car calls only, so the hall registers stay clear.
    t[5] = {};
    // Door operator: open, close, open limit, close limit, then its idle outputs.
    t[6] = {bit(opening), bit(closing), bit(doorsOpen), bit(doorsClosed), 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0};
    // Position indicator lamps 1-7, direction arrows, in-service lamp.
    for (int floor = kBottomFloor; floor <= kTopFloor; ++floor)
        t[7][floor - kBottomFloor] = bit(car.floor == floor);
    t[7][8] = bit(up);
    t[7][9] = bit(down);
    t[7][10] = 1;
    return t;
}

}  // namespace carsim
