#include "carterm/reply/ScopeReply.h"

#include "toolkit/TextOps.h"

namespace carterm::reply {

ScopeMarkers readScopeMarkers(std::string_view buffer)
{
    ScopeMarkers found;
    found.pollAnswer = toolkit::instr(buffer, pmi::kReplyMarker) != 0;
    found.velocity = textBehind(buffer, kVelocityMarker, kValueOffset, kVelocityLength);
    found.bbt = valueBehind(buffer, kBbtMarker, kValueOffset, kBbtLength);
    for (size_t n = 0; n < kFaultMarkers.size(); ++n)
        if (const long m = toolkit::instr(buffer, kFaultMarkers[n]))
            found.faults[n] = FaultRegister{toolkit::mid(buffer, m + kValueOffset, kFaultFieldLength),
                                            toolkit::mid(buffer, m + kFaultFloorOffset, kFaultFieldLength)};
    return found;
}

std::optional<ScopeTable> readScopeTable(std::string_view buffer)
{
    auto values = pmi::readTable(buffer);
    if (!values)
        return std::nullopt;
    ScopeTable table{std::move(*values), {}, {}};
    bool readable = true;
    for (int row = 1; row <= 4; ++row) {
        auto& bit = table.positionBits[static_cast<size_t>(row - 1)];
        bit = pmi::cellInteger(table.values.value(pmi::kPositionColumn, row));
        readable = readable && bit.has_value();
    }
    if (readable) {
        const auto& b = table.positionBits;
        table.floor = pmi::floorOf(*b[0], *b[1], *b[2], *b[3]);
    }
    return table;
}

ScopeReply parseScopeReply(std::string_view buffer) { return {readScopeMarkers(buffer), readScopeTable(buffer)}; }

} // namespace carterm::reply
