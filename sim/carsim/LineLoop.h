#pragma once
// The controller's side of the line: reads what arrives, lets the command session answer,
// writes the answers (paced at the line rate in the slow scenario), keeps the car's clock,
// and hangs up when told to. Waits in ppoll with a timeout; never spins.
#include "sim/carsim/CarModel.h"
#include "sim/carsim/CommandSession.h"
#include "sim/carsim/Scenario.h"

#include <csignal>
#include <string>

namespace carsim {

struct LineSettings {
    Scenario scenario = Scenario::Normal;
    long baud = 1200;
    double hangupAfterSeconds = 10.0;
};

enum class LineOutcome {
    Stopped,   // a stop signal arrived
    HungUp,    // the hangup scenario's time ran out
    LineLost,  // the device went away (the other end hung up, the adapter was pulled)
};

class LineLoop {
public:
    // Like a controller's UART buffer: bytes beyond this, while the controller is still busy
    // sending, are dropped.
    static constexpr std::size_t kReceiveCapacity = 256;
    // The controller takes the next received byte only while less than this waits to be sent.
    static constexpr std::size_t kSendLowWater = 64;

    LineLoop(int fd, CarModel& car, CommandSession& session, const LineSettings& settings,
        const sigset_t& waitMask);

    LineOutcome run();
    const std::string& lostReason() const { return lostReason_; }

private:
    // Each returns false when the line is lost; the counts say whether anything moved.
    bool readInput(std::size_t& got);
    bool writeOutput(double now, std::size_t& sent);
    std::size_t takeInput();
    void noteDropped(std::size_t count);

    int fd_;
    CarModel& car_;
    CommandSession& session_;
    LineSettings settings_;
    sigset_t waitMask_;
    double byteSeconds_;  // time one byte takes on the line
    std::string received_;
    std::string toSend_;
    bool writeBlocked_ = false;
    double nextByteDue_ = 0.0;  // slow scenario: when the next byte may go
    std::size_t droppedInEpisode_ = 0;
    std::string lostReason_;
};

}  // namespace carsim
