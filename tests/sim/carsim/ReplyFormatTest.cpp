#include "ReplyFormat.h"
#include "TerminalView.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace carsim;
using namespace carsim::test;

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
    const std::string buffer = normaliseLineEnds("pmii\r\n" + formatPmiReply(table));

    ASSERT_NE(findMarker(buffer, "> PMII"), 0u);
    const std::size_t p = findMarker(buffer, "PMI #  = = = = = = = = = = = = = = = =");
    ASSERT_NE(p, 0u);
    EXPECT_LT(findMarker(buffer, "> PMII"), p);

    for (int k = 1; k <= kPmiLines; ++k) {
        // Each line of the table occupies 40 characters: 38 and CR LF.
        EXPECT_EQ(charsAt(buffer, p + 40 * k - 2, 2), "\r\n") << "end of line " << k - 1;
        for (int r = 1; r <= kPmiCells; ++r) {
            const std::string cell = charsAt(buffer, p + 40 * k + 5 + 2 * r, 2);
            ASSERT_EQ(cell.size(), 2u);
            EXPECT_EQ(cell[0], static_cast<char>('0' + table[k - 1][r - 1])) << "line " << k << " cell " << r;
            EXPECT_EQ(cell[1], r < kPmiCells ? ' ' : '\r') << "line " << k << " cell " << r;
        }
    }
    EXPECT_EQ(charsAt(buffer, p + 40 * 9 - 2, 2), "\r\n");

    // The display's own column formulas for table lines 1, 2, 3, 4 and 8.
    const struct {
        int line;
        std::size_t base;
    } columns[] = {{1, 45}, {2, 85}, {3, 125}, {4, 165}, {8, 325}};
    for (const auto& column : columns)
        for (int r = 1; r <= kPmiCells; ++r)
            EXPECT_EQ(charsAt(buffer, p + column.base + 2 * r, 1)[0],
                static_cast<char>('0' + table[column.line - 1][r - 1]))
                << "table line " << column.line << " row " << r;
}

TEST(PmiReply, WholeTableFitsTheReplyBufferAfterEarlierTraffic)
{
    // Earlier replies fill the buffer; the newest table must still be there in full, which needs
    // its header within the first 60 characters of the 418.
    std::string traffic(1000, 'x');
    traffic += "vel\r\n" + formatVelocityReply(120);
    traffic += "pmii\r\n" + formatPmiReply(patternTable());
    const std::string buffer = lastReplyWindow(normaliseLineEnds(traffic));

    const std::size_t p = findMarker(buffer, std::string(kPmiHeader));
    ASSERT_NE(p, 0u);
    EXPECT_LE(p, 60u);
    EXPECT_NE(findMarker(buffer, "> PMII"), 0u);
    EXPECT_EQ(charsAt(buffer, p + 325 + 2 * 16, 2).size(), 2u);
}

TEST(VelocityReply, ThreeCharactersRightAlignedAfterTheMarker)
{
    const struct {
        int fpm;
        const char* shown;
    } cases[] = {{0, "  0"}, {85, " 85"}, {7, "  7"}, {200, "200"}, {1500, "999"}, {-4, "  0"}};
    for (const auto& c : cases) {
        const std::string buffer = normaliseLineEnds("vel\r\n" + formatVelocityReply(c.fpm));
        const std::size_t m = findMarker(buffer, "VEL =   ");
        ASSERT_NE(m, 0u);
        EXPECT_EQ(charsAt(buffer, m + 8, 3), c.shown) << c.fpm;
        EXPECT_EQ(charsAt(buffer, m + 11, 2), "\r\n");
    }
}

TEST(BbtReply, FiveCharacterValueEightAfterTheMarker)
{
    const struct {
        double seconds;
        const char* shown;
    } cases[] = {{11.31, "11.31"}, {6.524, " 6.52"}, {0.0, " 0.00"}, {250.0, "99.99"}, {-1.0, " 0.00"}};
    for (const auto& c : cases) {
        const std::string buffer = normaliseLineEnds("bbt\r\n" + formatBbtReply(c.seconds));
        const std::size_t m = findMarker(buffer, "BBT");
        ASSERT_NE(m, 0u);
        EXPECT_EQ(charsAt(buffer, m + 8, 5), c.shown) << c.seconds;
        EXPECT_EQ(charsAt(buffer, m + 13, 2), "\r\n");
    }
}

TEST(FaultReply, OneBlockServesBothTerminals)
{
    const FaultRegisters faults = sampleFaults();
    // The echo is lower case, so the terminals' case-sensitive search skips it.
    const std::string buffer = normaliseLineEnds("flt0\r\n" + formatFaultReply(faults));

    // The older terminal: 76 characters at m + 8, which needs 84 from the "F".
    const std::size_t block = findMarker(buffer, "FLT0");
    ASSERT_NE(block, 0u);
    EXPECT_GE(buffer.size() - (block - 1), 84u);
    const std::string shown = charsAt(buffer, block + 8, 76);
    EXPECT_EQ(shown.size(), 76u);
    EXPECT_EQ(shown.substr(0, 6), "FLT  0");

    // The newer terminal: one register per marker, fields at m + 8 and m + 14.
    for (int n = 0; n < 4; ++n) {
        const std::size_t m = findMarker(buffer, "FLT  " + std::to_string(n));
        ASSERT_NE(m, 0u) << n;
        char code[3], floor[3];
        std::snprintf(code, sizeof code, "%02d", faults[n].code);
        std::snprintf(floor, sizeof floor, "%02d", faults[n].floor);
        EXPECT_EQ(charsAt(buffer, m + 8, 2), code) << n;
        EXPECT_EQ(charsAt(buffer, m + 14, 2), floor) << n;
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
        const std::string buffer = normaliseLineEnds(reply.text);
        for (const auto& marker : markers) {
            const bool own = (name == "pmii" && (marker == "> PMII" || marker == kPmiHeader))
                || (name == "vel" && marker == "VEL =   ") || (name == "bbt" && marker == "BBT")
                || (name == "flt0" && (marker == "FLT0" || marker == "FLT  "));
            EXPECT_EQ(findMarker(buffer, marker) != 0, own) << name << " / " << marker;
        }
        ASSERT_GE(reply.text.size(), 2u);
        EXPECT_EQ(reply.text.substr(reply.text.size() - 2), "\r\n") << name;
    }
}
