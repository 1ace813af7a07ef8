#pragma once
// Setting up a QTableView as the program's data grids: rows of one fixed height,
// so that a view over a million rows never measures its rows one by one.
class QTableView;

namespace datagrid {
void prepareForLargeResults(QTableView &grid);
}
