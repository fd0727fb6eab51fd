// cabtalk's car picture: the signal matrix, the replies it reads while a poll's answer is in the
// buffer, the fault block, the SM check and the lamps.
#include "tests/carterm/talk_harness.h"

#include "toolkit/Bytes.h"

#include <gtest/gtest.h>

using namespace toolkit;
using carterm::lamp::grey;

namespace {

struct TalkDisplay : TalkWindowTest {
    Label& label(const std::string& name)
    {
        auto* c = dynamic_cast<Label*>(f.find(name));
        if (!c)
            throw std::runtime_error("no label " + name);
        return *c;
    }
    // Feeds a table and lets the display run.
    void showTable(const PmiReply& t)
    {
        h.line->feed(t.text());
        h.platform.advance(250);
    }
};

struct NameCell {
    const char* name;
    const char* caption;
};

// Column A to D as designed: control name and caption per row.
const NameCell kNames[4][16] = {
    {{"lbl01", "SU1"}, {"lbl02", "SD1"}, {"lbl03", "SU2"}, {"lbl04", "SD2"}, {"lbl05", "   "}, {"lbl06", "   "},
     {"lbl07", "   "}, {"lbl08", " MC"}, {"lbl09", " UT"}, {"lbl_10", " DT"}, {"lbl_11", " UR"}, {"lbl_12", " DR"},
     {"lbl_13", "RUN"}, {"lbl_14", " GL"}, {"lbl_15", " AU"}, {"lbl_16", "TRIP"}},
    {{"lbl2_1", "GV"}, {"lbl2_2", "HS"}, {"lbl2_3", "CS"}, {"lbl2_4", "ICS"}, {"lbl2_5", "GL1"}, {"lbl2_6", "ICA"},
     {"lbl2_7", "LRS"}, {"lbl2_8", "DD"}, {"lbl2_9", "DOL"}, {"lbl210", "DCL"}, {"lbl211", "DL6"}, {"lbl212", "IC"},
     {"lbl213", "ULZ"}, {"lbl214", "DLZ"}, {"lbl215", "LZM"}, {"lbl216", "LZF"}},
    {{"lbl4_1", "DOB"}, {"lbl4_2", "SE"}, {"lbl4_3", "LR"}, {"lbl4_4", "DCB"}, {"lbl4_5", "RSB"}, {"lbl4_6", "FC"},
     {"lbl4_7", "FR"}, {"lbl4_8", "FAL"}, {"lb4_9", "FBP"}, {"lbl410", ""}, {"lbl411", "LVE"}, {"lbl412", "BZ"},
     {"lbl413", "HBZ"}, {"lbl414", "SM"}, {"lbl415", " "}, {"lbl416", " "}},
    {{"lbl6_1", "POP"}, {"lbl6_2", "R1"}, {"lbl6_3", "R2"}, {"lbl6_4", "R4"}, {"lbl6_5", ""}, {"lbl6_6", " "},
     {"lbl6_7", " "}, {"lbl6_8", "BCR"}, {"lb6_9", "UP"}, {"lbl610", "DP"}, {"lbl611", "DO"}, {"lbl612", "DC"},
     {"lbl613", "NR"}, {"lbl614", "FSL"}, {"lbl615", "UDL"}, {"lbl616", "DDL"}},
};
const int kNameLeft[4] = {0, 960, 1920, 2880};
const int kValueColumns[5] = {1, 3, 5, 7, 13};
const int kValueLeft[5] = {480, 1440, 2400, 3360, 4875};
// The table line each value column is read from.
const int kLineOf[14] = {0, 1, 0, 2, 0, 3, 0, 4, 0, 0, 0, 0, 0, 8};

std::string valueName(int column, int row)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, row <= 9 ? "lbl%d_%d" : "lbl%d%02d", column, row);
    return buf;
}

bool filled(int column, int row)
{
    if (column == 1)
        return row <= 4 || row >= 8;
    if (column == 5)
        return row <= 14;
    return true;
}

} // namespace

TEST_F(TalkDisplay, NameLabelsStandAtTheirPlacesWithTheirCaptions)
{
    for (int col = 0; col < 4; ++col)
        for (int row = 1; row <= 16; ++row) {
            const NameCell& cell = kNames[col][row - 1];
            Label& l = label(cell.name);
            EXPECT_EQ(l.caption(), cell.caption) << cell.name;
            EXPECT_EQ(l.left(), kNameLeft[col]) << cell.name;
            EXPECT_EQ(l.top(), 360 + 240 * (row - 1)) << cell.name;
            EXPECT_EQ(l.width(), 375);
            EXPECT_EQ(l.height(), 255);
            EXPECT_TRUE(l.visible());
        }
}

