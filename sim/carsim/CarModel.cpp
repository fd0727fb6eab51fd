#include "sim/carsim/CarModel.h"

#include <algorithm>
#include <cmath>

namespace carsim {

namespace {
constexpr double kMaxStepSeconds = 0.02;
// Below this distance to the floor the car creeps in at levelling speed.
constexpr double kLevellingDistanceFeet = 0.25;
// The codes a run may leave in the fault log.
constexpr std::array<int, 5> kRunFaultCodes{9, 23, 24, 26, 58};
}  // namespace

CarModel::CarModel(std::uint64_t seed, CarUse use)
    : rng_(seed), use_(use), trafficRng_(seed ^ 0xC2B2AE3D27D4EB4FULL)
{
    if (use_.callsPerMinute > 0.0)
        untilNextCall_ = nextCallGap();
    // A car never comes out of the box with an empty fault log.
    std::uniform_int_distribution<std::size_t> pickCode(0, kRunFaultCodes.size() - 1);
    std::uniform_int_distribution<int> pickFloor(kBottomFloor, kTopFloor);
    faults_[0] = {kRunFaultCodes[pickCode(rng_)], pickFloor(rng_)};
    faults_[1] = {kRunFaultCodes[pickCode(rng_)], pickFloor(rng_)};
}

void CarModel::advance(double seconds)
{
    while (seconds > 0.0) {
        const double dt = std::min(seconds, kMaxStepSeconds);
        landingCalls(dt);
        if (phase_ == CarPhase::Idle && !anyCall() && use_.callsPerMinute <= 0.0)
            return;  // nothing changes while the car stands with no calls
        step(dt);
        seconds -= dt;
    }
}

// Calls arrive as passengers do: independently, at the given rate on average, at any floor.
void CarModel::landingCalls(double dt)
{
    if (use_.callsPerMinute <= 0.0)
        return;
    untilNextCall_ -= dt;
    std::uniform_int_distribution<int> pickFloor(kBottomFloor, kTopFloor);
    while (untilNextCall_ <= 0.0) {
        call(pickFloor(trafficRng_));
        untilNextCall_ += nextCallGap();
    }
}

double CarModel::nextCallGap()
{
    return std::exponential_distribution<double>(use_.callsPerMinute / 60.0)(trafficRng_);
}

bool CarModel::call(int floor)
{
    if (floor < kBottomFloor || floor > kTopFloor)
        return false;
    calls_[floor] = true;
    return true;
}

int CarModel::callNext(Direction direction)
{
    const bool running = phase_ == CarPhase::Starting || phase_ == CarPhase::Running
        || phase_ == CarPhase::Stopping;
    const int from = running ? target_ : floor();
    const int wanted = direction == Direction::Up ? from + 1 : direction == Direction::Down ? from - 1 : 0;
    return call(wanted) ? wanted : 0;
}

CarState CarModel::state() const
{
    CarState s;
    s.phase = phase_;
    s.direction = (phase_ == CarPhase::Starting || phase_ == CarPhase::Running
                      || phase_ == CarPhase::Stopping)
        ? runDirection_
        : Direction::None;
    s.positionFeet = position_;
    s.velocityFeetPerSecond = velocity_;
    s.floor = floor();
    s.targetFloor = target_;
    s.levelling = phase_ == CarPhase::Running
        && std::abs(floorPosition(target_) - position_) <= kLevellingDistanceFeet;
    s.calls = calls_;
    return s;
}

int CarModel::floor() const
{
    const int nearest = static_cast<int>(std::lround(position_ / kFloorHeightFeet)) + kBottomFloor;
    return std::clamp(nearest, kBottomFloor, kTopFloor);
}

bool CarModel::moving() const
{
    return phase_ == CarPhase::Running;
}

int CarModel::velocityFeetPerMinute() const
{
    if (!moving())
        return 0;
    // A moving car never reports zero: the terminal takes "  0" as a stop.
    return std::max(1, static_cast<int>(std::lround(velocity_ * 60.0)));
}

void CarModel::step(double dt)
{
    phaseSeconds_ += dt;
    const int here = floor();
    auto enter = [this](CarPhase next) {
        phase_ = next;
        phaseSeconds_ = 0.0;
    };

    switch (phase_) {
    case CarPhase::Idle:
        stepIdle();
        break;
    case CarPhase::DoorsOpening:
        calls_[here] = false;
        if (phaseSeconds_ >= kDoorTravelSeconds)
            enter(CarPhase::DoorsOpen);
        break;
    case CarPhase::DoorsOpen:
        if (calls_[here]) {  // a call for this floor holds the doors open longer
            calls_[here] = false;
            phaseSeconds_ = 0.0;
        } else if (phaseSeconds_ >= kDoorDwellSeconds) {
            enter(CarPhase::DoorsClosing);
        }
        break;
    case CarPhase::DoorsClosing:
        if (calls_[here]) {  // reopen for a call at this floor
            calls_[here] = false;
            enter(CarPhase::DoorsOpening);
        } else if (phaseSeconds_ >= kDoorTravelSeconds) {
            enter(CarPhase::Idle);
        }
        break;
    case CarPhase::Starting:
        runSeconds_ += dt;
        if (phaseSeconds_ >= kBrakeSeconds)
            enter(CarPhase::Running);
        break;
    case CarPhase::Running:
        runSeconds_ += dt;
        stepRunning(dt);
        break;
    case CarPhase::Stopping:
        runSeconds_ += dt;
        if (phaseSeconds_ >= kBrakeSeconds)
            finishRun();
        break;
    }
}

void CarModel::stepIdle()
{
    const int here = floor();
    if (calls_[here]) {
        calls_[here] = false;
        phase_ = CarPhase::DoorsOpening;
        phaseSeconds_ = 0.0;
        return;
    }
    const int next = nextStopFloor();
    if (next != 0)
        startRun(next);
}

int CarModel::nextStopFloor() const
{
    const int here = floor();
    int above = 0;
    for (int f = here + 1; f <= kTopFloor && above == 0; ++f)
        if (calls_[f])
            above = f;
    int below = 0;
    for (int f = here - 1; f >= kBottomFloor && below == 0; --f)
        if (calls_[f])
            below = f;
    // Keep going the way the car last went while there are calls that way.
    if (lastDirection_ == Direction::Up)
        return above != 0 ? above : below;
    return below != 0 ? below : above;
}

void CarModel::startRun(int target)
{
    target_ = target;
    runDirection_ = floorPosition(target) > position_ ? Direction::Up : Direction::Down;
    lastDirection_ = runDirection_;
    // The load in the car shaves a little off the contract speed, so no two runs time alike.
    std::uniform_real_distribution<double> load(0.96, 1.0);
    runSpeed_ = kContractSpeedFeetPerSecond * load(rng_);
    runSeconds_ = 0.0;
    velocity_ = 0.0;
    phase_ = CarPhase::Starting;
    phaseSeconds_ = 0.0;
}

void CarModel::stepRunning(double dt)
{
    const double sign = runDirection_ == Direction::Up ? 1.0 : -1.0;
    const double a = kAccelerationFeetPerSecond2;
    const double vLevel = kLevellingSpeedFeetPerSecond;

    // A call between here and the stop becomes the stop if the car can still slow down for it.
    const double brakingDistance = (velocity_ * velocity_ - vLevel * vLevel) / (2.0 * a)
        + kLevellingDistanceFeet;
    for (int f = kBottomFloor; f <= kTopFloor; ++f) {
        const int candidate = runDirection_ == Direction::Up ? f : kTopFloor + kBottomFloor - f;
        if (!calls_[candidate] || candidate == target_)
            continue;
        const double ahead = (floorPosition(candidate) - position_) * sign;
        const double toTarget = (floorPosition(target_) - position_) * sign;
        if (ahead > 0.0 && ahead < toTarget && ahead >= brakingDistance) {
            target_ = candidate;
            break;
        }
    }

    const double remaining = (floorPosition(target_) - position_) * sign;
    const double slowDown = std::sqrt(vLevel * vLevel
        + 2.0 * a * std::max(0.0, remaining - kLevellingDistanceFeet));
    double v = std::min({velocity_ + a * dt, runSpeed_, slowDown});
    v = std::max(v, vLevel);
    const double travel = v * dt;
    if (travel >= remaining) {
        position_ = floorPosition(target_);
        velocity_ = 0.0;
        calls_[target_] = false;
        phase_ = CarPhase::Stopping;
        phaseSeconds_ = 0.0;
        return;
    }
    position_ += sign * travel;
    velocity_ = v;
}

void CarModel::finishRun()
{
    bbtSeconds_ = std::min(runSeconds_, 99.99);
    std::bernoulli_distribution faulted(use_.faultChancePerRun);
    if (faulted(rng_)) {
        std::uniform_int_distribution<std::size_t> pickCode(0, kRunFaultCodes.size() - 1);
        logFault(kRunFaultCodes[pickCode(rng_)], floor());
    }
    phase_ = CarPhase::DoorsOpening;
    phaseSeconds_ = 0.0;
}

void CarModel::logFault(int code, int floor)
{
    // Register 0 holds the newest entry; the oldest falls off the end.
    for (std::size_t i = faults_.size() - 1; i > 0; --i)
        faults_[i] = faults_[i - 1];
    faults_[0] = {code, floor};
}

bool CarModel::anyCall() const
{
    return std::any_of(calls_.begin(), calls_.end(), [](bool c) { return c; });
}

}  // namespace carsim
