#include "carterm/reply/TalkReply.h"

#include "toolkit/TextOps.h"

namespace carterm::reply {

namespace {
constexpr std::string_view kFaultBlockMarker = "FLT0";
constexpr long kFaultBlockLength = 76;
} // namespace

TalkMarkers readTalkMarkers(std::string_view buffer)
{
    TalkMarkers found;
    found.pollAnswer = toolkit::instr(buffer, pmi::kReplyMarker) != 0;
    if (!found.pollAnswer)
        return found;
    found.velocity = valueBehind(buffer, kVelocityMarker, kValueOffset, kVelocityLength);
    found.bbt = valueBehind(buffer, kBbtMarker, kValueOffset, kBbtLength);
    found.faultBlock = valueBehind(buffer, kFaultBlockMarker, kValueOffset, kFaultBlockLength);
    return found;
}

TalkReply parseTalkReply(std::string_view buffer) { return {readTalkMarkers(buffer), pmi::readTable(buffer)}; }

} // namespace carterm::reply
