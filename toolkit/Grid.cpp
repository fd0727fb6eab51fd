#include "toolkit/Grid.h"

#include "toolkit/Bytes.h"
#include "toolkit/GridAccessible.h"

#include <QAccessible>

#include <QHeaderView>
#include <QTableWidget>

#include <stdexcept>

namespace toolkit {

namespace {
// The grid's view: an accessible table of exactly its cells, whose focus reports name the cell
// by its place in that table.
class GridView : public QTableWidget {
public:
    GridView(int rows, int cols) : QTableWidget(rows, cols) { makeGridAccessible(this); }

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override
    {
        QAbstractItemView::currentChanged(current, previous); // the table view's report counts headers
        if (QAccessible::isActive() && current.isValid() && hasFocus()) {
            QAccessibleEvent event(this, QAccessible::Focus);
            event.setChild(gridCellIndex(current.row(), current.column(), columnCount()));
            QAccessible::updateAccessibility(&event);
        }
    }
};
} // namespace

Grid::Grid(Container& parent, std::string name, int rows, int cols)
    : Control(parent, std::move(name), new GridView(rows, cols)), table_(static_cast<QTableWidget*>(widget())),
      rows_(rows), cols_(cols), cells_(static_cast<size_t>(rows * cols))
{
    table_->horizontalHeader()->hide();
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setTabKeyNavigation(false); // Tab leaves the grid for the next control
    table_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            table_->setItem(r, c, new QTableWidgetItem);
    setRowHeight(240);
}

void Grid::setRow(int r)
{
    if (r < 0 || r >= rows_)
        throw std::out_of_range(name() + ": row " + std::to_string(r) + " does not exist");
    if (r == row_)
        return;
    row_ = r;
    if (onRowColChange)
        onRowColChange();
}

void Grid::setCol(int c)
{
    if (c < 0 || c >= cols_)
        throw std::out_of_range(name() + ": column " + std::to_string(c) + " does not exist");
    if (c == col_)
        return;
    col_ = c;
    if (onRowColChange)
        onRowColChange();
}

const std::string& Grid::text() const { return cell(row_, col_); }

void Grid::setText(std::string_view t)
{
    auto& cell = cells_[static_cast<size_t>(row_ * cols_ + col_)];
    if (cell == t)
        return;
    cell = std::string(t);
    table_->item(row_, col_)->setText(toQt(cell));
}

const std::string& Grid::cell(int r, int c) const { return cells_.at(static_cast<size_t>(r * cols_ + c)); }

void Grid::setColWidth(int col, int twips) { table_->setColumnWidth(col, px(twips)); }

void Grid::setRowHeight(int twips)
{
    table_->verticalHeader()->setMinimumSectionSize(1);
    table_->verticalHeader()->setDefaultSectionSize(px(twips));
    for (int r = 0; r < rows_; ++r)
        table_->setRowHeight(r, px(twips));
}

void Grid::setGridLines(bool on) { table_->setShowGrid(on); }

} // namespace toolkit
