// Reading fault-table text: what a well-formed table yields, and how each kind of bad line is
// reported.
#include "runecast/FaultTable.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using runecast::FaultTableError;
using runecast::NoteAction;
using runecast::parseFaultTable;

// The message of the error parsing `text` raises, checked to name `line`.
std::string errorFor(const std::string& text, int line)
{
    try {
        parseFaultTable(text);
    } catch (const FaultTableError& error) {
        EXPECT_EQ(error.line(), line) << error.what();
        return error.what();
    }
    ADD_FAILURE() << "accepted: " << text;
    return {};
}

TEST(FaultTableParser, KeepsDescriptionBytesAndReadsActions)
{
    const std::string text = "1\tkeep\tshow\tDivision by zero.\n"
                             "2\thide\tkeep\t  Two leading blanks, a run    of spaces.\n"
                             "3\tshow\thide\tOverlay\x92s only";
    const auto table = parseFaultTable(text);
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0].number, 1);
    EXPECT_EQ(table[0].text32, NoteAction::Keep);
    EXPECT_EQ(table[0].text33, NoteAction::Show);
    EXPECT_EQ(table[1].text32, NoteAction::Hide);
    EXPECT_EQ(table[1].description, "  Two leading blanks, a run    of spaces.");
    EXPECT_EQ(table[2].number, 3);
    EXPECT_EQ(table[2].text32, NoteAction::Show);
    EXPECT_EQ(table[2].text33, NoteAction::Hide);
    EXPECT_EQ(table[2].description, "Overlay\x92s only");

    EXPECT_TRUE(parseFaultTable("").empty());
}

TEST(FaultTableParser, ReportsTheLineAndWhatWasExpected)
{
    const std::string good = "1\tkeep\tkeep\tFirst.\n";
    const auto expectMessage = [](const std::string& message, const std::string& part) {
        EXPECT_NE(message.find(part), std::string::npos) << message;
    };

    expectMessage(errorFor(good + "2\tkeep\tkeep\n", 2), "3 field(s) where 4 are expected");
    expectMessage(errorFor(good + "2 keep keep Text\n", 2), "1 field(s)");
    expectMessage(errorFor(good + "2\tkeep\tkeep\tText\tmore\n", 2), "tab inside the description");
    expectMessage(errorFor(good + "\n2\tkeep\tkeep\tText\n", 2), "empty line");
    expectMessage(errorFor(good + "02\tkeep\tkeep\tText\n", 2), "without sign, spaces or leading zeros");
    expectMessage(errorFor(good + " 2\tkeep\tkeep\tText\n", 2), "' 2'");
    expectMessage(errorFor(good + "3\tkeep\tkeep\tText\n", 2), "fault number 3 where 2 is expected");
    expectMessage(errorFor(good + "1\tkeep\tkeep\tText\n", 2), "fault number 1 where 2 is expected");
    expectMessage(errorFor("0\tkeep\tkeep\tText\n", 1), "where 1 is expected");
    expectMessage(errorFor(good + "2\tShow\tkeep\tText\n", 2), "Text32 action 'Show' is not one of show, hide, keep");
    expectMessage(errorFor(good + "2\tkeep\t\tText\n", 2), "Text33 action ''");
    expectMessage(errorFor(good + "2\tkeep\tkeep\t\n", 2), "empty description");
    expectMessage(errorFor(good + "2\tkeep\tkeep\tText\r\n", 2), "byte 0x0D at description column 5");
    expectMessage(errorFor(good + "2\tkeep\tkeep\tA\x81" "B\n", 2), "byte 0x81");
    expectMessage(errorFor("1\tkeep\tkeep\tFirst.\r\n", 1), "line 1:");
}

TEST(BuiltInFaultTable, LoadsOnceAndLookupsPointIntoIt)
{
    const auto& first = runecast::faultTable();
    EXPECT_EQ(&first, &runecast::faultTable());
    EXPECT_EQ(runecast::lookupFault("145"), &first.back());
}

} // namespace
