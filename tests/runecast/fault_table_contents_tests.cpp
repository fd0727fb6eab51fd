// The built-in fault table against the documented table, and the layout of its descriptions
// in the description box.
#include "tests/runecast/DocumentedFaults.h"
#include "runecast/FaultTable.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <string_view>

namespace {

using runecast::faultTable;

// The description box shows about 45 characters a line. A run of spaces pushes the next
// lettered item onto a line of its own; since a space is about half as wide as an average
// character, only a run of two spaces per character of a line is sure to reach the edge.
constexpr std::size_t kCharsPerLine = 45;
constexpr std::size_t kItemBreak = 2 * kCharsPerLine;
constexpr std::size_t kLinesInBox = 12;

// Lines of a greedy word wrap; spaces that reach the edge end the line and are not carried over.
std::size_t wrappedLineCount(std::string_view text)
{
    std::size_t lines = 1;
    std::size_t column = 0;
    for (std::size_t i = 0; i < text.size();) {
        const bool space = text[i] == ' ';
        std::size_t end = i;
        while (end < text.size() && (text[end] == ' ') == space)
            ++end;
        const std::size_t length = end - i;
        if (!space && column > 0 && column + length > kCharsPerLine) {
            ++lines;
            column = 0;
        }
        column += length;
        if (space && column >= kCharsPerLine && end < text.size()) {
            ++lines;
            column = 0;
        }
        i = end;
    }
    return lines;
}

TEST(BuiltInFaultTable, Has145EntriesNumberedWithoutGaps)
{
    const auto& table = faultTable();
    ASSERT_EQ(table.size(), 145u);
    for (std::size_t i = 0; i < table.size(); ++i)
        EXPECT_EQ(table[i].number, static_cast<int>(i + 1));
    ASSERT_EQ(std::size(decoder_tests::kDocumentedFaults), table.size());
}

TEST(BuiltInFaultTable, AgreesWithTheDocumentedTable)
{
    const auto& table = faultTable();
    ASSERT_EQ(table.size(), std::size(decoder_tests::kDocumentedFaults));
    for (const auto& doc : decoder_tests::kDocumentedFaults) {
        SCOPED_TRACE("fault " + std::to_string(doc.number));
        const auto& entry = table[static_cast<std::size_t>(doc.number - 1)];
        const std::string_view beginning = doc.beginning;
        EXPECT_EQ(entry.number, doc.number);
        EXPECT_EQ(entry.text32, doc.text32);
        EXPECT_EQ(entry.text33, doc.text33);
        if (doc.wholeText) {
            EXPECT_EQ(entry.description, beginning);
        } else {
            EXPECT_EQ(std::string_view(entry.description).substr(0, beginning.size()), beginning);
            EXPECT_GT(entry.description.size(), beginning.size() + 20) << "the rest is missing";
        }
    }
}

TEST(BuiltInFaultTable, ApostropheIsTheCodePageByteNotUtf8)
{
    for (int number : {133, 134}) {
        const std::string& text = faultTable()[static_cast<std::size_t>(number - 1)].description;
        EXPECT_NE(text.find("Overlay\x92s only"), std::string::npos) << number;
    }
    for (const auto& entry : faultTable()) {
        for (char c : entry.description) {
            const auto byte = static_cast<unsigned char>(c);
            EXPECT_TRUE((byte >= 0x20 && byte < 0x7F) || byte == 0x92)
                << "fault " << entry.number << " has byte " << int(byte);
        }
    }
}

TEST(BuiltInFaultTable, ListItemsStartTheirOwnLinesAndTextFitsTheBox)
{
    for (const auto& entry : faultTable()) {
        SCOPED_TRACE("fault " + std::to_string(entry.number));
        const std::string& text = entry.description;
        EXPECT_NE(text.back(), ' ');

        // Long runs of spaces only ever lead to the next item, lettered a, b, c ... in turn.
        char nextLetter = 'a';
        for (std::size_t i = 0; i < text.size();) {
            if (text[i] != ' ') {
                ++i;
                continue;
            }
            std::size_t end = text.find_first_not_of(' ', i);
            const std::size_t run = end - i;
            if (run > 2) {
                EXPECT_GE(run, kItemBreak) << "run at column " << i;
                ASSERT_LT(end + 2, text.size());
                EXPECT_EQ(text[end], nextLetter) << "item at column " << end;
                EXPECT_EQ(text.substr(end + 1, 2), ". ");
                ++nextLetter;
            }
            i = end;
        }
        EXPECT_NE(nextLetter, 'b') << "a list of one item";

        EXPECT_LE(wrappedLineCount(text), kLinesInBox) << "does not fit the box";
    }
}

} // namespace
