#pragma once
// The car terminal's view of received text, rebuilt here so that the tests read replies exactly
// as the terminal does: line feeds dropped, every CR followed by one LF, the last 418 characters
// kept, 1-based positions, substrings cut short at the end.
#include <cstddef>
#include <string>
#include <string_view>

namespace carsim::test {

constexpr std::size_t kReplyBufferSize = 418;

std::string normaliseLineEnds(std::string_view received);
std::string lastReplyWindow(std::string_view text);
// 1-based position of the first occurrence, 0 when absent.
std::size_t findMarker(std::string_view buffer, std::string_view marker);
// n characters at 1-based position x, cut short (possibly to empty) where the buffer ends.
std::string charsAt(std::string_view buffer, std::size_t x, std::size_t n);

}  // namespace carsim::test
