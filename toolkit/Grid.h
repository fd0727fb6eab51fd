#pragma once
// A grid that works on a current cell: select the row and column, then set or read the text.
#include "toolkit/Control.h"

#include <vector>

class QTableWidget;

namespace toolkit {

class Grid : public Control {
public:
    Grid(Container& parent, std::string name, int rows, int cols);
    int rows() const { return rows_; }
    int cols() const { return cols_; }
    int row() const { return row_; }
    int col() const { return col_; }
    void setRow(int r);
    void setCol(int c);
    const std::string& text() const;
    void setText(std::string_view t);
    // Direct access for display code and tests.
    const std::string& cell(int r, int c) const;
    void setColWidth(int col, int twips);
    void setRowHeight(int twips);
    void setGridLines(bool on);
    // Runs when the current cell moves.
    std::function<void()> onRowColChange;

private:
    QTableWidget* table_;
    int rows_, cols_;
    int row_ = 0, col_ = 0;
    std::vector<std::string> cells_;
};

} // namespace toolkit
