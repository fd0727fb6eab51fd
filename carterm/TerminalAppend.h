#pragma once
// The terminal append routine's first six steps, shared by the car terminals and the bench:
// trim the pane, apply backspaces, normalise line ends to CR LF and put the text in the pane.
#include "serial/LineEnds.h"

#include <string>

namespace toolkit {
class TextBox;
}

namespace carterm {

// The pane is trimmed by 4096 characters at a time until it holds fewer than this.
constexpr long kPaneLimit = 16384;
constexpr long kPaneTrim = 4096;

// Appends `data` to `pane`, rewriting `data` in place to what was appended. `termSize` is the
// pane length as last measured; it is kept by the caller between calls.
void appendToPane(toolkit::TextBox& pane, std::string& data, long& termSize);

// The data rewrites on their own: applyBackspaces, then line ends as CR LF (LineEnds.h).

} // namespace carterm