TEST_F(TalkDisplay, ValueLabelsAreGreyEmptyAndBesideTheirNames)
{
    for (int i = 0; i < 5; ++i)
        for (int row = 1; row <= 16; ++row) {
            const std::string name = valueName(kValueColumns[i], row);
            Label& l = label(name);
            EXPECT_EQ(l.caption(), "") << name;
            EXPECT_EQ(l.backColor(), (Color{192, 192, 192})) << name;
            EXPECT_EQ(l.left(), kValueLeft[i]) << name;
            EXPECT_EQ(l.top(), 360 + 240 * (row - 1)) << name;
            EXPECT_EQ(l.width(), 375);
            EXPECT_EQ(l.height(), 255);
        }
    // The names the window was designed with, spot-checked as written.
    for (const char* name : {"lbl1_1", "lbl110", "lbl514", "lbl13_1", "lbl1316"})
        EXPECT_NO_THROW(label(name)) << name;
}

TEST_F(TalkDisplay, ATableFillsEachValueLabelFromItsCell)
{
    PmiReply t;
    h.line->feed("pmii\r\n"); // the echo ahead of the reply, as the controller sends it
    showTable(t);
    for (int column : kValueColumns)
        for (int row = 1; row <= 16; ++row) {
            const std::string name = valueName(column, row);
            const std::string expected = filled(column, row) ? t.shown(kLineOf[column], row) : "";
            EXPECT_EQ(label(name).caption(), expected) << name;
        }
    // No position is decoded and the velocity box is not set by the display.
    EXPECT_EQ(f.txtpos.text(), "");
    EXPECT_EQ(f.txtvel.text(), "");
}

TEST_F(TalkDisplay, RepliesAreReadOnlyWhileAPollsAnswerIsInTheBuffer)
{
    h.line->feed("VEL =   195\r\nBBT  =  12.34\r\nFLT0 =\r\nFLT  0  09 FL 01\r\n");
    h.platform.advance(1000);
    EXPECT_EQ(f.txtvel.text(), "");
    EXPECT_EQ(f.txtbbt.text(), "");
    EXPECT_EQ(f.Text5.text(), "");
    EXPECT_FALSE(f.Timer1.enabled());
    EXPECT_EQ(h.sent(), "");

    // The marker arriving later makes the same buffer count, first occurrence winning.
    h.line->feed("> PMII\r\nVEL =   200\r\n");
    EXPECT_EQ(f.txtvel.text(), "195");
    EXPECT_EQ(f.txtbbt.text(), "12.34");
    EXPECT_TRUE(f.Timer1.enabled());
    EXPECT_EQ(h.sent(), "flt0\r"); // asked for by the new BBT value
}

TEST_F(TalkDisplay, TheFaultBlockShowsCharacters9To84AfterFlt0)
{
    const std::string block = "FLT0 =\r\nFLT  0  09 FL 01\r\nFLT  1  24 FL 01\r\nFLT  2  00 FL 00\r\nFLT  3  00 FL 00\r\nOK\r\n";
    h.line->feed("> PMII\r\n" + block + "trailing text");
    const std::string fromF = block + "trailing text";
    EXPECT_EQ(f.Text5.text(), fromF.substr(8, 76));
    EXPECT_EQ(f.Text5.text().size(), 76u);
    EXPECT_EQ(f.Text5.text().substr(0, 6), "FLT  0");
    EXPECT_EQ(f.Text5.text().substr(72), "OK\r\n");
}

TEST_F(TalkDisplay, AFaultBlockCutShortByTheBufferEndShowsWhatIsThere)
{
    h.line->feed("> PMII\r\nFLT0 =\r\nFLT  0  09");
    EXPECT_EQ(f.Text5.text(), "FLT  0  09");
    h.line->feed(" FL 01\r\n");
    EXPECT_EQ(f.Text5.text(), "FLT  0  09 FL 01\r\n");
}

TEST_F(TalkDisplay, WithoutATableTheDisplayRetriesAndThePollStaysPaused)
{
    f.Command1.click(); // live mode
    h.sent();
    h.line->feed("> PMII\r\n"); // marker, but the table has not come
    h.platform.advance(250);
    EXPECT_FALSE(f.Timer2.enabled());
    EXPECT_TRUE(f.Timer1.enabled());
    EXPECT_EQ(f.Label3.backColor(), grey);
    EXPECT_FALSE(f.Timer3.enabled());

    PmiReply t;
    h.line->feed(t.text().substr(8)); // the rest of the reply
    h.platform.advance(250);
    EXPECT_EQ(label("lbl3_1").caption(), t.shown(2, 1));
    EXPECT_FALSE(f.Timer1.enabled());
    EXPECT_TRUE(f.Timer3.enabled());
}

