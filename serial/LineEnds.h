#pragma once
// Line ends as the terminals keep received text: line feeds dropped and every CR followed by
// one LF, so each line ends in CR LF whatever the far end sent. Plain C++, no Qt.
#include <string>
#include <string_view>

namespace serial {

std::string normaliseLineEnds(std::string_view data);

// Backspaces applied within `data`: each erases the character before it; one with nothing
// before it in `data` is dropped and counted in `leadingBackspaces` (it erases what the pane
// already shows).
void applyBackspaces(std::string& data, int& leadingBackspaces);

} // namespace serial
