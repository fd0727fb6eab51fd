#pragma once
// Where the controller's PMI table puts each signal value in the reply buffer, written once for
// both car displays. After line-end normalisation every table line takes 40 characters: data
// line k begins 40k characters after the header's "P", and its sixteen 2-character cells begin
// at the line's 8th character, under the header's "=" marks.
#include <array>
#include <optional>
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

// The display column whose row 14 is the SM value; column 7 rows 1-4 hold POP, R1, R2, R4.
inline constexpr int kSmColumn = 5;
inline constexpr int kSmRow = 14;
inline constexpr int kPositionColumn = 7;

// 1-based buffer position of cell `row` of data line `tableLine`, for a header at `headerPos`.
long cellPosition(long headerPos, int tableLine, int row);

// The 2 characters of that cell, cut short (possibly empty) where the buffer ends.
std::string cellText(std::string_view buffer, long headerPos, int tableLine, int row);

// The value cells of the first table in a buffer, by display column and row. Rows a column does
// not fill stay empty.
class TableValues {
public:
    TableValues(std::string_view buffer, long headerPos);
    long headerPos() const { return headerPos_; }
    // The 2 characters (or fewer) shown in display column 1, 3, 5, 7 or 13, row 1-16.
    const std::string& value(int column, int row) const;

private:
    long headerPos_;
    std::array<std::array<std::string, kRows>, 5> cells_;
};

// The table whose header occurs first in the buffer; nothing without a header.
std::optional<TableValues> readTable(std::string_view buffer);

// The SM value as the SM check reads it: the leading number of its cell (none reads 0).
double smValue(const TableValues& table);

// The integer a table cell holds: optional blanks, digits, then optional blanks or the line's
// CR. Anything else, an empty cell (a table cut short) included, holds none.
std::optional<int> cellInteger(std::string_view cell);

// The floor POP, R1, R2 and R4 name: R1, R2, R4 are its binary digits and POP makes the four
// bits odd. Every other combination names no floor.
std::optional<int> floorOf(int pop, int r1, int r2, int r4);

} // namespace carterm::pmi
