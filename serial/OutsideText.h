#pragma once
// Text that comes from outside the kit (a device path, a file name, a line of the ports file, a
// device's own description) before it is printed or shown: a control character could otherwise
// drive the technician's terminal (an escape sequence) or break a message box apart, and a huge
// value could fill the screen.
#include <cstddef>
#include <string>
#include <string_view>

namespace serial {

// How much of an outside text a message quotes.
inline constexpr std::size_t kQuotedLength = 200;

// `text` with every control character written as an escape (\n, \t, \r, \e, \x7f; bytes that
// are not UTF-8 as \xHH; the bidirectional marks and overrides as \u202e), cut after `limit` bytes with "..." and the full length.
std::string printable(std::string_view text, std::size_t limit = kQuotedLength);

} // namespace serial
