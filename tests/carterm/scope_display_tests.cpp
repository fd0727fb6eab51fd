// carscope's reply parser and car display, driven through the harness: replies fed on the fake
// line, the display timer run on the virtual clock.
#include "tests/carterm/CarWindowHarness.h"
#include "carterm/reply/ReplyText.h"
#include "tests/carterm/scope_replies.h"

#include <gtest/gtest.h>

#include <set>

using scope_test::numberedTable;
using scope_test::PmiTable;

namespace {

struct Display : WindowTest<CarWindowHarness> {

    // The reply arrives, then the display timer it enabled runs.
    void showTable(const PmiTable& t)
    {
        h.line->feed(t.reply());
        h.platform.advance(250);
    }
    std::string cell(int r, int c) const { return f.Grid1.cell(r, c); }
};

// Enough received text to push everything before it out of the reply buffer.
std::string filler(char c = '.') { return std::string(carterm::reply::kReplyBufferSize, c); }

} // namespace

TEST_F(Display, LoadWritesTheSignalNamesExactlyAndNothingElse)
{
    const std::pair<int, std::array<const char*, 17>> columns[] = {
        {0, {"", "1.SU1 ", "2.SD1 ", "3.SU2 ", "4.SD2", "", "", "", "8.MC ", "9.UT ", "10.DT ", "11.UR ",
             "12.DR ", "13.RUN ", "14.GL ", "15.AU ", "16.TRIP "}},
        {2, {"", "GV ", "HS ", "CS ", "ICS ", "GL1 ", "ICA ", "LRS ", "DD ", "DOL ", "DCL ", "DL6 ", "IC ",
             "ULZ ", "DLZ ", "LZM ", "LZF "}},
        {4, {"", "DOB ", "SE ", "LR ", "DCB ", "RSB ", "FC ", "FR ", "FAL ", "FBP ", "", "LVE ", "BZ ", "HBZ ",
             "SM ", "", ""}},
        {6, {"", "POP ", "R1 ", "R2 ", "R4 ", "", "", "", "BCR ", "UP ", "DP ", "DO ", "DC ", "NR ", "FSL ",
             "UDL ", "DDL "}},
    };
    int names = 0;
    for (const auto& [c, rows] : columns)
        for (int r = 0; r < 17; ++r) {
            EXPECT_EQ(cell(r, c), rows[static_cast<size_t>(r)]) << "row " << r << " column " << c;
            names += *rows[static_cast<size_t>(r)] != '\0';
        }
    EXPECT_EQ(names, 55);
    for (int r = 0; r < 17; ++r)
        for (int c : {1, 3, 5, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17})
            EXPECT_EQ(cell(r, c), "") << "row " << r << " column " << c;

    const char* faults[] = {"FLT0=", "FLT1=", "FLT2=", "FLT3="};
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(f.Grid2.cell(n, 0), faults[n]);
        EXPECT_EQ(f.Grid2.cell(n, 1), "");
        EXPECT_EQ(f.Grid2.cell(n, 2), "");
    }
    EXPECT_FALSE(f.Grid1.visible());
    EXPECT_TRUE(f.Grid2.visible());
    EXPECT_EQ(f.txtbbt.text(), "11.31");
    EXPECT_EQ(f.txtvel.text(), "");
    EXPECT_EQ(f.txtpos.text(), "");
    EXPECT_EQ(f.Text2.text(), "");
}

TEST_F(Display, ATableFillsTheValueColumnsFromTheirLinesAndLeavesTheRestEmpty)
{
    const PmiTable t = numberedTable();
    for (int round = 0; round < 3; ++round)
        showTable(t);

    for (int r = 1; r <= 16; ++r) {
        const bool line1Row = r <= 4 || r >= 8;
        EXPECT_EQ(cell(r, 1), line1Row ? scope_test::numberedCell(1, r) : "") << "row " << r;
        EXPECT_EQ(cell(r, 3), scope_test::numberedCell(2, r)) << "row " << r;
        EXPECT_EQ(cell(r, 5), r <= 14 ? scope_test::numberedCell(3, r) : "") << "row " << r;
        EXPECT_EQ(cell(r, 7), scope_test::numberedCell(4, r)) << "row " << r;
        EXPECT_EQ(cell(r, 13), scope_test::numberedCell(8, r)) << "row " << r;
        for (int c : {8, 9, 10, 11, 12, 14, 15, 16, 17})
            EXPECT_EQ(cell(r, c), "");
    }
    for (int c = 0; c < 18; ++c)
        EXPECT_EQ(cell(0, c), "") << "column " << c;
    EXPECT_FALSE(f.Timer1.enabled()); // runs once per marker
}

