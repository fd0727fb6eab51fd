#include "carterm/reply/ReplyText.h"

#include "toolkit/TextOps.h"

namespace carterm::reply {

std::string lastReplyWindow(std::string_view text) { return toolkit::right(text, kReplyBufferSize); }

std::optional<MarkedText> textBehind(std::string_view buffer, std::string_view marker, long offset, long count)
{
    const long at = toolkit::instr(buffer, marker);
    if (at == 0)
        return std::nullopt;
    return MarkedText{at, toolkit::mid(buffer, at + offset, count)};
}

std::optional<std::string> valueBehind(std::string_view buffer, std::string_view marker, long offset, long count)
{
    if (auto found = textBehind(buffer, marker, offset, count))
        return std::move(found->text);
    return std::nullopt;
}

} // namespace carterm::reply
