#include "iobench/Readings.h"

#include "toolkit/TextOps.h"

#include <cstdio>
#include <limits>

namespace iobench {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The unsigned value of hexadecimal digits, or nothing above `limit`.
std::optional<uint64_t> hexValue(std::string_view text, uint64_t limit)
{
    text = toolkit::trimmed(text);
    if (text.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16 + static_cast<uint64_t>(d);
        if (value > limit)
            return std::nullopt;
    }
    return value;
}

// A signed decimal number within [low, high].
std::optional<int64_t> decimalValue(std::string_view text, int64_t low, int64_t high)
{
    text = toolkit::trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    int64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > high + 1) // enough to tell out of range in either direction
            return std::nullopt;
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

// 8000-FFFF are negative 16-bit numbers, widened with their sign.
int32_t widened16(uint64_t v) { return static_cast<int32_t>(static_cast<int16_t>(static_cast<uint16_t>(v))); }

} // namespace

std::optional<int32_t> readHex16(std::string_view text)
{
    const auto v = hexValue(text, 0xFFFF);
    if (!v)
        return std::nullopt;
    return widened16(*v);
}

// A decimal in the range of `Int`.
template <class Int>
std::optional<int32_t> readDecimal(std::string_view text)
{
    const auto v = decimalValue(text, std::numeric_limits<Int>::min(), std::numeric_limits<Int>::max());
    if (!v)
        return std::nullopt;
    return static_cast<int32_t>(*v);
}

std::optional<int32_t> readDec16(std::string_view text) { return readDecimal<int16_t>(text); }

std::optional<int32_t> readDec32(std::string_view text) { return readDecimal<int32_t>(text); }

std::optional<int32_t> readHex32(std::string_view text)
{
    const auto v = hexValue(text, 0xFFFFFFFF);
    if (!v)
        return std::nullopt;
    if (*v >= 0x8000 && *v <= 0xFFFF)
        return widened16(*v);
    return static_cast<int32_t>(static_cast<uint32_t>(*v));
}

std::optional<int32_t> readAs(ReadingKind kind, std::string_view text)
{
    switch (kind) {
    case ReadingKind::Hex16: return readHex16(text);
    case ReadingKind::Dec16: return readDec16(text);
    case ReadingKind::Dec32: return readDec32(text);
    case ReadingKind::Hex32: return readHex32(text);
    }
    return std::nullopt;
}

std::string acceptedForm(ReadingKind kind)
{
    switch (kind) {
    case ReadingKind::Hex16:
        return "a hexadecimal number from 0 to FFFF (digits 0-9 and A-F, for example 220 or 3FF)";
    case ReadingKind::Dec16:
        return "a whole decimal number from -32768 to 32767 (bus 0 or 1 on a PCI-KX9)";
    case ReadingKind::Dec32:
        return "a whole decimal number from -2147483648 to 2147483647; the digits are read as decimal, "
               "so 00000011 is eleven";
    case ReadingKind::Hex32:
        return "a hexadecimal number from 0 to FFFFFFFF (digits 0-9 and A-F, for example FF00FF03)";
    }
    return {};
}

std::string statusDisplay(int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(static_cast<uint32_t>(value)));
    return text;
}

} // namespace iobench