TEST_F(TalkDisplay, TheSmCheckAsksForTheVelocityWhileMovingOrNotYetSeenAtRest)
{
    PmiReply moving;
    moving.set(3, 14, "1 ");
    f.txtvel.setText("  0");
    h.sent();
    showTable(moving);
    EXPECT_EQ(h.sent(), "vel\r"); // once per display
    EXPECT_EQ(label("lbl514").caption(), "1 ");
    EXPECT_EQ(f.txtvel.text(), "  0"); // the display never writes the box

    PmiReply stopped;
    stopped.set(3, 14, "0 ");
    showTable(stopped);
    EXPECT_EQ(h.sent(), ""); // at rest and already shown at rest

    f.txtvel.setText("195");
    showTable(stopped);
    EXPECT_EQ(h.sent(), "vel\r");

    PmiReply unreadable;
    unreadable.set(3, 14, "x ");
    showTable(unreadable);
    EXPECT_EQ(h.sent(), "vel\r"); // no number reads 0

    PmiReply other;
    other.set(3, 14, "2 ");
    showTable(other);
    EXPECT_EQ(h.sent(), "");
}

TEST_F(TalkDisplay, ResetStartsTheZeroVelocityCountAgain)
{
    h.line->feed("> PMII\r\nVEL =     0\r\n");
    EXPECT_EQ(f.Text2.text(), "1");
    EXPECT_EQ(h.sent(), "bbt\r");
    f.txtvel.setText("120");
    f.txtvel.setText("  0");
    EXPECT_EQ(f.Text2.text(), "2");
    f.Command2.click();
    EXPECT_EQ(f.zeroVelCount, 0);
    EXPECT_EQ(f.Text2.text(), "2"); // left as it was
    f.txtvel.setText("120");
    f.txtvel.setText("  0");
    EXPECT_EQ(f.Text2.text(), "1");
}

TEST_F(TalkDisplay, DobSendsNothingUntilAPositionIsTyped)
{
    showTable(PmiReply());
    h.sent();
    f.Command3.click();
    EXPECT_EQ(h.sent(), "");
    f.txtpos.type("3");
    f.Command3.click();
    EXPECT_EQ(h.sent(), "scc4\r");
}

TEST_F(TalkDisplay, ReceptionLightsTheReceiveLampForAMoment)
{
    h.line->feed("x");
    EXPECT_EQ(f.Label4.backColor(), (Color{192, 0, 0}));
    EXPECT_TRUE(f.Timer4.enabled());
    h.platform.advance(1);
    EXPECT_EQ(f.Label4.backColor(), grey);
    EXPECT_FALSE(f.Timer4.enabled());
    EXPECT_FALSE(f.Timer5.enabled()); // not in live mode: no re-poll
}

TEST_F(TalkDisplay, TypedKeysLightTheTransmitLampOnlyWhenSent)
{
    f.Term.type("a");
    EXPECT_EQ(h.sent(), "a");
    EXPECT_EQ(f.Label5.backColor(), (Color{0, 255, 0}));
    h.platform.advance(1000); // the lamp timer only runs after a reception
    EXPECT_EQ(f.Label5.backColor(), (Color{0, 255, 0}));
    h.line->feed("a");
    h.platform.advance(1);
    EXPECT_EQ(f.Label5.backColor(), grey);

    f.MOpen.click(); // close
    f.Term.type("b");
    EXPECT_EQ(h.sent(), "");
    EXPECT_EQ(f.Label5.backColor(), grey);
}

TEST_F(TalkDisplay, InLiveModeASecondOfSilenceSendsAnotherPoll)
{
    f.Command1.click();
    EXPECT_EQ(h.sent(), "pmii\r");
    h.line->feed("pmii\r\n");
    h.platform.advance(1);
    EXPECT_TRUE(f.Timer5.enabled());
    h.platform.advance(500);
    h.line->feed("more"); // anything received restarts the second
    h.platform.advance(1);
    f.Timer2.setEnabled(false); // leave the regular poll out of this
    h.sent();
    h.platform.advance(999); // a second after the lamp went grey
    EXPECT_EQ(h.sent(), "");
    h.platform.advance(1);
    EXPECT_EQ(h.sent(), "pmii\r");
    EXPECT_FALSE(f.Timer5.enabled());
    EXPECT_TRUE(f.Timer1.enabled());
    EXPECT_EQ(f.Label5.backColor(), (Color{0, 255, 0}));
}

TEST_F(TalkDisplay, NewBbtOrATypedPositionCancelsTheSilencePoll)
{
    f.Command1.click();
    h.line->feed("> PMII\r\n");
    h.platform.advance(1);
    ASSERT_TRUE(f.Timer5.enabled());
    h.sent();
    f.txtbbt.setText("10.00");
    EXPECT_FALSE(f.Timer5.enabled());
    EXPECT_EQ(h.sent(), "flt0\r");

    h.line->feed("x");
    h.platform.advance(1);
    ASSERT_TRUE(f.Timer5.enabled());
    f.txtpos.type("4");
    EXPECT_FALSE(f.Timer5.enabled());
}
