#pragma once
// The text that refuses an operation because a field cannot be read as its number.
#include "iobench/Readings.h"

#include <string>
#include <string_view>

namespace iobench {

// Names the field (as the operator sees it, and by its control name), the text it holds and
// what it accepts.
std::string refusalMessage(std::string_view fieldName, std::string_view text, ReadingKind kind);

// The operator's name for a field of the bench window ("Board ID or Base IO" for
// boardid_textbox); the control name itself when it has none.
std::string fieldTitle(std::string_view fieldName);

} // namespace iobench
