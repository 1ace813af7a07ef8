#include "desktop/DataGrid.h"

#include <QHeaderView>
#include <QTableView>

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

} // namespace datagrid
