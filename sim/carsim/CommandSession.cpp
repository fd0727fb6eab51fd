#include "sim/carsim/CommandSession.h"

#include "sim/carsim/ReplyFormat.h"
#include "sim/carsim/SignalTable.h"

#include <algorithm>
#include <cctype>

namespace carsim {

namespace {
constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kBackspace = '\b';
constexpr char kDelete = '\x7f';

std::string normalised(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    std::string s(text.substr(first, last - first + 1));
    std::transform(s.begin(), s.end(), s.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool allDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}
}  // namespace

CommandSession::CommandSession(CarModel& car, ReplyShaper& shaper)
    : car_(car)
    , shaper_(shaper)
{
}

std::string CommandSession::receive(std::string_view bytes)
{
    std::string out;
    for (char c : bytes)
        out += receive(c);
    return out;
}

std::string CommandSession::receive(char byte)
{
    const bool afterCr = afterCr_;
    afterCr_ = byte == kCr;

    if (byte == kLf && afterCr)
        return {};  // CR LF from a terminal program: the CR already ended the line
    if (byte == kCr || byte == kLf) {
        std::string out = shaper_.echo(std::string(kLineEnd));
        const std::string command = tooLong_ ? std::string("?") : normalised(line_);
        line_.clear();
        tooLong_ = false;
        if (!command.empty())
            out += execute(command);
        return out;
    }
    if (byte == kBackspace || byte == kDelete) {
        if (line_.empty())
            return {};  // nothing typed on this line to rub out
        line_.pop_back();
        return shaper_.echo(std::string(1, byte));
    }
    if (line_.size() < kMaxLineLength)
        line_ += byte;
    else
        tooLong_ = true;
    return shaper_.echo(std::string(1, byte));
}

std::string CommandSession::execute(std::string_view command)
{
    if (command == "pmii")
        return shaper_.reply(ReplyKind::Pmi, formatPmiReply(buildPmiTable(car_.state())));
    if (command == "vel")
        return shaper_.reply(ReplyKind::Velocity, formatVelocityReply(car_.velocityFeetPerMinute()));
    if (command == "bbt")
        return shaper_.reply(ReplyKind::Bbt, formatBbtReply(car_.bbtSeconds()));
    if (command == "flt0")
        return shaper_.reply(ReplyKind::Faults, formatFaultReply(car_.faults()));
    if (command == "stu")
        return callReply(car_.callNext(Direction::Up));
    if (command == "std")
        return callReply(car_.callNext(Direction::Down));
    if (command == "install")
        return shaper_.reply(ReplyKind::Acknowledgement, formatInstallAck());
    if (command.starts_with("scc") && allDigits(command.substr(3))) {
        const std::string_view digits = command.substr(3);
        // Anything longer than two digits is no floor of this car either.
        const int floor = digits.size() <= 2 ? std::stoi(std::string(digits)) : 0;
        return callReply(car_.call(floor) ? floor : 0);
    }
    return shaper_.reply(ReplyKind::Error, formatUnknownCommand());
}

std::string CommandSession::callReply(int floor)
{
    return shaper_.reply(ReplyKind::Acknowledgement,
        floor != 0 ? formatCallAccepted(floor) : formatCallRefused());
}

}  // namespace carsim
