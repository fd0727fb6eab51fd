#include "toolkit/TextOps.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace toolkit {

std::string mid(std::string_view s, long pos, long n)
{
    if (pos < 1 || n <= 0 || static_cast<size_t>(pos) > s.size())
        return {};
    return std::string(s.substr(static_cast<size_t>(pos - 1), static_cast<size_t>(n)));
}

std::string right(std::string_view s, long n)
{
    if (n <= 0)
        return {};
    if (static_cast<size_t>(n) >= s.size())
        return std::string(s);
    return std::string(s.substr(s.size() - static_cast<size_t>(n)));
}

long instr(std::string_view s, std::string_view needle)
{
    const auto at = s.find(needle);
    return at == std::string_view::npos ? 0 : static_cast<long>(at) + 1;
}

double leadingNumber(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    std::string num;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        num.push_back(s[i++]);
    bool digits = false;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
        num.push_back(s[i++]);
        digits = true;
    }
    if (i < s.size() && s[i] == '.') {
        num.push_back(s[i++]);
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
            num.push_back(s[i++]);
            digits = true;
        }
    }
    return digits ? std::strtod(num.c_str(), nullptr) : 0.0;
}

std::string decimal(long long v) { return std::to_string(v); }

std::string_view trimmed(std::string_view text, std::string_view blanks)
{
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

namespace {
bool isPairedCr(std::string_view t, size_t i) { return t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n'; }
} // namespace

std::string displayText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        if (!isPairedCr(text, i))
            out.push_back(text[i] == '\r' ? '\n' : text[i]);
    return out;
}

long displayPosition(std::string_view text, long pos)
{
    long shown = 0;
    for (size_t i = 0; i < text.size() && static_cast<long>(i) < pos; ++i)
        if (!isPairedCr(text, i))
            ++shown;
    return shown;
}

long textPosition(std::string_view text, long displayPos)
{
    long shown = 0;
    size_t i = 0;
    for (; i < text.size() && shown < displayPos; ++i)
        if (!isPairedCr(text, i))
            ++shown;
    return static_cast<long>(i);
}

size_t droppedFront(std::string_view before, std::string_view now)
{
    if (now.starts_with(before))
        return 0;
    for (size_t d = 1; d < before.size() && d <= 65536; ++d)
        if (now.starts_with(before.substr(d)))
            return d;
    return std::string::npos;
}

std::pair<std::string, size_t> carryEdit(std::string_view shown, std::string_view edited, std::string text)
{
    size_t prefix = 0;
    while (prefix < shown.size() && prefix < edited.size() && shown[prefix] == edited[prefix])
        ++prefix;
    size_t suffix = 0;
    while (suffix < shown.size() - prefix && suffix < edited.size() - prefix &&
           shown[shown.size() - 1 - suffix] == edited[edited.size() - 1 - suffix])
        ++suffix;
    const size_t dropped = droppedFront(shown, text);
    const size_t shift = dropped == std::string::npos ? 0 : dropped;
    const size_t removedEnd = shown.size() - suffix;
    const size_t start = std::min(prefix > shift ? prefix - shift : 0, text.size());
    const size_t end = std::clamp(removedEnd > shift ? removedEnd - shift : 0, start, text.size());
    text.replace(start, end - start, edited.substr(prefix, edited.size() - suffix - prefix));
    return {std::move(text), start + edited.size() - suffix - prefix};
}

} // namespace toolkit
