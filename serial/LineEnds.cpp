#include "serial/LineEnds.h"

namespace carterm {

std::string normaliseLineEnds(std::string_view data)
{
    std::string out;
    out.reserve(data.size() + data.size() / 32 + 8);
    for (char c : data) {
        if (c == '\n')
            continue;
        out.push_back(c);
        if (c == '\r')
            out.push_back('\n');
    }
    return out;
}

} // namespace carterm
