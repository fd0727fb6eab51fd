// carscope's reading of the reply buffer: buffers as they stand after normalisation, and what
// each marker and the PMI table yield.
#include "carterm/reply/ScopeReply.h"
#include "tests/carterm/scope_replies.h"

#include <gtest/gtest.h>

using carterm::reply::FaultRegister;
using carterm::reply::MarkedText;
using carterm::reply::parseScopeReply;
using carterm::reply::ScopeMarkers;
using scope_test::numberedTable;
using scope_test::PmiTable;

namespace {

const std::string kFaultBlock = "flt0\r\nFLT0 =\r\n" + scope_test::faultLine(0, "09", "01") +
                                scope_test::faultLine(1, "24", "03") + scope_test::faultLine(2, "00", "00") +
                                scope_test::faultLine(3, "07", "12") + "OK\r\n";

struct MarkerCase {
    const char* what;
    std::string buffer;
    ScopeMarkers found;
};

const MarkerCase kMarkerCases[] = {
    {.what = "nothing", .buffer = "", .found = {}},
    {.what = "poll answer", .buffer = "pmii\r\n> PMII\r\n", .found = {.pollAnswer = true}},
    {.what = "marker is case-sensitive", .buffer = "> pmii\r\n", .found = {}},
    {.what = "velocity",
     .buffer = "vel\r\n" + scope_test::velocityReply("195"),
     .found = {.velocity = MarkedText{6, "195"}}},
    {.what = "velocity cut at the end", .buffer = "VEL =   1", .found = {.velocity = MarkedText{1, "1"}}},
    {.what = "velocity marker at the very end", .buffer = "..VEL =   ", .found = {.velocity = MarkedText{3, ""}}},
    {.what = "first velocity wins",
     .buffer = scope_test::velocityReply("  5") + "vel\r\n" + scope_test::velocityReply("120"),
     .found = {.velocity = MarkedText{1, "  5"}}},
    {.what = "velocity needs all three blanks", .buffer = "VEL =  195\r\n", .found = {}},
    {.what = "bbt", .buffer = "bbt\r\n" + scope_test::bbtReply("12.34"), .found = {.bbt = "12.34"}},
    {.what = "bbt 8 after the marker whatever lies between", .buffer = "BBT:xxxx 6.70", .found = {.bbt = " 6.70"}},
    {.what = "bbt cut at the end", .buffer = "BBT  =  12", .found = {.bbt = "12"}},
    {.what = "first bbt wins",
     .buffer = scope_test::bbtReply("11.31") + scope_test::bbtReply("12.34"),
     .found = {.bbt = "11.31"}},
    {.what = "four fault registers",
     .buffer = kFaultBlock,
     .found = {.faults = {FaultRegister{"09", "01"}, FaultRegister{"24", "03"}, FaultRegister{"00", "00"},
                          FaultRegister{"07", "12"}}}},
    {.what = "only the exact fault markers",
     .buffer = "flt  0  55 FL 05\r\nFLT 1  66 FL 06\r\nFLT  2  77 FL 07\r\n",
     .found = {.faults = {std::nullopt, std::nullopt, FaultRegister{"77", "07"}, std::nullopt}}},
    {.what = "fault register cut at the end",
     .buffer = "FLT  3  4",
     .found = {.faults = {std::nullopt, std::nullopt, std::nullopt, FaultRegister{"4", ""}}}},
    {.what = "every reply in one buffer",
     .buffer = scope_test::velocityReply(" 42") + scope_test::bbtReply("09.99") + scope_test::faultLine(2, "31", "04") +
               "> PMII\r\n",
     .found = {.pollAnswer = true,
               .velocity = MarkedText{1, " 42"},
               .bbt = "09.99",
               .faults = {std::nullopt, std::nullopt, FaultRegister{"31", "04"}, std::nullopt}}},
};

TEST(ScopeReply, EachMarkerYieldsItsValuesFromItsFirstOccurrence)
{
    for (const MarkerCase& c : kMarkerCases)
        EXPECT_TRUE(parseScopeReply(c.buffer).markers == c.found) << c.what;
}

TEST(ScopeReply, EachValueColumnReadsItsTableLineAndOnlyTheRowsItFills)
{
    const struct {
        int column, line, firstEmpty, lastEmpty;
    } columns[] = {{1, 1, 5, 7}, {3, 2, 0, 0}, {5, 3, 15, 16}, {7, 4, 0, 0}, {13, 8, 0, 0}};
    const auto table = parseScopeReply("pmii\r\n" + numberedTable().reply()).table;
    ASSERT_TRUE(table);
    for (const auto& c : columns)
        for (int r = 1; r <= 16; ++r) {
            const bool empty = r >= c.firstEmpty && r <= c.lastEmpty;
            EXPECT_EQ(table->values.value(c.column, r), empty ? "" : scope_test::numberedCell(c.line, r)) << c.column << "/" << r;
        }
    EXPECT_EQ(table->values.value(2, 1), ""); // a name column holds no value
}

// A 418-character buffer with the table header at `p`; what of the table does not fit is cut off.
std::string bufferWithHeaderAt(long p)
{
    const std::string reply = numberedTable().reply();
    return (std::string(static_cast<size_t>(p - 9), 'x') + reply).substr(0, carterm::reply::kReplyBufferSize);
}

TEST(ScopeReply, TheTableIsReadWhereverTheHeaderStandsAndCutShortAtTheBuffersEnd)
{
    const struct {
        long header;
        int column, row;
        std::string value;
    } cases[] = {
        {60, 13, 16, scope_test::numberedCell(8, 16)},           // the last table whose cells all fit
        {61, 13, 16, scope_test::numberedCell(8, 16).substr(0, 1)},
        {63, 13, 15, scope_test::numberedCell(8, 15).substr(0, 1)},
        {63, 13, 16, ""},
        {200, 7, 16, scope_test::numberedCell(4, 16)},           // lines 5 onwards are gone
        {200, 13, 1, ""},
    };
    for (const auto& c : cases) {
        const auto table = parseScopeReply(bufferWithHeaderAt(c.header)).table;
        ASSERT_TRUE(table) << c.header;
        EXPECT_EQ(table->values.headerPos(), c.header);
        EXPECT_EQ(table->values.value(c.column, c.row), c.value) << c.header << ": " << c.column << "/" << c.row;
    }
    EXPECT_FALSE(parseScopeReply(std::string(418, 'y') + "> PMII\r\n").table);
    EXPECT_FALSE(parseScopeReply(std::string(scope_test::kHeader).substr(1)).table);
}

TEST(ScopeReply, ThePositionCellsNameAFloorOnlyAsOneOfTheSevenCodes)
{
    using Bits = std::array<std::optional<int>, 4>;
    const struct {
        const char* cells;
        std::optional<int> floor;
        Bits bits;
    } cases[] = {
        {"0100", 1, {0, 1, 0, 0}},
        {"0010", 2, {0, 0, 1, 0}},
        {"1110", 3, {1, 1, 1, 0}},
        {"0001", 4, {0, 0, 0, 1}},
        {"1101", 5, {1, 1, 0, 1}},
        {"1011", 6, {1, 0, 1, 1}},
        {"0111", 7, {0, 1, 1, 1}},
        {"0000", std::nullopt, {0, 0, 0, 0}},
        {"1111", std::nullopt, {1, 1, 1, 1}}, // even parity
        {"0110", std::nullopt, {0, 1, 1, 0}},
        {"0200", std::nullopt, {0, 2, 0, 0}}, // a bit that is not 0 or 1
        {"1000", std::nullopt, {1, 0, 0, 0}}, // POP over floor 0
        {"010x", std::nullopt, {0, 1, 0, std::nullopt}}, // R4 holds no number
    };
    for (const auto& c : cases) {
        PmiTable t;
        t.position(c.cells[0], c.cells[1], c.cells[2], c.cells[3]);
        const auto table = parseScopeReply(t.reply()).table;
        ASSERT_TRUE(table);
        EXPECT_EQ(table->floor, c.floor) << c.cells;
        EXPECT_EQ(table->positionBits, c.bits) << c.cells;
    }

    // A table cut off in line 4, before its POP cell: no bit is readable.
    const std::string reply = PmiTable().reply();
    const auto cut = parseScopeReply(reply.substr(0, reply.find("    4  ") + 7)).table;
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->positionBits, Bits{});
    EXPECT_EQ(cut->floor, std::nullopt);
}

TEST(ScopeReply, CellsReadAsNumbersTheWayTheDisplayReadsThem)
{
    const std::pair<const char*, std::optional<int>> integers[] = {
        {"0 ", 0}, {" 1", 1}, {"1\r", 1}, {"12", 12}, {"", std::nullopt}, {"x ", std::nullopt},
        {"1x", std::nullopt}, {"-1", std::nullopt},
    };
    for (const auto& [cell, integer] : integers)
        EXPECT_EQ(carterm::pmi::cellInteger(cell), integer) << '"' << cell << '"';

    // The SM check reads the cell's leading number; no number reads 0.
    for (const auto& [sm, value] : {std::pair{'1', 1.0}, {'0', 0.0}, {'x', 0.0}, {'2', 2.0}}) {
        PmiTable t;
        t.sm(sm);
        EXPECT_EQ(carterm::pmi::smValue(parseScopeReply(t.reply()).table->values), value) << sm;
    }
}

} // namespace