TEST_F(Display, ATableCutShortByTheBuffersEndShowsWhatThereIs)
{
    const std::string reply = numberedTable().reply();
    h.line->feed(filler() + reply.substr(0, reply.size() - 3)); // line 8 lacks its last cell
    h.platform.advance(250);
    EXPECT_EQ(cell(15, 13), scope_test::numberedCell(8, 15));
    EXPECT_EQ(cell(16, 13), "");
}

TEST_F(Display, WithoutAHeaderTheDisplayTimerOnlyStopsItself)
{
    showTable(numberedTable());
    const std::string before = cell(3, 3);
    h.line->feed(filler('y') + "> PMII\r\n");
    EXPECT_TRUE(f.Timer1.enabled());
    h.platform.advance(250);
    EXPECT_FALSE(f.Timer1.enabled());
    EXPECT_EQ(cell(3, 3), before);

    // A table without its marker is not displayed until something enables the timer.
    h.line->feed(filler('y'));
    h.platform.advance(250);
    PmiTable t;
    t.cell(2, 3) = '9';
    h.line->feed(t.table());
    h.platform.advance(1000);
    EXPECT_EQ(cell(3, 3), before);
}

TEST_F(Display, VelocityRepliesFirstOneWinsAndValuesAreCutAtTheEnd)
{
    h.line->feed("VEL =   1");
    EXPECT_EQ(f.txtvel.text(), "1");
    h.line->feed("95\r\n");
    EXPECT_EQ(f.txtvel.text(), "195");

    h.line->feed(filler() + scope_test::velocityReply("  5"));
    EXPECT_EQ(f.txtvel.text(), "  5");
    const std::string newer = "vel\r\n" + scope_test::velocityReply("120");
    h.line->feed(newer);
    EXPECT_EQ(f.txtvel.text(), "  5"); // the older reply is still in the buffer
    h.line->feed(filler().substr(newer.size())); // the buffer now begins with the newer reply
    EXPECT_EQ(f.txtvel.text(), "120"); // the older one has slid out
    EXPECT_EQ(h.sent(), "");
}

TEST_F(Display, ANewBbtValueAsksForTheFaultRegistersOnce)
{
    h.line->feed("bbt\r\n" + scope_test::bbtReply("11.31"));
    EXPECT_EQ(h.sent(), ""); // the value shown from the start

    h.line->feed(filler() + scope_test::bbtReply("12.34"));
    EXPECT_EQ(f.txtbbt.text(), "12.34");
    EXPECT_EQ(h.sent(), "flt0\r");
    h.line->feed(filler() + scope_test::bbtReply("12.34"));
    EXPECT_EQ(h.sent(), "");

    // The value stands 8 characters after the marker whatever lies between.
    h.line->feed(filler() + "BBT:xxxx 6.70");
    EXPECT_EQ(f.txtbbt.text(), " 6.70");
}

