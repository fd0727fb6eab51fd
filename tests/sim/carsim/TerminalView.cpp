#include "TerminalView.h"

namespace carsim::test {

std::string normaliseLineEnds(std::string_view received)
{
    std::string out;
    for (char c : received) {
        if (c == '\n')
            continue;
        out += c;
        if (c == '\r')
            out += '\n';
    }
    return out;
}

std::string lastReplyWindow(std::string_view text)
{
    if (text.size() <= kReplyBufferSize)
        return std::string(text);
    return std::string(text.substr(text.size() - kReplyBufferSize));
}

std::size_t findMarker(std::string_view buffer, std::string_view marker)
{
    const auto at = buffer.find(marker);
    return at == std::string_view::npos ? 0 : at + 1;
}

std::string charsAt(std::string_view buffer, std::size_t x, std::size_t n)
{
    if (x < 1 || x > buffer.size())
        return {};
    return std::string(buffer.substr(x - 1, n));
}

}  // namespace carsim::test
