// The bench's numeric fields against a reference of each accepted form: blanks around, then
// hexadecimal digits (16 or 32 bits) or a signed decimal number within its range.
#include "fuzz/FuzzCheck.h"
#include "toolkit/TextOps.h"
#include "iobench/Readings.h"

#include <optional>

using iobench::ReadingKind;

namespace {

std::optional<int64_t> hex(std::string_view s, int64_t max)
{
    s = toolkit::trimmed(s);
    if (s.empty())
        return std::nullopt;
    int64_t v = 0;
    for (char c : s) {
        const char* digits = "0123456789abcdef";
        const char lower = (c >= 'A' && c <= 'F') ? static_cast<char>(c + 32) : c;
        const char* at = lower ? std::char_traits<char>::find(digits, 16, lower) : nullptr;
        if (!at)
            return std::nullopt;
        v = v * 16 + (at - digits);
        if (v > max)
            return std::nullopt;
    }
    return v;
}

std::optional<int64_t> dec(std::string_view s, int64_t min, int64_t max)
{
    s = toolkit::trimmed(s);
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    if (s.empty())
        return std::nullopt;
    int64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
        if (v > (int64_t{1} << 40))
            return std::nullopt;
    }
    v = negative ? -v : v;
    if (v < min || v > max)
        return std::nullopt;
    return v;
}

// 8000-FFFF stand for negative 16-bit numbers in both hexadecimal kinds.
int64_t signed16(int64_t v) { return v >= 0x8000 && v <= 0xFFFF ? v - 0x10000 : v; }

std::optional<int32_t> reference(ReadingKind kind, std::string_view s)
{
    std::optional<int64_t> v;
    switch (kind) {
    case ReadingKind::Hex16: v = hex(s, 0xFFFF); if (v) v = signed16(*v); break;
    case ReadingKind::Dec16: v = dec(s, -32768, 32767); break;
    case ReadingKind::Dec32: v = dec(s, INT32_MIN, INT32_MAX); break;
    case ReadingKind::Hex32:
        v = hex(s, 0xFFFFFFFF);
        if (v)
            v = *v > 0xFFFF ? static_cast<int32_t>(static_cast<uint32_t>(*v)) : signed16(*v);
        break;
    }
    if (!v)
        return std::nullopt;
    return static_cast<int32_t>(*v);
}

std::string shown(std::optional<int32_t> v) { return v ? std::to_string(*v) : "nothing"; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text = fuzz::asText(data, size);
    for (ReadingKind kind : {ReadingKind::Hex16, ReadingKind::Dec16, ReadingKind::Dec32, ReadingKind::Hex32}) {
        const auto got = iobench::readAs(kind, text);
        fuzz::checkEqual(shown(got), shown(reference(kind, text)), "a reading matches the reference");
        if (got && (kind == ReadingKind::Hex16 || kind == ReadingKind::Hex32)) {
            // What the status field shows reads back as the same value.
            const std::string display = iobench::statusDisplay(*got);
            fuzz::checkEqual(shown(iobench::readHex32(display)), shown(got), "the status display reads back");
        }
    }
    return 0;
}
