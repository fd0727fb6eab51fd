#pragma once
// Controller replies as they arrive on the line, for the car display tests.
#include <array>
#include <string>

namespace scope_test {

constexpr const char* kHeader = "PMI #  = = = = = = = = = = = = = = = =";

// A PMI table reply: the marker line, the header and eight lines of sixteen one-digit cells.
// cell(k, r) is cell r (1-16) of line k (1-8); every cell starts as '0'.
struct PmiTable {
    std::array<std::array<char, 16>, 8> cells{};

    PmiTable() { fill('0'); }
    void fill(char c)
    {
        for (auto& line : cells)
            line.fill(c);
    }
    char& cell(int k, int r) { return cells[static_cast<size_t>(k - 1)][static_cast<size_t>(r - 1)]; }
    // POP, R1, R2, R4 are cells 1-4 of line 4.
    void position(char pop, char r1, char r2, char r4)
    {
        cell(4, 1) = pop;
        cell(4, 2) = r1;
        cell(4, 3) = r2;
        cell(4, 4) = r4;
    }
    // SM is cell 14 of line 3.
    void sm(char v) { cell(3, 14) = v; }

    // The header and the eight lines, each 38 characters and CR LF.
    std::string table() const
    {
        std::string out = std::string(kHeader) + "\r\n";
        for (int k = 1; k <= 8; ++k) {
            std::string line = "    " + std::to_string(k) + "  ";
            for (int r = 0; r < 16; ++r) {
                if (r)
                    line += ' ';
                line += cells[static_cast<size_t>(k - 1)][static_cast<size_t>(r)];
            }
            out += line + "\r\n";
        }
        return out;
    }
    std::string reply() const { return "> PMII\r\n" + table(); }
};

// Every cell gets a digit of its own line and row, so a value read from the wrong offset shows.
inline PmiTable numberedTable()
{
    PmiTable t;
    for (int k = 1; k <= 8; ++k)
        for (int r = 1; r <= 16; ++r)
            t.cell(k, r) = static_cast<char>('0' + (k * 3 + r) % 10);
    return t;
}
// What a display shows for cell r of line k of that table: the digit, then a blank or, in the
// 16th cell, the line's CR.
inline std::string numberedCell(int k, int r)
{
    return std::string(1, static_cast<char>('0' + (k * 3 + r) % 10)) + (r == 16 ? "\r" : " ");
}

inline std::string velocityReply(const std::string& three) { return "VEL =   " + three + "\r\n"; }
inline std::string bbtReply(const std::string& five) { return "BBT  =  " + five + "\r\n"; }
inline std::string faultLine(int n, const std::string& code, const std::string& floor)
{
    return "FLT  " + std::to_string(n) + "  " + code + " FL " + floor + "\r\n";
}

} // namespace scope_test
