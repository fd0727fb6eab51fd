// Looking a fault up by the text of the number box, and what the note actions add up to as the
// technician moves from fault to fault.
#include "tests/runecast/DocumentedFaults.h"
#include "runecast/FaultTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using runecast::applyNoteAction;
using runecast::lookupFault;
using runecast::NoteAction;

TEST(FaultLookup, AcceptsOnlyThePlainDecimalTextOf1To145)
{
    for (const char* text : {"1", "9", "10", "99", "100", "145"}) {
        const auto* entry = lookupFault(text);
        ASSERT_NE(entry, nullptr) << text;
        EXPECT_EQ(std::to_string(entry->number), text);
    }
    EXPECT_EQ(lookupFault("1")->description, "Division by zero.");

    for (const char* text : {"0", "146", "999", "05", "0145", "+5", "-5", " 5", "5 ", "", "abc",
                             "5a", "1e2", "5.0", "12 3", "99999999999999999999"}) {
        EXPECT_EQ(lookupFault(text), nullptr) << "'" << text << "'";
    }
    // The text is taken whole: an embedded NUL does not cut it short.
    EXPECT_EQ(lookupFault(std::string_view("5\0" "0", 3)), nullptr);
}

TEST(FaultLookup, NoteActionsShowHideOrKeep)
{
    EXPECT_TRUE(applyNoteAction(NoteAction::Show, false));
    EXPECT_FALSE(applyNoteAction(NoteAction::Hide, true));
    EXPECT_TRUE(applyNoteAction(NoteAction::Keep, true));
    EXPECT_FALSE(applyNoteAction(NoteAction::Keep, false));
}

struct Notes {
    bool text32 = false;
    bool text33 = false;
};

Notes visit(Notes notes, int number)
{
    const auto* entry = lookupFault(std::to_string(number));
    EXPECT_NE(entry, nullptr) << number;
    if (entry) {
        notes.text32 = applyNoteAction(entry->text32, notes.text32);
        notes.text33 = applyNoteAction(entry->text33, notes.text33);
    }
    return notes;
}

TEST(FaultLookup, Text33IsVisibleOnlyAtTheProgramErrorsWhenStepping)
{
    const std::set<int> visibleAt{1, 2, 3, 4, 5, 6, 41, 42};
    for (bool startVisible : {false, true}) {
        Notes up{startVisible, startVisible};
        for (int n = 1; n <= runecast::kFaultCount; ++n) {
            up = visit(up, n);
            EXPECT_EQ(up.text33, visibleAt.count(n) == 1) << "stepping up at " << n;
        }
        Notes down{startVisible, startVisible};
        for (int n = runecast::kFaultCount; n >= 1; --n) {
            down = visit(down, n);
            EXPECT_EQ(down.text33, visibleAt.count(n) == 1) << "stepping down at " << n;
        }
    }
}

TEST(FaultLookup, Text32IsShownAndHiddenByItsOwnEntriesOnly)
{
    const std::set<int> shows{5, 23, 27, 37, 38, 39};
    const std::set<int> hides{4, 6, 22, 24, 26, 28, 40, 41};
    for (int n = 1; n <= runecast::kFaultCount; ++n) {
        const NoteAction expected = shows.count(n)   ? NoteAction::Show
                                    : hides.count(n) ? NoteAction::Hide
                                                     : NoteAction::Keep;
        EXPECT_EQ(lookupFault(std::to_string(n))->text32, expected) << n;
    }
}

TEST(FaultLookup, NotesDependOnTheEntriesVisitedBefore)
{
    // 4 -> 5 -> 6: both notes at 5; at 6 only Text33.
    Notes notes = visit({}, 4);
    notes = visit(notes, 5);
    EXPECT_TRUE(notes.text32 && notes.text33);
    notes = visit(notes, 6);
    EXPECT_FALSE(notes.text32);
    EXPECT_TRUE(notes.text33);

    // Down from 37: Text32 stays up through 29. Up from 28: it stays down through 36.
    notes = visit({}, 37);
    for (int n = 36; n >= 29; --n) {
        notes = visit(notes, n);
        EXPECT_TRUE(notes.text32) << n;
    }
    notes = visit({true, true}, 28);
    for (int n = 29; n <= 36; ++n) {
        notes = visit(notes, n);
        EXPECT_FALSE(notes.text32) << n;
    }

    // Typing "10" visits 1 then 10 and leaves Text33 up; stepping from 9 leaves it down.
    EXPECT_TRUE(visit(visit({}, 1), 10).text33);
    EXPECT_FALSE(visit(visit(visit({}, 7), 9), 10).text33);
}

} // namespace
