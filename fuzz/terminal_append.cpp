// The terminal append routine against a plain reference of its rules, piece by piece: the pane
// keeps under 16384 characters by dropping its oldest 4096 at a time, a backspace erases the
// character before it (a leading one the pane's last character), line feeds go, and every
// carriage return gains one line feed. The first input byte sets how full the pane starts.
#include "fuzz/FuzzCheck.h"
#include "tests/support/ReferencePane.h"
#include "carterm/TerminalAppend.h"
#include "toolkit/TestPlatform.h"
#include "toolkit/TextBox.h"
#include "toolkit/Window.h"

namespace {

// A pane already holding `size` characters of earlier lines.
std::string earlierText(size_t size)
{
    std::string text;
    while (text.size() < size)
        text += text.size() % 40 == 38 ? "\r\n" : "x";
    text.resize(size);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::startQt();
    static toolkit::TestPlatform platform;
    static toolkit::Window window("Form1");
    static toolkit::TextBox pane(window, "Term", toolkit::TextBox::Kind::MultiLine, toolkit::TextBox::BothScrollBars);
    pane.setHighRate(true); // as in the car windows and the bench: the widget follows later
    if (size == 0)
        return 0;

    ReferencePane reference;
    reference.text = earlierText(size_t{data[0]} * 65);
    pane.setText(reference.text);
    long termSize = 0;
    for (std::string piece : fuzz::pieces(data + 1, size - 1)) {
        const std::string want = reference.append(piece);
        carterm::appendToPane(pane, piece, termSize);
        fuzz::checkEqual(piece, want, "the data is rewritten as the reference rewrites it");
        fuzz::checkEqual(pane.text(), reference.text, "the pane holds what the reference holds");
        fuzz::check(termSize == reference.termSize, "the measured pane size is the reference's");
    }
    return 0;
}
