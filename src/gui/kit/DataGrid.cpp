#include "gui/kit/DataGrid.h"

#include "gui/kit/RowWindow.h"

#include <QHeaderView>

namespace datagrid {

void prepareForLargeResults(QTableView &grid)
{
    QHeaderView *rows = grid.verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(grid.fontMetrics().height() + 6);
    rows->setMinimumSectionSize(1);
    grid.setWordWrap(false);
    grid.horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
}

DataGridView::DataGridView(QWidget *parent) : QTableView(parent)
{
    prepareForLargeResults(*this);
}

void DataGridView::setModel(QAbstractItemModel *model)
{
    QAbstractItemModel *old = QTableView::model();
    if (model) {
        auto *window = new RowWindow(*model, *this);
        QTableView::setModel(window);
        window->attach(*this);
    } else {
        QTableView::setModel(nullptr);
    }
    if (qobject_cast<RowWindow *>(old))
        delete old;
}

void DataGridView::commitEditor()
{
    if (!isEditing())
        return;
    // The view's own handling of a move within the same cell: commit, then close.
    const QModelIndex current = currentIndex();
    QTableView::currentChanged(current, current);
}

} // namespace datagrid
