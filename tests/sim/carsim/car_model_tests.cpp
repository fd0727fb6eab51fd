#include "sim/carsim/CarModel.h"
#include "sim/carsim/SignalTable.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

using namespace carsim;

namespace {

constexpr double kTick = 0.05;  // a little faster than the terminal polls

// Table positions (line index, cell index) of the signals the tests watch.
struct Cell {
    int line;
    int cell;
};
constexpr Cell kGL{0, 13};
constexpr Cell kDOL{1, 8};
constexpr Cell kDCL{1, 9};
constexpr Cell kDL6{1, 10};
constexpr Cell kULZ{1, 12};
constexpr Cell kDLZ{1, 13};
constexpr Cell kLZM{1, 14};
constexpr Cell kSM{2, 13};
constexpr Cell kUP{3, 8};
constexpr Cell kDP{3, 9};
constexpr Cell kDO{3, 10};
constexpr Cell kDC{3, 11};

int signal(const CarModel& car, Cell c)
{
    return buildPmiTable(car.state())[c.line][c.cell];
}

// Runs the car until it stands with doors closed and no calls, or the time is up.
double settle(CarModel& car, double limitSeconds = 120.0)
{
    double t = 0.0;
    do {
        car.advance(kTick);
        t += kTick;
    } while (t < limitSeconds && car.phase() != CarPhase::Idle);
    return t;
}

void driveTo(CarModel& car, int floor)
{
    ASSERT_TRUE(car.call(floor));
    settle(car);
    ASSERT_EQ(car.phase(), CarPhase::Idle);
    ASSERT_EQ(car.floor(), floor);
}

}  // namespace

TEST(CarPosition, BinaryFloorWithOddParityAtEveryFloor)
{
    // POP, R1, R2, R4 as the terminal decodes them into "1" to "7".
    const int expected[8][4] = {
        {}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, 1, 1, 0}, {0, 0, 0, 1}, {1, 1, 0, 1}, {1, 0, 1, 1}, {0, 1, 1, 1}};
    CarModel car(7);
    for (int floor : {1, 2, 3, 4, 5, 6, 7, 3, 1}) {
        if (floor != car.floor())
            driveTo(car, floor);
        const PmiLine line4 = buildPmiTable(car.state())[3];
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(line4[i], expected[floor][i]) << "floor " << floor << " bit " << i;
        EXPECT_EQ((line4[0] + line4[1] + line4[2] + line4[3]) % 2, 1) << "floor " << floor;
        EXPECT_EQ(positionParity(floor), expected[floor][0]);
    }
}

TEST(CarRun, VelocityRisesAndFallsWhileSmIsSet)
{
    CarModel car(3);
    ASSERT_EQ(car.floor(), 1);
    ASSERT_TRUE(car.call(4));

    std::vector<int> speeds;
    bool sawUp = false;
    double t = 0.0;
    while (t < 60.0 && !(car.phase() == CarPhase::Idle && t > 1.0)) {
        car.advance(kTick);
        t += kTick;
        const bool moving = signal(car, kSM) == 1;
        EXPECT_EQ(moving, car.moving());
        if (moving) {
            EXPECT_GT(car.velocityFeetPerMinute(), 0) << "at " << t << " s";
            EXPECT_LE(car.velocityFeetPerMinute(), 200);
            speeds.push_back(car.velocityFeetPerMinute());
            sawUp = sawUp || signal(car, kUP) == 1;
            EXPECT_EQ(signal(car, kDP), 0);
            EXPECT_EQ(signal(car, kGL), 1) << "moving with the gate open";
        } else {
            EXPECT_EQ(car.velocityFeetPerMinute(), 0) << "at " << t << " s";
        }
    }
    EXPECT_TRUE(sawUp);
    EXPECT_EQ(car.floor(), 4);
    ASSERT_FALSE(speeds.empty());

    // One peak: never faster again after slowing down.
    std::size_t peak = 0;
    for (std::size_t i = 0; i < speeds.size(); ++i)
        if (speeds[i] > speeds[peak])
            peak = i;
    for (std::size_t i = 1; i <= peak; ++i)
        EXPECT_GE(speeds[i], speeds[i - 1]) << "accelerating, sample " << i;
    for (std::size_t i = peak + 1; i < speeds.size(); ++i)
        EXPECT_LE(speeds[i], speeds[i - 1]) << "slowing down, sample " << i;
    EXPECT_GE(speeds[peak], 150);
    EXPECT_LT(speeds.front(), 50);
    EXPECT_LT(speeds.back(), 50);
}

TEST(CarRun, OneFloorTakesAFewSecondsAndSetsBbt)
{
    CarModel car(11);
    EXPECT_DOUBLE_EQ(car.bbtSeconds(), CarModel::kInitialBbtSeconds);
    ASSERT_EQ(car.callNext(Direction::Up), 2);

    double moving = 0.0;
    double t = 0.0;
    while (t < 60.0 && car.phase() != CarPhase::DoorsOpening) {
        car.advance(kTick);
        t += kTick;
        if (car.moving())
            moving += kTick;
    }
    EXPECT_GE(moving, 2.0);
    EXPECT_LE(moving, 8.0);
    EXPECT_GT(car.bbtSeconds(), moving);
    EXPECT_LT(car.bbtSeconds(), moving + 2.0);
    EXPECT_NE(car.bbtSeconds(), CarModel::kInitialBbtSeconds);
}

