#pragma once
// Where the controller's PMI table puts each signal value in the reply buffer, written once for
// both car displays. After line-end normalisation every table line takes 40 characters: data
// line k begins 40k characters after the header's "P", and its sixteen 2-character cells begin
// at the line's 8th character, under the header's "=" marks.
#include <array>
#include <string>
#include <string_view>

namespace carterm::pmi {

inline constexpr std::string_view kReplyMarker = "> PMII";
inline constexpr std::string_view kHeader = "PMI #  = = = = = = = = = = = = = = = =";
inline constexpr int kRows = 16;

// A display column of values and the table line it is read from. Bit r of `rows` is set when
// row r (1-16) of the column is filled.
struct ValueColumn {
    int column;
    int tableLine;
    unsigned rows;
    bool hasRow(int row) const { return row >= 1 && row <= kRows && (rows >> row & 1u) != 0; }
};

// The five value columns in the order the displays fill them: 1, 3, 5, 7, 13.
const std::array<ValueColumn, 5>& valueColumns();

// The display column whose row 14 is the SM value, and the one read for the position bits.
inline constexpr int kSmColumn = 5;
inline constexpr int kSmRow = 14;

// 1-based buffer position of cell `row` of data line `tableLine`, for a header at `headerPos`.
long cellPosition(long headerPos, int tableLine, int row);

// The 2 characters of that cell, cut short (possibly empty) where the buffer ends.
std::string cellText(std::string_view buffer, long headerPos, int tableLine, int row);

} // namespace carterm::pmi
