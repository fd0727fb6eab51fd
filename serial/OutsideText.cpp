#include "serial/OutsideText.h"

#include <cstdio>

namespace serial {

namespace {

std::string hex(unsigned char c)
{
    char code[5];
    std::snprintf(code, sizeof code, "\\x%02x", c);
    return code;
}

// Length of the UTF-8 sequence starting at `at`, or 0 when the bytes there are not one.
std::size_t utf8Length(std::string_view s, std::size_t at)
{
    const auto c = static_cast<unsigned char>(s[at]);
    const std::size_t n = c >= 0xc2 && c <= 0xdf ? 2 : c >= 0xe0 && c <= 0xef ? 3 : c >= 0xf0 && c <= 0xf4 ? 4 : 0;
    if (n == 0 || at + n > s.size())
        return 0;
    for (std::size_t i = 1; i < n; ++i)
        if ((static_cast<unsigned char>(s[at + i]) & 0xc0) != 0x80)
            return 0;
    // U+0080..U+009F are the C1 controls: some terminals act on them too.
    if (n == 2 && c == 0xc2 && static_cast<unsigned char>(s[at + 1]) < 0xa0)
        return 0;
    return n;
}

// The code point of the UTF-8 sequence of `n` bytes at `at`.
char32_t codePoint(std::string_view s, std::size_t at, std::size_t n)
{
    char32_t cp = static_cast<unsigned char>(s[at]) & (0xff >> (n + 1));
    for (std::size_t i = 1; i < n; ++i)
        cp = (cp << 6) | (static_cast<unsigned char>(s[at + i]) & 0x3f);
    return cp;
}

// The marks and overrides that turn the text around them right to left: a quoted name could
// otherwise reverse the message it stands in.
bool bidiControl(char32_t cp)
{
    return cp == 0x061c || cp == 0x200e || cp == 0x200f || (cp >= 0x202a && cp <= 0x202e)
        || (cp >= 0x2066 && cp <= 0x2069);
}

} // namespace

std::string printable(std::string_view text, std::size_t limit)
{
    const std::string_view shown = text.substr(0, limit);
    std::string out;
    out.reserve(shown.size());
    for (std::size_t i = 0; i < shown.size();) {
        const auto c = static_cast<unsigned char>(shown[i]);
        if (c >= 0x20 && c < 0x7f) {
            out += shown[i++];
            continue;
        }
        if (c >= 0x80) {
            if (const std::size_t n = utf8Length(shown, i)) {
                const char32_t cp = codePoint(shown, i, n);
                if (bidiControl(cp)) {
                    char code[8];
                    std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned>(cp));
                    out += code;
                } else {
                    out.append(shown.substr(i, n));
                }
                i += n;
            } else {
                out += hex(c);
                ++i;
            }
            continue;
        }
        switch (c) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case 0x1b: out += "\\e"; break;
        default: out += hex(c); break;
        }
        ++i;
    }
    if (text.size() > limit)
        out += "... (" + std::to_string(text.size()) + " bytes)";
    return out;
}

} // namespace serial
