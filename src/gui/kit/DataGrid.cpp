#include "gui/kit/DataGrid.h"

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

void DataGridView::commitEditor()
{
    if (!isEditing())
        return;
    // The view's own handling of a move within the same cell: commit, then close.
    const QModelIndex current = currentIndex();
    QTableView::currentChanged(current, current);
}

} // namespace datagrid
