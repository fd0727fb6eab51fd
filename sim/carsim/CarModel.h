#pragma once
// The simulated car: seven floors, a door operator, car calls, a trapezoid speed profile with a
// levelling creep, the brake-to-brake time of the last run and four fault registers.
// Pure: time only moves when advance() is called, randomness comes from the seed.
#include <array>
#include <cstdint>
#include <random>

namespace carsim {

constexpr int kBottomFloor = 1;
constexpr int kTopFloor = 7;

enum class CarPhase {
    Idle,         // level at a floor, doors closed, waiting for a call
    DoorsOpening,
    DoorsOpen,    // dwell
    DoorsClosing,
    Starting,     // contactor and brake picked, not moving yet
    Running,
    Stopping,     // level, brake dropping
};

enum class Direction { None, Up, Down };

struct FaultRecord {
    int code = 0;  // 0 = register empty
    int floor = 0;
    bool operator==(const FaultRecord&) const = default;
};

using FaultRegisters = std::array<FaultRecord, 4>;

// What the signal table is built from.
struct CarState {
    CarPhase phase = CarPhase::Idle;
    Direction direction = Direction::None;  // of the run in progress, None when not running
    double positionFeet = 0.0;              // 0 = floor 1
    double velocityFeetPerSecond = 0.0;
    int floor = kBottomFloor;               // nearest floor
    int targetFloor = kBottomFloor;
    bool levelling = false;                 // creeping into the floor at the end of a run
    std::array<bool, kTopFloor + 1> calls{};  // index = floor
};

// A car in use without anyone at a terminal: landing calls arriving at random, and how often a
// run leaves an entry in the fault log.
struct CarUse {
    double callsPerMinute = 0.0;   // 0: the car only moves when a terminal calls it
    double faultChancePerRun = 0.15;
};

class CarModel {
public:
    static constexpr double kFloorHeightFeet = 10.0;
    static constexpr double kContractSpeedFeetPerSecond = 200.0 / 60.0;
    static constexpr double kAccelerationFeetPerSecond2 = 2.0;
    static constexpr double kLevellingSpeedFeetPerSecond = 0.2;
    static constexpr double kDoorTravelSeconds = 2.0;
    static constexpr double kDoorDwellSeconds = 3.0;
    static constexpr double kBrakeSeconds = 0.5;
    // The value the terminals show before any reply; a run replaces it with its own time.
    static constexpr double kInitialBbtSeconds = 11.31;

    explicit CarModel(std::uint64_t seed, CarUse use = {});

    // Moves simulated time on; large steps are split so that the motion stays smooth.
    void advance(double seconds);

    // Registers a car call. Returns false (and changes nothing) for a floor outside 1-7.
    bool call(int floor);
    // Calls the floor above / below the car's next stop (its floor when it stands).
    // Returns the floor called, or 0 when there is none.
    int callNext(Direction direction);

    CarState state() const;
    int floor() const;
    bool moving() const;  // the SM signal: the car is in motion
    int velocityFeetPerMinute() const;
    double bbtSeconds() const { return bbtSeconds_; }
    const FaultRegisters& faults() const { return faults_; }
    CarPhase phase() const { return phase_; }

private:
    void step(double dt);
    void stepIdle();
    void stepRunning(double dt);
    void startRun(int target);
    void finishRun();
    void logFault(int code, int floor);
    void landingCalls(double dt);
    double nextCallGap();
    bool anyCall() const;
    int nextStopFloor() const;
    double floorPosition(int floor) const { return (floor - kBottomFloor) * kFloorHeightFeet; }

    std::mt19937_64 rng_;
    CarUse use_;
    // The passengers' randomness is kept apart, so that traffic does not shift the car's own.
    std::mt19937_64 trafficRng_;
    double untilNextCall_ = 0.0;
    CarPhase phase_ = CarPhase::Idle;
    double phaseSeconds_ = 0.0;  // time spent in the current phase
    Direction runDirection_ = Direction::None;
    Direction lastDirection_ = Direction::Up;
    double position_ = 0.0;
    double velocity_ = 0.0;
    double runSpeed_ = kContractSpeedFeetPerSecond;
    double runSeconds_ = 0.0;  // from brake lift, for the brake-to-brake time
    int target_ = kBottomFloor;
    std::array<bool, kTopFloor + 1> calls_{};
    double bbtSeconds_ = kInitialBbtSeconds;
    FaultRegisters faults_{};
};

}  // namespace carsim
