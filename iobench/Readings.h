#pragma once
// How the bench reads the numbers typed into its fields, and how it shows a read value.
// Pure functions: a reading gives the number, or nothing when the text is not a number of
// its kind or is out of its range. Blanks around the digits are allowed.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace iobench {

enum class ReadingKind {
    Hex16, // board id / base address: hexadecimal 0-FFFF, 8000-FFFF negative
    Dec16, // bus number: decimal, 16-bit signed
    Dec32, // configuration and output masks: decimal digits, 32-bit signed
    Hex32, // must-on / must-off masks: hexadecimal 0-FFFFFFFF, 8000-FFFF widened with their sign
};

std::optional<int32_t> readHex16(std::string_view text);
std::optional<int32_t> readDec16(std::string_view text);
std::optional<int32_t> readDec32(std::string_view text);
std::optional<int32_t> readHex32(std::string_view text);
std::optional<int32_t> readAs(ReadingKind kind, std::string_view text);

// What a field of this kind accepts, in words for the operator.
std::string acceptedForm(ReadingKind kind);

// A read value as the status field shows it: upper-case hexadecimal without leading zeros;
// negative values as their eight-digit two's complement ("FF00FF03").
std::string statusDisplay(int32_t value);

} // namespace iobench
