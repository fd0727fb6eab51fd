// The text boxes' text algorithms: box text against what a multi-line widget shows (CR LF and a
// lone CR are one line break), and an operator's edit on a widget that was still behind the box,
// carried over to the box's newer text.
#include "toolkit/TextOps.h"

#include <gtest/gtest.h>

using namespace toolkit;

TEST(TextOps, BoxTextAgainstWhatTheWidgetShows)
{
    const std::string t = "AB\r\nC\rD";
    EXPECT_EQ(displayText(t), "AB\nC\nD");
    const std::pair<long, long> positions[] = {{0, 0}, {2, 2}, {4, 3}, {5, 4}, {6, 5}, {7, 6}};
    for (auto [text, shown] : positions) {
        EXPECT_EQ(displayPosition(t, text), shown) << text;
        EXPECT_EQ(textPosition(t, shown), text) << shown;
    }

    const struct {
        const char *shown, *edited, *text; // what the widget showed, its edit, the box's newer text
        size_t dropped;                    // how much of `shown` the newer text lost at its front
        const char* carried;
        size_t end;
    } edits[] = {
        {"abc", "abXc", "abc", 0, "abXc", 3},
        {"hello", "hllo", "hello world", 0, "hllo world", 1},           // a tail came since
        {"abcdef", "abcdXef", "cdef12", 2, "cdXef12", 3},                // and the front went
        {"abc", "abcd", "xyz", std::string::npos, "xyzd", 4},           // changed otherwise
    };
    for (const auto& e : edits) {
        EXPECT_EQ(droppedFront(e.shown, e.text), e.dropped) << e.shown;
        EXPECT_EQ(carryEdit(e.shown, e.edited, e.text), std::make_pair(std::string(e.carried), e.end)) << e.edited;
    }
}