TEST_F(Display, FaultRegistersFillTheirRowsAndOnlyTheExactMarkerCounts)
{
    h.line->feed("flt0\r\nFLT0 =\r\n" + scope_test::faultLine(0, "09", "01") + scope_test::faultLine(1, "24", "03") +
                 scope_test::faultLine(2, "00", "00") + scope_test::faultLine(3, "07", "12") + "OK\r\n");
    const char* want[4][2] = {{"09", "01"}, {"24", "03"}, {"00", "00"}, {"07", "12"}};
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(f.Grid2.cell(n, 0), std::string("FLT") + char('0' + n) + "=");
        EXPECT_EQ(f.Grid2.cell(n, 1), want[n][0]);
        EXPECT_EQ(f.Grid2.cell(n, 2), want[n][1]);
    }

    h.line->feed(filler() + "flt  0  55 FL 05\r\nFLT 1  66 FL 06\r\nFLT  2  77 FL 07\r\n");
    EXPECT_EQ(f.Grid2.cell(0, 1), "09");
    EXPECT_EQ(f.Grid2.cell(1, 1), "24");
    EXPECT_EQ(f.Grid2.cell(2, 1), "77");
    EXPECT_EQ(f.Grid2.cell(2, 2), "07");

    // A register line cut by the buffer's end shows what there is.
    h.line->feed(filler() + "FLT  3  4");
    EXPECT_EQ(f.Grid2.cell(3, 1), "4");
    EXPECT_EQ(f.Grid2.cell(3, 2), "");
}

TEST_F(Display, APositionCodeNamesTheFloorAndARefusedCodeLeavesIt)
{
    // Which codes name which floor is the reply unit's table; here: shown, kept, remembered.
    PmiTable t;
    for (auto [bits, floor] : {std::pair{"0100", "1"}, {"0111", "7"}}) {
        t.position(bits[0], bits[1], bits[2], bits[3]);
        showTable(t);
        EXPECT_EQ(f.txtpos.text(), floor) << bits;
    }
    EXPECT_EQ(f.popValue, 0);
    EXPECT_EQ(f.r1Value, 1);

    for (const char* bits : {"1111", "0200", "0000"}) {
        t.position(bits[0], bits[1], bits[2], bits[3]);
        showTable(t);
        EXPECT_EQ(f.txtpos.text(), "7") << bits;
    }
    EXPECT_EQ(f.popValue, 0);
    EXPECT_EQ(f.r1Value, 0);
}

TEST_F(Display, ACellWithoutANumberSkipsThePositionForThatTableOnly)
{
    PmiTable t;
    t.position('0', '0', '1', '0');
    showTable(t);
    ASSERT_EQ(f.txtpos.text(), "2");

    // A non-digit in R4: the values read so far are kept, R4 keeps its last value, and the
    // position is left alone even though POP, R1, R2 alone would read as floor 1.
    t.position('0', '1', '0', 'x');
    showTable(t);
    EXPECT_EQ(f.Grid1.cell(4, 7), "x ");
    EXPECT_EQ(f.txtpos.text(), "2");
    EXPECT_EQ(f.r1Value, 1);
    EXPECT_EQ(f.r4Value, 0);

    // A table cut off in line 4, before its POP cell: the cells are empty, nothing is decoded.
    t.position('0', '1', '1', '1');
    const std::string reply = t.reply();
    h.line->feed(filler() + reply.substr(0, reply.find("    4  ") + 7));
    h.platform.advance(250);
    EXPECT_EQ(f.Grid1.cell(1, 7), "");
    EXPECT_EQ(f.txtpos.text(), "2");

    // The whole table again decodes as usual.
    showTable(t);
    EXPECT_EQ(f.txtpos.text(), "7");

    // What the operator typed stays until a valid code arrives.
    f.txtpos.setText("B");
    t.position('1', '1', '1', '1');
    showTable(t);
    EXPECT_EQ(f.txtpos.text(), "B");
}

TEST_F(Display, WhileTheCarRunsEveryDisplayAsksForTheVelocity)
{
    PmiTable t;
    t.sm('1');
    f.txtvel.setText("150");
    showTable(t);
    EXPECT_EQ(h.sent(), "vel\r");
    showTable(t);
    EXPECT_EQ(h.sent(), "vel\r");
    EXPECT_EQ(f.txtvel.text(), "150");
    EXPECT_EQ(f.Text2.text(), "");
}

