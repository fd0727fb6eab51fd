#pragma once
// cabtalk's car window and start-up on the deterministic platform with an in-memory serial
// device, and a builder for controller replies in the wire layout.
#include "cabtalk/TalkForm1.h"
#include "cabtalk/CabtalkProgram.h"
#include "tests/support/WindowHarness.h"
#include "tests/support/WindowTest.h"

#include <array>
#include <string>

using TalkWindowHarness = WindowHarness<carterm::TalkForm1>;
using TalkProgramHarness = WindowHarness<carterm::CabtalkProgram>;

// The car window tests' fixture, with the lamp timer's first tick run.
struct TalkWindowTest : WindowTest<TalkWindowHarness> {
    void SetUp() override
    {
        h.platform.advance(1);
        h.sent();
    }
};

// A PMI reply as the controller sends it: "> PMII", the header and eight data lines, every line
// ending CR LF. Each cell holds 2 characters; the 16th cell's second character is the line's CR,
// so only its first character is set.
struct PmiReply {
    std::array<std::array<std::string, 16>, 8> cells;

    PmiReply()
    {
        // Distinct cells: line letter and row digit, "a1" .. "h9", "aA" .. "hG".
        for (int k = 1; k <= 8; ++k)
            for (int r = 1; r <= 16; ++r)
                cells[k - 1][r - 1] = std::string{char('a' + k - 1), "0123456789ABCDEFG"[r]};
    }
    void set(int line, int row, std::string two) { cells[line - 1][row - 1] = std::move(two); }
    // The text the display shows for a cell.
    std::string shown(int line, int row) const
    {
        return row == 16 ? cells[line - 1][15].substr(0, 1) + "\r" : cells[line - 1][row - 1];
    }
    std::string text() const
    {
        std::string out = "> PMII\r\nPMI #  = = = = = = = = = = = = = = = =\r\n";
        for (int k = 1; k <= 8; ++k) {
            out += "    " + std::to_string(k) + "  ";
            for (int r = 1; r <= 15; ++r)
                out += cells[k - 1][r - 1];
            out += cells[k - 1][15].substr(0, 1) + "\r\n";
        }
        return out;
    }
};
