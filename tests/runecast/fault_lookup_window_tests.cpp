// The error code lookup as the technician uses it: typing into the number box with key
// releases, the stepper and its clamping, and the note boxes that some entries keep.
#include "tests/runecast/DecoderFixture.h"
#include "runecast/FaultTable.h"
#include "runecast/TypedFaultNumber.h"

#include <QScrollBar>

#include <set>

using runecast::lookupFault;
using runecast::stepperPositionFor;

namespace {
std::string description(int fault) { return lookupFault(std::to_string(fault))->description; }
} // namespace

TEST(TypedFaultNumber, LeadingNumberRoundedHalfToEvenAndHeldInTheStepperRange)
{
    const std::pair<const char*, int> cases[] = {
        {"12", 12},   {"  7", 7},     {"12ab", 12},   {"ab", 0},      {"", 0},       {"05", 5},
        {"2.5", 2},   {"3.5", 4},     {"12.5", 12},   {"0.5", 0},     {"7.51", 8},   {"-7", 0},
        {"40000", 32767}, {"99999999999999999999999", 32767},         {"-1e999", 0}, {"1 2", 1},
    };
    for (const auto& [text, position] : cases)
        EXPECT_EQ(stepperPositionFor(text, 0, 32767), position) << "'" << text << "'";
}

TEST_F(DecoderTest, TypingANumberLooksItUpAtEveryKeyAndMovesTheStepperOnRelease)
{
    w.VScroll1.setValue(7);
    selectAll(w.Text30);
    w.Text30.type("1");
    EXPECT_EQ(shown(), description(1) + " [33]");
    w.Text30.type("2");
    EXPECT_EQ(w.Text30.text(), "12");
    EXPECT_EQ(w.Text31.text(), description(12));
    EXPECT_EQ(w.VScroll1.value(), 12);

    selectAll(w.Text30);
    w.Text30.type("20");
    EXPECT_EQ(w.VScroll1.value(), 20);
    w.Text30.type("0");
    EXPECT_EQ(w.Text30.text(), "145");
    EXPECT_EQ(w.VScroll1.value(), 145);
    EXPECT_EQ(w.Text31.text(), description(145));
}

TEST_F(DecoderTest, DeletingTheNumberEmptiesTheLookupUntilTheKeyIsReleased)
{
    w.VScroll1.setValue(30);
    w.Text30.setSelStart(2);
    w.Text30.userKey(toolkit::kKeyBack, toolkit::kKeyBack);
    EXPECT_EQ(w.Text30.text(), "3");
    EXPECT_EQ(w.VScroll1.value(), 3);
    w.Text30.setText(""); // the Delete key's edit; its release follows
    EXPECT_EQ(shown(), "");
    w.VScroll1.setValue(5);
    w.Text30.setText("");
    EXPECT_EQ(shown(), ""); // both notes go, whatever the last entry showed
    releaseKey(w.Text30);
    EXPECT_EQ(w.Text30.text(), "1");
    EXPECT_EQ(shown(), description(1) + " [33]");
}

TEST_F(DecoderTest, LettersAndTrailingLettersOnKeyRelease)
{
    w.VScroll1.setValue(9);
    selectAll(w.Text30);
    w.Text30.type("xy");
    EXPECT_EQ(w.Text30.text(), "1");
    EXPECT_EQ(w.Text31.text(), description(1));

    selectAll(w.Text30);
    w.Text30.type("12a");
    EXPECT_EQ(w.VScroll1.value(), 12); // already there: nothing moves
    EXPECT_EQ(w.Text30.text(), "12a");
    EXPECT_EQ(shown(), "");

    w.Text30.setText("7x"); // pasted
    releaseKey(w.Text30);
    EXPECT_EQ(w.Text30.text(), "7");
    EXPECT_EQ(w.Text31.text(), description(7));
}