TEST_F(Display, ACarAtRestIsCountedOnceAndAsksForBbtThenFaults)
{
    PmiTable t;
    t.sm('0');
    showTable(t);
    EXPECT_EQ(f.txtvel.text(), "  0");
    EXPECT_EQ(f.Text2.text(), "1");
    EXPECT_EQ(h.sent(), "bbt\r");
    showTable(t);
    showTable(t);
    EXPECT_EQ(f.Text2.text(), "1");
    EXPECT_EQ(h.sent(), "");

    // The car runs, stops, and the controller reports a new BBT value.
    t.sm('1');
    showTable(t);
    EXPECT_EQ(h.sent(), "vel\r");
    h.line->feed("vel\r\n" + scope_test::velocityReply("180"));
    t.sm('0');
    showTable(t);
    EXPECT_EQ(f.zeroVelCount, 2);
    EXPECT_EQ(f.Text2.text(), "2");
    EXPECT_EQ(h.sent(), "bbt\r");
    h.line->feed(filler() + "bbt\r\n" + scope_test::bbtReply(" 6.70"));
    EXPECT_EQ(h.sent(), "flt0\r");

    // A zero velocity reply counts the same way as the SM check.
    h.line->feed(filler() + scope_test::velocityReply(" 20"));
    h.line->feed(filler() + scope_test::velocityReply("  0"));
    EXPECT_EQ(f.Text2.text(), "3");
}

TEST_F(Display, AVelocityReplyLeftInTheBufferDoesNotCountTheSameStopAgain)
{
    PmiTable t;
    t.sm('1');
    showTable(t);
    h.line->feed("vel\r\n" + scope_test::velocityReply(" 13")); // the car creeps in
    t.sm('0');
    showTable(t);
    EXPECT_EQ(f.Text2.text(), "1");
    EXPECT_EQ(h.sent(), "vel\rbbt\r");

    // The next tables arrive in pieces; the old reply slides out of the buffer on the way.
    const std::string reply = t.reply();
    for (int round = 0; round < 3; ++round) {
        for (size_t at = 0; at < reply.size(); at += 50)
            h.line->feed(reply.substr(at, 50));
        h.platform.advance(250);
    }
    EXPECT_EQ(f.txtvel.text(), "  0");
    EXPECT_EQ(f.Text2.text(), "1");
    EXPECT_EQ(h.sent(), "");

    // A fresh reply is news even with the same value.
    h.line->feed("vel\r\n" + scope_test::velocityReply(" 13"));
    EXPECT_EQ(f.txtvel.text(), " 13");
}

TEST_F(Display, TheStopCountGoesOnPastSixteenBits)
{
    f.zeroVelCount = 32767;
    f.txtvel.setText("  0");
    EXPECT_EQ(f.Text2.text(), "32768");
    f.txtvel.setText("  1");
    f.txtvel.setText("  0");
    EXPECT_EQ(f.Text2.text(), "32769");
    EXPECT_GT(f.zeroVelCount, 0);
}

TEST_F(Display, FollowUpRequestsSendNothingWhileThePortIsClosed)
{
    f.MOpen.click();
    ASSERT_FALSE(f.MSComm1.portOpen());

    // The buffer keeps what arrived before; the chain runs but nothing goes out.
    PmiTable t;
    t.sm('1');
    f.Text1.setText(t.reply());
    h.platform.advance(250);
    t.sm('0');
    f.Text1.setText(t.reply());
    h.platform.advance(250);
    EXPECT_EQ(f.Text2.text(), "1");
    f.Text1.setText(scope_test::bbtReply("10.00"));
    EXPECT_EQ(f.txtbbt.text(), "10.00");
    EXPECT_EQ(h.sent(), "");
    EXPECT_TRUE(h.platform.boxes.empty());
}

TEST_F(Display, ReplyMarkersAreFoundTogetherInOneBuffer)
{
    // One chunk holding every kind of reply: each step finds its own marker.
    PmiTable t;
    t.position('1', '1', '1', '0');
    h.line->feed(scope_test::velocityReply(" 42") + scope_test::bbtReply("09.99") + scope_test::faultLine(2, "31", "04"));
    EXPECT_EQ(h.sent(), "flt0\r");
    h.line->feed(t.reply());
    h.platform.advance(250);
    EXPECT_EQ(f.txtvel.text(), "  0");
    EXPECT_EQ(f.txtbbt.text(), "09.99");
    EXPECT_EQ(f.Grid2.cell(2, 1), "31");
    EXPECT_EQ(f.txtpos.text(), "3");
}
