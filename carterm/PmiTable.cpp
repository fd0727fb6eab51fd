#include "PmiTable.h"

#include "Bytes.h"

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

} // namespace carterm::pmi
