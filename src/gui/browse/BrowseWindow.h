#pragma once
// The browse window "Interrogazione" (the original's Frmlibri): the whole table Tabella in an editable grid
// (a changed row is written when the user leaves it or closes the window, but not
// over a change another workstation made to it meanwhile without asking; rows
// are deleted with the Del key and added in the empty last row), the plain grid
// listing ("Stampa") and the catalogue report ("Stampa Report").
#include "gui/kit/DataGrid.h"
#include "gui/kit/WindowLayout.h"

#include <QMainWindow>
#include <QPushButton>

struct AppContext;

namespace browse {
class TabellaEditModel;
}

class BrowseWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit BrowseWindow(const AppContext &context, QWidget *parent = nullptr);
    ~BrowseWindow() override;

    // The loading steps; the registry calls it once its connections are made.
    void load();

    // Stores the change the grid still holds, the cell being typed in included.
    // A row another workstation changed meanwhile is stored or reloaded as the
    // user chooses. When the catalogue refuses it the user is told why and asked
    // whether to go on without it: false when the user chose to keep it (and stay).
    bool storePendingEdit();

    browse::TabellaEditModel &gridModel() { return *m_model; }

signals:
    // Loaded: the main window unchecks "Ricerca" and "Interrogazione".
    void loaded();
    // "Stampa Report": the report of the whole catalogue, shown modal over `caller`.
    void wholeCatalogueReportRequested(QWidget *caller);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static const windowlayout::Layout &layout();
    void showWholeTable();
    void query();
    void printListing();
    void printReport();
    void allowChanges();
    void leaveRow(const QModelIndex &current, const QModelIndex &previous);
    void deleteSelectedRows();
    // Stores the grid's pending edit. When another workstation changed its row
    // meanwhile the user chooses: store the edit anyway, or drop it and see the
    // row as stored now. Throws db::DbError or db::Refusal as the model does.
    void storeOrAskOnConflict();
    // Tells why the change could not be stored and asks whether to drop it: true when dropped.
    bool dropEditAsked(const QString &why);
    void setGridBackground(const QColor &colour);

    const AppContext &m_context;
    // Built from its layout table first; the members below are found by their names.
    const bool m_built = (windowlayout::build(*this, layout()), true);
    QPushButton *const m_reportButton = windowlayout::control<QPushButton>(*this, u"Command2");  // "Stampa Report"
    QPushButton *const m_listingButton = windowlayout::control<QPushButton>(*this, u"Command1"); // "Stampa"
    datagrid::DataGridView *const m_grid = windowlayout::control<datagrid::DataGridView>(*this, u"DataGrid1");
    browse::TabellaEditModel *m_model = nullptr;
};
