#include "serial/LineEnds.h"

namespace serial {

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

// One pass: `kept` is the data before the current character with its backspaces already
// applied, so a backspace either takes back the last kept character or, when nothing is kept,
// is a leading one. Same result as removing the first backspace (and the character before it)
// again and again, in time proportional to the data.
void applyBackspaces(std::string& data, int& leadingBackspaces)
{
    leadingBackspaces = 0;
    size_t kept = 0;
    for (const char c : data) {
        if (c != '\b')
            data[kept++] = c;
        else if (kept > 0)
            --kept;
        else
            ++leadingBackspaces;
    }
    data.resize(kept);
}

} // namespace serial
