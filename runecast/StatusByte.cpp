#include "runecast/StatusByte.h"

#include <algorithm>
#include <array>
#include <string>

namespace runecast {

namespace {

// Upper-case forms every bank accepts, and the two only the DZ bank accepts.
constexpr std::array<std::string_view, 6> kUpperCaseEverywhere = {"59H", "69H", "72H", "76H", "7DH", "7EH"};
constexpr std::array<std::string_view, 2> kUpperCaseDzOnly = {"F0H", "FCH"};

std::optional<int> lowerHexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return std::nullopt;
}

std::optional<std::uint8_t> lowerCaseByte(std::string_view text)
{
    if (text.size() != 3 || text[2] != 'h')
        return std::nullopt;
    const auto high = lowerHexDigit(text[0]);
    const auto low = lowerHexDigit(text[1]);
    if (!high || !low)
        return std::nullopt;
    return static_cast<std::uint8_t>(*high * 16 + *low);
}

template <size_t N>
bool listed(const std::array<std::string_view, N>& texts, std::string_view text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

std::string lowered(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

} // namespace

std::optional<std::uint8_t> acceptedByte(FlagBank bank, std::string_view text)
{
    if (const auto byte = lowerCaseByte(text))
        return byte;
    if (listed(kUpperCaseEverywhere, text) || (bank == FlagBank::DZ && listed(kUpperCaseDzOnly, text)))
        return lowerCaseByte(lowered(text));
    return std::nullopt;
}

} // namespace runecast
