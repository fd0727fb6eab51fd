#include "carterm/TerminalAppend.h"

#include "toolkit/TextBox.h"

#include <algorithm>

namespace carterm {

void appendToPane(toolkit::TextBox& pane, std::string& data, long& termSize)
{
    // Keep the pane bounded however large the piece: drop the oldest 4096 characters as many
    // times as it takes to get under the limit, in one assignment.
    termSize = static_cast<long>(pane.text().size());
    if (termSize >= kPaneLimit) {
        const long drops = (termSize - kPaneLimit) / kPaneTrim + 1;
        pane.setText(std::string_view(pane.text()).substr(static_cast<size_t>(drops * kPaneTrim)));
        termSize = static_cast<long>(pane.text().size());
    }
    pane.setSelStart(termSize);

    int leading = 0;
    serial::applyBackspaces(data, leading);
    if (leading > 0) {
        // Every leading backspace selects the same last character, which the data replaces.
        // In an empty pane the insertion point is refused and nothing gets selected.
        pane.setSelStart(termSize - 1);
        pane.setSelLength(1);
    }
    data = serial::normaliseLineEnds(data);
    pane.setSelText(data);
}

} // namespace carterm
