#pragma once
// The browse window "Interrogazione": the whole table Tabella in an editable grid
// (a changed row is written when the user leaves it or closes the window; rows
// are deleted with the Del key and added in the empty last row), the plain grid
// listing ("Stampa") and the catalogue report ("Stampa Report").
#include <QMainWindow>

class QAction;
class QLabel;
class QPushButton;
class Windows;

namespace datagrid {
class DataGridView;
}

namespace browse {
class TabellaEditModel;
}

class Frmlibri : public QMainWindow {
    Q_OBJECT
public:
    explicit Frmlibri(Windows &windows, QWidget *parent = nullptr);
    ~Frmlibri() override;

    // Stores the change the grid still holds, the cell being typed in included.
    // When the catalogue refuses it the user is told why and asked whether to go
    // on without it: false when the user chose to keep it (and stay).
    bool storePendingEdit();

    QPushButton *Command2 = nullptr; // "Stampa Report"
    QPushButton *Command1 = nullptr; // "Stampa"
    datagrid::DataGridView *DataGrid1 = nullptr;
    QLabel *Label1 = nullptr;
    QAction *Visualizza = nullptr;

    browse::TabellaEditModel &gridModel() { return *m_model; }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void showWholeTable();
    void query(const QString &str);
    void stampa();
    void stampaReport();
    void allowChanges();
    void leaveRow(const QModelIndex &current, const QModelIndex &previous);
    void deleteSelectedRows();
    void setGridBackground(const QColor &colour);

    Windows &m_windows;
    browse::TabellaEditModel *m_model = nullptr;
    QString m_statement;
};
