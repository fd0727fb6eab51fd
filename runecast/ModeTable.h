#pragma once
// Operating-mode numbers of the controller and their short names.
#include <string>
#include <string_view>

namespace runecast {

// The name of the mode whose number is exactly `text` ("16" -> "ATT"); empty for the empty text
// and for any other text, including leading zeros, signs and spaces ("016", "+16", " 16").
std::string modeName(std::string_view text);

} // namespace runecast
