#pragma once
// The controller's command line: echoes what it receives, collects a line up to its CR and
// answers the command. Pure: bytes in, bytes out, against a car model that the caller keeps
// up to date with the clock.
#include "sim/carsim/CarModel.h"
#include "sim/carsim/ReplyShaper.h"

#include <string>
#include <string_view>

namespace carsim {

class CommandSession {
public:
    // Longer lines are echoed but answered with the error line, as nothing valid is that long.
    static constexpr std::size_t kMaxLineLength = 80;

    CommandSession(CarModel& car, ReplyShaper& shaper);

    // Returns what goes back on the line for this byte: its echo and, at a line end, the reply.
    std::string receive(char byte);
    std::string receive(std::string_view bytes);

private:
    std::string execute(std::string_view command);
    std::string callReply(int floor);

    CarModel& car_;
    ReplyShaper& shaper_;
    std::string line_;
    bool tooLong_ = false;
    bool afterCr_ = false;
};

}  // namespace carsim
