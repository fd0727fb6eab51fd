// carsim's replies read by the car terminals' own line-end normalisation and reply parsers.
#include "serial/LineEnds.h"
#include "sim/carsim/ReplyFormat.h"
#include "carterm/reply/ScopeReply.h"
#include "carterm/reply/TalkReply.h"
#include "toolkit/TextOps.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace carsim;
using serial::normaliseLineEnds;
using carterm::reply::parseScopeReply;
using toolkit::instr;
using toolkit::mid;

namespace {

// Every cell different from its neighbours, so a shifted offset cannot read the right digit.
PmiTable patternTable()
{
    PmiTable t{};
    for (int k = 0; k < kPmiLines; ++k)
        for (int r = 0; r < kPmiCells; ++r)
            t[k][r] = (3 * k + 7 * r + 1) % 10;
    return t;
}

FaultRegisters sampleFaults()
{
    return {{{24, 3}, {9, 7}, {58, 1}, {0, 0}}};
}

}  // namespace

TEST(PmiReply, CellsSitWhereTheTerminalReadsThem)
{
    const PmiTable table = patternTable();
    // What the terminal holds after polling: its own echo, then the reply.
    const std::string buffer = serial::normaliseLineEnds("pmii\r\n" + formatPmiReply(table));

    ASSERT_NE(instr(buffer, "> PMII"), 0);
    const long p = instr(buffer, "PMI #  = = = = = = = = = = = = = = = =");
    ASSERT_NE(p, 0);
    EXPECT_LT(instr(buffer, "> PMII"), p);

    for (int k = 1; k <= kPmiLines; ++k) {
        // Each line of the table occupies 40 characters: 38 and CR LF.
        EXPECT_EQ(mid(buffer, p + 40 * k - 2, 2), "\r\n") << "end of line " << k - 1;
        for (int r = 1; r <= kPmiCells; ++r) {
            const std::string cell = mid(buffer, p + 40 * k + 5 + 2 * r, 2);
            ASSERT_EQ(cell.size(), 2u);
            EXPECT_EQ(cell[0], static_cast<char>('0' + table[k - 1][r - 1])) << "line " << k << " cell " << r;
            EXPECT_EQ(cell[1], r < kPmiCells ? ' ' : '\r') << "line " << k << " cell " << r;
        }
    }
    EXPECT_EQ(mid(buffer, p + 40 * 9 - 2, 2), "\r\n");

    // What the terminals show of table lines 1, 2, 3, 4 and 8.
    const auto shown = parseScopeReply(buffer).table;
    ASSERT_TRUE(shown);
    for (const auto& column : carterm::pmi::valueColumns())
        for (int r = 1; r <= kPmiCells; ++r)
            if (column.hasRow(r))
                EXPECT_EQ(shown->values.value(column.column, r)[0],
                    static_cast<char>('0' + table[column.tableLine - 1][r - 1]))
                    << "table line " << column.tableLine << " row " << r;
}

TEST(PmiReply, WholeTableFitsTheReplyBufferAfterEarlierTraffic)
{
    // Earlier replies fill the buffer; the newest table must still be there in full, which needs
    // its header within the first 60 characters of the 418.
    std::string traffic(1000, 'x');
    traffic += "vel\r\n" + formatVelocityReply(120);
    traffic += "pmii\r\n" + formatPmiReply(patternTable());
    const std::string buffer = carterm::reply::lastReplyWindow(serial::normaliseLineEnds(traffic));

    const auto reply = parseScopeReply(buffer);
    ASSERT_TRUE(reply.table);
    EXPECT_LE(reply.table->values.headerPos(), 60);
    EXPECT_TRUE(reply.markers.pollAnswer);
    EXPECT_EQ(reply.table->values.value(13, 16).size(), 2u); // the last cell, whole
}

