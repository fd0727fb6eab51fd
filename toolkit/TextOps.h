#pragma once
// The 1-based substring and search operations the windows' offsets are written in, and the
// number reading of cells. Plain C++ without Qt, so the reply parsers and the simulators' tests
// share them with the windows.
#include <string>
#include <string_view>

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

} // namespace toolkit
