#pragma once
// The 1-based substring and search operations the windows' offsets are written in, the number
// reading of cells, and the text boxes' mapping between their text and what their widgets show.
// Plain C++ without Qt, so the reply parsers and the simulators' tests share them with the windows.
#include <string>
#include <string_view>
#include <utility>

namespace toolkit {

// Up to n characters starting at 1-based position pos, cut short at the end (possibly empty).
std::string mid(std::string_view s, long pos, long n);
std::string right(std::string_view s, long n);
// 1-based position of the first occurrence of needle, 0 when absent.
long instr(std::string_view s, std::string_view needle);

// The number a text begins with, read the way the car terminals and the decoder read cells:
// leading blanks skipped, optional sign, digits with an optional fraction; no number reads 0.
double leadingNumber(std::string_view s);

// Decimal text of an integer, no blanks ("12", "-3").
std::string decimal(long long v);

// The text without the `blanks` around it (by default spaces and tabs).
std::string_view trimmed(std::string_view text, std::string_view blanks = " \t");

// A multi-line box shows its text with CR LF, and a lone CR, as one line break ('\n').
std::string displayText(std::string_view text);
// Where a position in the text (0-based) falls in the shown text, and back.
long displayPosition(std::string_view text, long pos);
long textPosition(std::string_view text, long displayPos);

// How many characters `now` lost from the front of `before` when it only lost its front and
// gained a tail (the terminal's way); npos when it changed otherwise.
size_t droppedFront(std::string_view before, std::string_view now);
// An edit the widget made to what it showed (`shown` became `edited`), applied to the box's
// newer `text`. Returns the text and where the edit ends in it.
std::pair<std::string, size_t> carryEdit(std::string_view shown, std::string_view edited, std::string text);

} // namespace toolkit