TEST(VelocityReply, ThreeCharactersRightAlignedAfterTheMarker)
{
    const struct {
        int fpm;
        const char* shown;
    } cases[] = {{0, "  0"}, {85, " 85"}, {7, "  7"}, {200, "200"}, {1500, "999"}, {-4, "  0"}};
    for (const auto& c : cases) {
        const std::string buffer = serial::normaliseLineEnds("vel\r\n" + formatVelocityReply(c.fpm));
        const auto velocity = parseScopeReply(buffer).markers.velocity;
        ASSERT_TRUE(velocity);
        EXPECT_EQ(velocity->text, c.shown) << c.fpm;
        EXPECT_EQ(mid(buffer, velocity->markerAt + 11, 2), "\r\n");
    }
}

TEST(BbtReply, FiveCharacterValueEightAfterTheMarker)
{
    const struct {
        double seconds;
        const char* shown;
    } cases[] = {{11.31, "11.31"}, {6.524, " 6.52"}, {0.0, " 0.00"}, {250.0, "99.99"}, {-1.0, " 0.00"}};
    for (const auto& c : cases) {
        const std::string buffer = serial::normaliseLineEnds("bbt\r\n" + formatBbtReply(c.seconds));
        EXPECT_EQ(parseScopeReply(buffer).markers.bbt, c.shown) << c.seconds;
        EXPECT_EQ(mid(buffer, instr(buffer, "BBT") + 13, 2), "\r\n");
    }
}

TEST(FaultReply, OneBlockServesBothTerminals)
{
    const FaultRegisters faults = sampleFaults();
    // The echo is lower case, so the terminals' case-sensitive search skips it.
    const std::string buffer = serial::normaliseLineEnds("flt0\r\n" + formatFaultReply(faults));

    // The older terminal (while a poll's answer is in the buffer): the 76 characters from the
    // first register line.
    const auto block = carterm::reply::parseTalkReply("> PMII\r\n" + buffer).markers.faultBlock;
    ASSERT_TRUE(block);
    EXPECT_EQ(block->size(), 76u);
    EXPECT_EQ(block->substr(0, 6), "FLT  0");

    // The newer terminal: one register per marker.
    const auto registers = parseScopeReply(buffer).markers.faults;
    for (int n = 0; n < 4; ++n) {
        ASSERT_TRUE(registers[n]) << n;
        char code[3], floor[3];
        std::snprintf(code, sizeof code, "%02d", faults[n].code);
        std::snprintf(floor, sizeof floor, "%02d", faults[n].floor);
        EXPECT_EQ(registers[n]->code, code) << n;
        EXPECT_EQ(registers[n]->floor, floor) << n;
    }
}

TEST(Replies, NoReplyCarriesAnotherReplysMarker)
{
    // A stray marker would make the terminal read values from the wrong reply.
    const struct {
        const char* name;
        std::string text;
    } replies[] = {
        {"pmii", formatPmiReply(patternTable())},
        {"vel", formatVelocityReply(123)},
        {"bbt", formatBbtReply(4.5)},
        {"flt0", formatFaultReply(sampleFaults())},
        {"call", formatCallAccepted(5)},
        {"refused", formatCallRefused()},
        {"install", formatInstallAck()},
        {"error", formatUnknownCommand()},
    };
    const std::string markers[] = {"> PMII", std::string(kPmiHeader), "VEL =   ", "BBT", "FLT0", "FLT  "};
    for (const auto& reply : replies) {
        const std::string name = reply.name;
        const std::string buffer = serial::normaliseLineEnds(reply.text);
        for (const auto& marker : markers) {
            const bool own = (name == "pmii" && (marker == "> PMII" || marker == kPmiHeader))
                || (name == "vel" && marker == "VEL =   ") || (name == "bbt" && marker == "BBT")
                || (name == "flt0" && (marker == "FLT0" || marker == "FLT  "));
            EXPECT_EQ(instr(buffer, marker) != 0, own) << name << " / " << marker;
        }
        ASSERT_GE(reply.text.size(), 2u);
        EXPECT_EQ(reply.text.substr(reply.text.size() - 2), "\r\n") << name;
    }
}
