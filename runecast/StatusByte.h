#pragma once
// The texts a flag bank's byte box accepts: "00h" to "ffh" in lower case, and a few upper-case
// forms the controller's documentation used, which differ between the banks.
#include <cstdint>
#include <optional>
#include <string_view>

namespace runecast {

enum class FlagBank { DZ, CS, DS };

// The byte `text` stands for in `bank`, or nothing when the bank does not accept the text.
// The comparison is exact: no trimming, no other case forms, no prefixes.
std::optional<std::uint8_t> acceptedByte(FlagBank bank, std::string_view text);

} // namespace runecast
