#pragma once
// The program's data grids: a QTableView whose rows all have one fixed height,
// so that a view over a million rows never measures its rows one by one, that
// shows its model through a window of rows (RowWindow.h) so that ten million
// rows cost no more than a few thousand, and which can hand the text of an open
// cell editor to its model on request.
#include <QTableView>

namespace datagrid {

void prepareForLargeResults(QTableView &grid);

class DataGridView : public QTableView {
public:
    explicit DataGridView(QWidget *parent = nullptr);
    // Shows `model`'s rows, all of them, through a window of rows: model() is the
    // window, RowWindow::rowsOf(model()) the model given.
    void setModel(QAbstractItemModel *model) override;
    bool isEditing() const { return state() == EditingState; }
    // Hands the text of the cell being edited to the model and closes the editor,
    // as leaving the cell does; the current cell stays where it is.
    void commitEditor();
};

} // namespace datagrid
