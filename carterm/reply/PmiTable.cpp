#include "carterm/reply/PmiTable.h"

#include "toolkit/TextOps.h"

#include <algorithm>

namespace carterm::pmi {

namespace {
constexpr unsigned rowRange(int first, int last)
{
    unsigned bits = 0;
    for (int r = first; r <= last; ++r)
        bits |= 1u << r;
    return bits;
}
constexpr int kLineLength = 40; // 38 characters and CR LF
constexpr int kFirstCellOffset = 5; // cell r starts at line start + 5 + 2r

size_t columnIndex(int column)
{
    const auto& columns = valueColumns();
    const auto it = std::find_if(columns.begin(), columns.end(), [&](const ValueColumn& c) { return c.column == column; });
    return static_cast<size_t>(it - columns.begin());
}

// POP, R1, R2, R4 as the controller reports each floor, floor 1 first.
constexpr std::array<std::array<int, 4>, 7> kPositionCodes = {{
    {0, 1, 0, 0}, {0, 0, 1, 0}, {1, 1, 1, 0}, {0, 0, 0, 1}, {1, 1, 0, 1}, {1, 0, 1, 1}, {0, 1, 1, 1},
}};
} // namespace

const std::array<ValueColumn, 5>& valueColumns()
{
    // Line 1 has no signals in cells 5-7; line 3 has none in cells 15-16.
    static const std::array<ValueColumn, 5> columns{{
        {1, 1, rowRange(1, 4) | rowRange(8, 16)},
        {3, 2, rowRange(1, 16)},
        {5, 3, rowRange(1, 14)},
        {7, 4, rowRange(1, 16)},
        {13, 8, rowRange(1, 16)},
    }};
    return columns;
}

long cellPosition(long headerPos, int tableLine, int row)
{
    return headerPos + kLineLength * tableLine + kFirstCellOffset + 2 * row;
}

std::string cellText(std::string_view buffer, long headerPos, int tableLine, int row)
{
    return toolkit::mid(buffer, cellPosition(headerPos, tableLine, row), 2);
}

TableValues::TableValues(std::string_view buffer, long headerPos) : headerPos_(headerPos)
{
    for (size_t i = 0; i < valueColumns().size(); ++i) {
        const ValueColumn& col = valueColumns()[i];
        for (int row = 1; row <= kRows; ++row)
            if (col.hasRow(row))
                cells_[i][static_cast<size_t>(row - 1)] = cellText(buffer, headerPos, col.tableLine, row);
    }
}

const std::string& TableValues::value(int column, int row) const
{
    static const std::string none;
    const size_t i = columnIndex(column);
    if (i >= cells_.size() || row < 1 || row > kRows)
        return none;
    return cells_[i][static_cast<size_t>(row - 1)];
}

std::optional<TableValues> readTable(std::string_view buffer)
{
    if (const long p = toolkit::instr(buffer, kHeader))
        return TableValues(buffer, p);
    return std::nullopt;
}

double smValue(const TableValues& table) { return toolkit::leadingNumber(table.value(kSmColumn, kSmRow)); }

std::optional<int> cellInteger(std::string_view cell)
{
    size_t i = 0;
    while (i < cell.size() && cell[i] == ' ')
        ++i;
    int value = 0;
    const size_t firstDigit = i;
    while (i < cell.size() && cell[i] >= '0' && cell[i] <= '9' && value < 10000)
        value = value * 10 + (cell[i++] - '0');
    if (i == firstDigit)
        return std::nullopt;
    while (i < cell.size() && (cell[i] == ' ' || cell[i] == '\r'))
        ++i;
    if (i != cell.size())
        return std::nullopt;
    return value;
}

std::optional<int> floorOf(int pop, int r1, int r2, int r4)
{
    const std::array<int, 4> bits{pop, r1, r2, r4};
    for (size_t floor = 0; floor < kPositionCodes.size(); ++floor)
        if (kPositionCodes[floor] == bits)
            return static_cast<int>(floor) + 1;
    return std::nullopt;
}

} // namespace carterm::pmi