TEST(CarRun, DoorsCycleAroundARunAndLocksFollowThem)
{
    CarModel car(5);
    ASSERT_TRUE(car.call(2));
    std::vector<CarPhase> phases{car.phase()};
    double t = 0.0;
    while (t < 60.0 && !(car.phase() == CarPhase::Idle && phases.size() > 1)) {
        car.advance(kTick);
        t += kTick;
        if (car.phase() != phases.back())
            phases.push_back(car.phase());

        const bool closed = signal(car, kDCL) == 1;
        EXPECT_EQ(signal(car, kGL), closed ? 1 : 0);
        EXPECT_EQ(signal(car, kDL6), closed ? 1 : 0);
        EXPECT_EQ(signal(car, kDO), car.phase() == CarPhase::DoorsOpening ? 1 : 0);
        EXPECT_EQ(signal(car, kDC), car.phase() == CarPhase::DoorsClosing ? 1 : 0);
        EXPECT_EQ(signal(car, kDOL), car.phase() == CarPhase::DoorsOpen ? 1 : 0);
        if (!closed) {
            // Doors open only in the door zone, level with the floor.
            EXPECT_EQ(signal(car, kLZM), 1);
            EXPECT_EQ(signal(car, kULZ), 1);
            EXPECT_EQ(signal(car, kDLZ), 1);
        }
    }
    const std::vector<CarPhase> expected{CarPhase::Idle, CarPhase::Starting, CarPhase::Running, CarPhase::Stopping,
        CarPhase::DoorsOpening, CarPhase::DoorsOpen, CarPhase::DoorsClosing, CarPhase::Idle};
    EXPECT_EQ(phases, expected);
}

TEST(CarRun, LevelZonesDropBetweenFloors)
{
    CarModel car(9);
    ASSERT_TRUE(car.call(3));
    double t = 0.0;
    bool sawOutOfZone = false;
    while (t < 60.0 && car.phase() != CarPhase::Stopping) {
        car.advance(kTick);
        t += kTick;
        if (signal(car, kLZM) == 0) {
            sawOutOfZone = true;
            EXPECT_EQ(signal(car, kULZ), 0);
            EXPECT_EQ(signal(car, kDLZ), 0);
        }
    }
    EXPECT_TRUE(sawOutOfZone);
}

TEST(CarCalls, StopsOnTheWayAndServesCallsBehindAfterwards)
{
    CarModel car(21);
    ASSERT_TRUE(car.call(6));
    // Let it get going, then call a floor it can still stop at and one behind it.
    double t = 0.0;
    while (t < 2.0) {
        car.advance(kTick);
        t += kTick;
    }
    ASSERT_TRUE(car.moving());
    ASSERT_TRUE(car.call(4));
    ASSERT_TRUE(car.call(1));

    std::vector<int> stops;
    t = 0.0;
    while (t < 180.0 && stops.size() < 3) {
        const CarPhase before = car.phase();
        car.advance(kTick);
        t += kTick;
        if (before == CarPhase::Running && car.phase() == CarPhase::Stopping)
            stops.push_back(car.floor());
    }
    EXPECT_EQ(stops, (std::vector<int>{4, 6, 1}));
}

TEST(CarCalls, NoCallOutsideTheShaft)
{
    CarModel car(1);
    EXPECT_FALSE(car.call(0));
    EXPECT_FALSE(car.call(8));
    EXPECT_FALSE(car.call(-3));
    EXPECT_EQ(car.callNext(Direction::Down), 0);
    EXPECT_EQ(car.phase(), CarPhase::Idle);

    driveTo(car, 7);
    EXPECT_EQ(car.callNext(Direction::Up), 0);
    // While running, "one floor on" counts from the next stop, not from where the car is.
    EXPECT_EQ(car.callNext(Direction::Down), 6);
    car.advance(1.0);
    EXPECT_EQ(car.callNext(Direction::Down), 5);
}

TEST(CarCalls, CallAtTheCarsFloorOpensTheDoors)
{
    CarModel car(2);
    ASSERT_TRUE(car.call(1));
    car.advance(0.1);
    EXPECT_EQ(car.phase(), CarPhase::DoorsOpening);
    settle(car);
    EXPECT_EQ(car.floor(), 1);
    EXPECT_DOUBLE_EQ(car.bbtSeconds(), CarModel::kInitialBbtSeconds);  // no run, no new time
}

TEST(CarModel, SameSeedSameCar)
{
    CarModel a(42), b(42);
    EXPECT_EQ(a.faults()[0].code, b.faults()[0].code);
    for (int floor : {5, 2, 7}) {
        a.call(floor);
        b.call(floor);
        // One big step against many small ones: time is split internally either way.
        a.advance(40.0);
        for (int i = 0; i < 800; ++i)
            b.advance(0.05);
        EXPECT_EQ(a.floor(), b.floor());
        EXPECT_NEAR(a.bbtSeconds(), b.bbtSeconds(), 0.05);
    }
}

// A car in use: landing calls come by themselves, the runs log faults at the chance given, and the
// same seed gives the same day again.
TEST(CarInUse, TrafficRunsTheCarAndLogsFaultsRepeatably)
{
    const auto day = [](CarUse use) {
        CarModel car(11, use);
        const FaultRegisters before = car.faults();
        int runs = 0;
        bool wasMoving = false;
        for (int tick = 0; tick < 10 * 60 * 10; ++tick) {   // ten minutes in tenths
            car.advance(0.1);
            runs += car.moving() && !wasMoving;
            wasMoving = car.moving();
        }
        return std::tuple{runs, car.faults() != before, car.faults()[0].code, car.faults()[0].floor};
    };
    EXPECT_EQ(std::get<0>(day({0.0, 1.0})), 0);   // no traffic, no run
    const auto busy = day({6.0, 1.0});
    EXPECT_GE(std::get<0>(busy), 10);
    EXPECT_TRUE(std::get<1>(busy));
    EXPECT_EQ(busy, day({6.0, 1.0}));
    EXPECT_FALSE(std::get<1>(day({6.0, 0.0})));
}
