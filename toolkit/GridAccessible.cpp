#include "toolkit/GridAccessible.h"

#include <QAbstractItemModel>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QTableView>

#include <algorithm>

namespace toolkit {

namespace {

const char* const kGridMark = "hoistwiseGrid";

class GridCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    GridCell(QTableView* view, int row, int col) : view_(view), row_(row), col_(col) {}

    bool isValid() const override { return view_ && view_->model() && index().isValid(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(view_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name || t == QAccessible::Value)
            return index().data(Qt::DisplayRole).toString();
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {} // the grids are not edited
    QRect rect() const override
    {
        if (!view_)
            return {};
        const QRect r = view_->visualRect(index());
        return r.translated(view_->viewport()->mapToGlobal(QPoint(0, 0)));
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!view_ || !view_->isVisible() || !view_->viewport()->rect().intersects(view_->visualRect(index())))
            s.invisible = true;
        s.focusable = view_ && view_->focusPolicy() != Qt::NoFocus;
        s.focused = view_ && view_->hasFocus() && view_->currentIndex() == index();
        s.readOnly = true;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this) : nullptr;
    }

    bool isSelected() const override { return false; }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return col_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    QModelIndex index() const
    {
        return view_ && view_->model() ? view_->model()->index(row_, col_, view_->rootIndex()) : QModelIndex();
    }
    QPointer<QTableView> view_;
    int row_, col_;
};

class GridTable : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit GridTable(QTableView* view) : QAccessibleWidget(view, QAccessible::Table) {}
    ~GridTable() override
    {
        for (QAccessible::Id id : std::as_const(cells_))
            QAccessible::deleteAccessibleInterface(id);
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    int childCount() const override { return rowCount() * columnCount(); }
    QAccessibleInterface* child(int i) const override
    {
        const int cols = columnCount();
        if (i < 0 || i >= childCount() || cols == 0)
            return nullptr;
        return cell(i / cols, i % cols);
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        auto* c = child ? const_cast<QAccessibleInterface*>(child)->tableCellInterface() : nullptr;
        if (!c || child->parent() != this)
            return -1;
        return gridCellIndex(c->rowIndex(), c->columnIndex(), columnCount());
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QPoint p = view()->viewport()->mapFromGlobal(QPoint(x, y));
        const QModelIndex i = view()->indexAt(p);
        return i.isValid() ? cell(i.row(), i.column()) : nullptr;
    }
    QAccessibleInterface* focusChild() const override
    {
        const QModelIndex i = view()->currentIndex();
        return view()->hasFocus() && i.isValid() ? cell(i.row(), i.column()) : nullptr;
    }

    // The table. A cell asked for outside the grid is the nearest one: the bridge that asks
    // does not expect to get none.
    QAccessibleInterface* cellAt(int row, int col) const override
    {
        if (rowCount() == 0 || columnCount() == 0)
            return nullptr;
        return cell(std::clamp(row, 0, rowCount() - 1), std::clamp(col, 0, columnCount() - 1));
    }
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QString columnDescription(int) const override { return {}; }
    QString rowDescription(int) const override { return {}; }
    int columnCount() const override { return view()->model() ? view()->model()->columnCount() : 0; }
    int rowCount() const override { return view()->model() ? view()->model()->rowCount() : 0; }
    int selectedCellCount() const override { return 0; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override { return {}; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {} // cells read the model live

private:
    QTableView* view() const { return static_cast<QTableView*>(widget()); }
    QAccessibleInterface* cell(int row, int col) const
    {
        const int key = gridCellIndex(row, col, columnCount());
        auto found = cells_.constFind(key);
        if (found != cells_.constEnd())
            return QAccessible::accessibleInterface(found.value());
        auto* made = new GridCell(view(), row, col);
        cells_.insert(key, QAccessible::registerAccessibleInterface(made));
        return made;
    }
    mutable QHash<int, QAccessible::Id> cells_;
};

QAccessibleInterface* gridFactory(const QString&, QObject* object)
{
    if (auto* view = qobject_cast<QTableView*>(object); view && view->property(kGridMark).toBool())
        return new GridTable(view);
    return nullptr;
}

} // namespace

void makeGridAccessible(QTableView* view)
{
    static const bool installed = [] {
        QAccessible::installFactory(gridFactory);
        return true;
    }();
    (void)installed;
    view->setProperty(kGridMark, true);
    // With a client already listening, Qt may have made its own interface while the view was
    // being built: that one goes, so that the next query gets the grid's.
    if (QAccessible::isActive()) {
        QAccessibleInterface* made = QAccessible::queryAccessibleInterface(view);
        if (made && !dynamic_cast<GridTable*>(made))
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    }
}

} // namespace toolkit
