#pragma once
// The program's data grids: a QTableView whose rows all have one fixed height,
// so that a view over a million rows never measures its rows one by one, and
// which can hand the text of an open cell editor to its model on request.
#include <QTableView>

namespace datagrid {

void prepareForLargeResults(QTableView &grid);

class DataGridView : public QTableView {
public:
    explicit DataGridView(QWidget *parent = nullptr);
    bool isEditing() const { return state() == EditingState; }
    // Hands the text of the cell being edited to the model and closes the editor,
    // as leaving the cell does; the current cell stays where it is.
    void commitEditor();
};

} // namespace datagrid
