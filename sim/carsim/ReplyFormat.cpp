#include "sim/carsim/ReplyFormat.h"

#include <algorithm>
#include <cstdio>

namespace carsim {

namespace {
std::string line(std::string_view text)
{
    std::string s(text);
    s += kLineEnd;
    return s;
}

// Two decimal digits; anything out of range shows as the nearest limit.
std::string twoDigits(int value)
{
    char buf[3];
    std::snprintf(buf, sizeof buf, "%02d", std::clamp(value, 0, 99));
    return buf;
}
}  // namespace

std::string formatPmiReply(const PmiTable& table)
{
    std::string out = line(kPmiMarker);
    out += line(kPmiHeader);
    for (int k = 0; k < kPmiLines; ++k) {
        // The line number stands under the header's "#".
        std::string text = "    " + std::to_string(k + 1) + "  ";
        for (int r = 0; r < kPmiCells; ++r) {
            if (r > 0)
                text += ' ';
            text += static_cast<char>('0' + std::clamp(table[k][r], 0, 9));
        }
        out += line(text);
    }
    return out;
}

std::string formatVelocityReply(int feetPerMinute)
{
    char buf[4];
    std::snprintf(buf, sizeof buf, "%3d", std::clamp(feetPerMinute, 0, 999));
    return line(std::string(kVelocityMarker) + buf);
}

std::string formatBbtReply(double seconds)
{
    // Written so that NaN and negative zero also come out as " 0.00".
    seconds = seconds > 0.0 ? std::min(seconds, 99.99) : 0.0;
    char buf[8];
    std::snprintf(buf, sizeof buf, "%5.2f", seconds);
    return line(std::string(kBbtMarker) + "  =  " + buf);
}

std::string formatFaultReply(const FaultRegisters& faults)
{
    std::string out = line(std::string(kFaultBlockMarker) + " =");
    for (std::size_t n = 0; n < faults.size(); ++n)
        out += line("FLT  " + std::to_string(n) + "  " + twoDigits(faults[n].code) + " FL "
            + twoDigits(faults[n].floor));
    out += line("OK");
    return out;
}

std::string formatCallAccepted(int floor)
{
    return line("CALL " + std::to_string(floor));
}

std::string formatCallRefused()
{
    return line("NO CALL");
}

std::string formatInstallAck()
{
    return line("INSTALL OK");
}

std::string formatUnknownCommand()
{
    return line("?");
}

}  // namespace carsim
