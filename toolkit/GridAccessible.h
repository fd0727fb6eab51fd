#pragma once
// How a grid appears to assistive technology: a table of exactly its rows and columns, one cell
// per child, no header cells (the grids have no fixed rows or columns). Qt's own table interface
// counts the hidden header sections as children and so reports cells that do not exist.
class QTableView;

namespace toolkit {

// Makes `view` appear as such a table (replacing any interface Qt made for it already).
void makeGridAccessible(QTableView* view);
// The child index a cell has in the grid's accessible table.
inline int gridCellIndex(int row, int col, int cols) { return row * cols + col; }

} // namespace toolkit