TEST_F(DecoderTest, PastedLeadingZeroIsRewrittenOnlyWhenTheStepperMoves)
{
    w.VScroll1.setValue(3);
    w.Text30.setText("05");
    EXPECT_EQ(shown(), "");
    releaseKey(w.Text30);
    EXPECT_EQ(w.Text30.text(), "5");
    EXPECT_EQ(shown(), description(5) + " [32] [33]");

    w.Text30.setText("05");
    releaseKey(w.Text30);
    EXPECT_EQ(w.Text30.text(), "05");
    EXPECT_EQ(shown(), "");
}

TEST_F(DecoderTest, NumbersOutsideTheStepperRangeArePulledIntoTheTable)
{
    for (const auto& [typed, expected] : {std::pair{"-7", 1}, {"40000", 145}, {"99999999999999999999", 145},
                                          {"-0.5", 1}, {"144.5", 144}, {"2.5", 2}}) {
        w.VScroll1.setValue(50);
        w.Text30.setText(typed);
        releaseKey(w.Text30);
        EXPECT_EQ(w.VScroll1.value(), expected) << typed;
        EXPECT_EQ(w.Text30.text(), std::to_string(expected)) << typed;
        EXPECT_EQ(w.Text31.text(), description(expected)) << typed;
    }
}

TEST_F(DecoderTest, TheStepperStaysWithinTheTableFromItsArrowsAndThumb)
{
    auto* bar = static_cast<QScrollBar*>(w.VScroll1.widget());
    w.VScroll1.setValue(145);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); // bottom arrow
    EXPECT_EQ(w.VScroll1.value(), 145);
    EXPECT_EQ(w.Text30.text(), "145");
    EXPECT_EQ(bar->value(), 145);
    w.VScroll1.setValue(1);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub); // top arrow
    EXPECT_EQ(w.Text30.text(), "1");
    EXPECT_EQ(shown(), description(1) + " [33]");
    bar->triggerAction(QAbstractSlider::SliderToMaximum); // thumb dragged to the bottom
    EXPECT_EQ(w.VScroll1.value(), 145);
    EXPECT_EQ(w.Text31.text(), description(145));
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(w.Text30.text(), "144");
}

TEST_F(DecoderTest, NotesFollowTheKeepRulesWhileSteppingUpAndDown)
{
    // Text33 is up exactly at 1-6, 41 and 42 in either direction. Text32 is shown by some
    // entries, hidden by others, and kept by the rest.
    const std::set<int> text33{1, 2, 3, 4, 5, 6, 41, 42};
    const std::set<int> shows32{5, 23, 27, 37, 38, 39}, hides32{4, 6, 22, 24, 26, 28, 40, 41};
    bool text32 = false;
    auto check = [&](int fault) {
        text32 = shows32.count(fault) ? true : hides32.count(fault) ? false : text32;
        ASSERT_EQ(w.Text30.text(), std::to_string(fault));
        ASSERT_EQ(w.Text31.text(), description(fault));
        EXPECT_EQ(w.Text32.visible(), text32) << "at " << fault;
        EXPECT_EQ(w.Text33.visible(), text33.count(fault) == 1) << "at " << fault;
    };
    for (int fault = 2; fault <= 145; ++fault) {
        w.VScroll1.setValue(fault);
        check(fault);
    }
    for (int fault = 144; fault >= 1; --fault) {
        w.VScroll1.setValue(fault);
        check(fault);
    }

    w.VScroll1.setValue(37);
    for (int fault = 36; fault >= 29; --fault) {
        w.VScroll1.setValue(fault);
        EXPECT_TRUE(w.Text32.visible()) << fault;
    }
}

TEST_F(DecoderTest, TypedTenKeepsTheNoteOfOneButSteppedTenDoesNot)
{
    w.VScroll1.setValue(9);
    selectAll(w.Text30);
    w.Text30.type("10");
    EXPECT_EQ(shown(), description(10) + " [33]");
    for (int fault : {7, 8, 9, 10}) // 7 hides the note, 8 to 10 keep it hidden
        w.VScroll1.setValue(fault);
    EXPECT_EQ(shown(), description(10));
}
