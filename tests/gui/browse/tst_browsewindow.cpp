// The browse window as the user meets it: its controls, "Visualizza", editing in
// the grid (a row stored when it is left, on closing and on "Esci"), deleting
// and adding rows, the ID column closed to typing, the two printouts, the search
// window finding what the grid stored while its own result stays as found, and
// the choice the user gets when another workstation changed the row meanwhile.
#include "CatalogueRows.h"
#include "GuiTest.h"
#include "PdfText.h"
#include "TestEnvironment.h"
#include "core/catalogue/Catalogue.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/catalogue/RowSourceModel.h"
#include "core/catalogue/TabellaEditModel.h"
#include "gui/Windows.h"
#include "gui/browse/BrowseWindow.h"
#include "gui/browse/ReportPreview.h"
#include "gui/kit/DataGrid.h"
#include "gui/kit/RowWindow.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/search/SearchWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace db;

namespace {

// One record per key, Argomento "argomento <key>".
void fill(const TestEnvironment &env, const QStringList &keys)
{
    QList<QVariantMap> records;
    for (const QString &key : keys)
        records.append({{QStringLiteral("Chiave"), key},
                        {QStringLiteral("Argomento"), QString(QStringLiteral("argomento ") + key)}});
    testdata::addRecords(env, records);
}

using testdata::storedField;

const QString changedMeanwhile
    = QStringLiteral("Il record è stato modificato da un'altra postazione dopo che lei ha iniziato a modificarlo.\n"
                     "Salvare comunque le sue modifiche (Sì) o ricaricare il record com'è ora nel catalogo (No)?");

// Another workstation changes the Argomento of the record with that ID.
void changeElsewhere(const TestEnvironment &env, int id, const QString &argomento)
{
    testdata::runSql(env, QStringLiteral("UPDATE Tabella SET Argomento = ? WHERE ID = ?"), {argomento, id});
}

int column(const QTableView &grid, const QString &field)
{
    return testdata::columnOf(*grid.model(), field);
}

void deliverDeletions()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Opens the editor on a cell and types `text` in it, leaving the editor open.
void typeInto(QTableView &grid, int row, const QString &field, const QString &text)
{
    const QModelIndex cell = grid.model()->index(row, column(grid, field));
    grid.setCurrentIndex(cell);
    deliverDeletions(); // editors closed before
    grid.edit(cell);
    auto *editor = grid.viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->setText(text);
}

// Opens the browse window from the main window and shows the table.
BrowseWindow &openOnTable(Windows &windows)
{
    Ui(windows.mainWindow()).click(u"Command20");
    BrowseWindow &browse = *windows.loadedBrowseWindow();
    Ui(browse).trigger(u"Visualizza");
    return browse;
}
// The browse window over records with these keys, its table shown on screen.
struct ShownTable {
    struct Filled : TestEnvironment {
        explicit Filled(const QStringList &keys) { fill(*this, keys); }
    };
    explicit ShownTable(const QStringList &keys) : env(keys) { browse.show(); }
    Filled env;
    Windows windows{env.context};
    BrowseWindow &browse = openOnTable(windows);
    const Ui ui{browse};
    QTableView &grid = *ui.grid(u"DataGrid1");
};
} // namespace

class TestBrowseWindow : public QObject {
    Q_OBJECT
private slots:
    void opensEmptyWithItsControls();
    void opensClearingRicercaAndInterrogazione();
    void visualizzaOnAnEmptyTable();
    void visualizzaShowsTheTableForEditing();
    void changedRowStoredWhenLeftAndFoundBySearch();
    void idCannotBeTyped();
    void rowsDeletedWithTheDelKey();
    void newRowAddsARecord();
    void escDropsTheRowChange();
    void pendingEditStoredOnClose();
    void pendingEditStoredOnEsci();
    void refusedStoreOnCloseAsksFirst();
    void rowChangedElsewhereReloadedOnNo();
    void rowChangedElsewhereOverwrittenOnSiWhenClosing();
    void rowChangedElsewhereAskedBeforeADeletion();
    void searchResultKeepsItsRecordsWhileRowsChange();
    void stampaPrintsTheStoredRows();
    void stampaReportShowsTheTableAgain();
    void stampaReportOnAnEmptyTable();
    void databaseFailureLeavesTheWindowUsable();
};

void TestBrowseWindow::opensEmptyWithItsControls()
{
    TestEnvironment env;
    fill(env, {QStringLiteral("a")});
    Windows windows(env.context);
    Ui(windows.mainWindow()).click(u"Command20");
    BrowseWindow *browse = windows.loadedBrowseWindow();
    QVERIFY(browse && browse->isVisible());
    QCOMPARE(browse->objectName(), QStringLiteral("Frmlibri"));
    QCOMPARE(browse->windowTitle(), QStringLiteral("Interrogazione"));
    auto *command2 = Ui(*browse).find<QPushButton>(u"Command2");
    auto *command1 = Ui(*browse).find<QPushButton>(u"Command1");
    auto *grid = Ui(*browse).find<QTableView>(u"DataGrid1");
    auto *label = Ui(*browse).find<QLabel>(u"Label1");
    QVERIFY(command2 && command1 && grid && label);
    QCOMPARE(command2->text(), QStringLiteral("Stampa Report"));
    QCOMPARE(command1->text(), QStringLiteral("Stampa"));
    // Their places and sizes are in the layout file (tst_layouts).
    QCOMPARE(label->text(),
             QStringLiteral("Nota: Per modificare , basta posizionarsi nel campo interessato, fare la "
                            "modifica e chiudere la maschera . L'unico Campo non modificabile è il "
                            "campo ID."));
    // "Visualizza", then the program's own "Esporta".
    const QList<QAction *> menu = browse->menuBar()->actions();
    QCOMPARE(menu.size(), 2);
    QCOMPARE(menu.last()->objectName(), QStringLiteral("Esporta"));
    QCOMPARE(menu.first()->objectName(), QStringLiteral("Visualizza"));
    QCOMPARE(menu.first()->text(), QStringLiteral("&Visualizza"));
    QVERIFY(!browse->findChild<QObject *>(QStringLiteral("Adodc1")));
    QCOMPARE(grid->model()->rowCount(), 0);
    QCOMPARE(grid->model()->columnCount(), 0);
    QCOMPARE(grid->palette().color(QPalette::Base), QColor(255, 255, 255));
    QCOMPARE(grid->palette().color(QPalette::Text), QColor(0, 0, 255));
    QCOMPARE(env.dialogs.shown.size(), 0);
}

void TestBrowseWindow::opensClearingRicercaAndInterrogazione()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui main(windows.mainWindow());
    {
        const QSignalBlocker quiet4(main.checkBox(u"Check4")), quiet7(main.checkBox(u"Check7"));
        main.checkBox(u"Check4")->setChecked(true);
        main.checkBox(u"Check7")->setChecked(true);
    }
    windows.browseWindow();
    QVERIFY(!main.checkBox(u"Check4")->isChecked());
    QVERIFY(!main.checkBox(u"Check7")->isChecked());
    // Clearing "Ricerca" runs its handler, which shows the search window.
    QVERIFY(windows.loadedSearchWindow());
}

void TestBrowseWindow::visualizzaOnAnEmptyTable()
{
    TestEnvironment env;
    Windows windows(env.context);
    env.dialogs.answerButton(QMessageBox::Ok);
    BrowseWindow &browse = openOnTable(windows);
    const Ui ui(browse);
    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY_BOX(env.dialogs.last(), .icon = QMessageBox::Information, .text = QStringLiteral("Nessun record trovato"),
                .title = QStringLiteral("Ricerca fallita"), .buttons = QMessageBox::Ok);
    QCOMPARE(ui.grid(u"DataGrid1")->model()->rowCount(), 0);
}

void TestBrowseWindow::visualizzaShowsTheTableForEditing()
{
    TestEnvironment env;
    fill(env, {QStringLiteral("a"), QStringLiteral("b")});
    Windows windows(env.context);
    BrowseWindow &browse = openOnTable(windows);
    const Ui ui(browse);
    QAbstractItemModel &model = *ui.grid(u"DataGrid1")->model();
    QCOMPARE(model.columnCount(), 12);
    for (int c = 0; c < 12; ++c)
        QCOMPARE(model.headerData(c, Qt::Horizontal).toString(), tabellaFields().at(c));
    QCOMPARE(model.rowCount(), 3); // two records and the empty row for a new one
    QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("b"));
    QCOMPARE(model.headerData(2, Qt::Vertical).toString(), QStringLiteral("*"));
    QVERIFY(model.index(0, 1).flags() & Qt::ItemIsEditable);
    QCOMPARE(env.dialogs.shown.size(), 0);

    // A record added meanwhile by another window shows up at the next "Visualizza".
    fill(env, {QStringLiteral("c")});
    ui.trigger(u"Visualizza");
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(model.index(2, 1).data().toString(), QStringLiteral("c"));
}

void TestBrowseWindow::changedRowStoredWhenLeftAndFoundBySearch()
{
    ShownTable shown({QStringLiteral("a"), QStringLiteral("b")});
    auto &[env, windows, browse, ui, grid] = shown;
    QVERIFY(QTest::qWaitForWindowExposed(&browse));
    typeInto(grid, 0, QStringLiteral("Argomento"), QStringLiteral("Nuovo argomento dell'anno"));
    typeInto(grid, 0, QStringLiteral("Note"), QStringLiteral("nota")); // same row: nothing stored yet
    QCOMPARE(storedField(env, QStringLiteral("Argomento")).at(0), QStringLiteral("argomento a"));
    QCOMPARE(grid.palette().color(QPalette::Base), QColor(255, 255, 0));
    QCOMPARE(grid.model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("\u270E"));

    grid.setCurrentIndex(grid.model()->index(1, 2)); // leaving the row stores it
    QCOMPARE(storedField(env, QStringLiteral("Argomento")),
             (QStringList{QStringLiteral("Nuovo argomento dell'anno"), QStringLiteral("argomento b")}));
    QCOMPARE(storedField(env, QStringLiteral("Note")).at(0), QStringLiteral("nota"));
    QCOMPARE(grid.palette().color(QPalette::Base), QColor(0, 255, 0));
    QCOMPARE(env.dialogs.shown.size(), 0);

    // The search window finds the record by its new text.
    SearchWindow &search = windows.searchWindow();
    env.dialogs.answerInput(QStringLiteral("dell'anno"));
    env.dialogs.answerButton(QMessageBox::No);
    Ui(search).trigger(u"Argomento");
    QCOMPARE(Ui(search).grid(u"dgCustomers")->model()->rowCount(), 1);
    QCOMPARE(Ui(search).grid(u"dgCustomers")->model()->index(0, 1).data().toString(), QStringLiteral("a"));
}

void TestBrowseWindow::idCannotBeTyped()
{
    ShownTable shown({QStringLiteral("a")});
    auto &[env, windows, browse, ui, grid] = shown;
    for (int row : {0, 1}) {
        const QModelIndex id = grid.model()->index(row, 0);
        QVERIFY(!(id.flags() & Qt::ItemIsEditable));
        grid.setCurrentIndex(id);
        grid.edit(id);
        QVERIFY(!grid.viewport()->findChild<QLineEdit *>());
        QVERIFY(!grid.model()->setData(id, 77));
    }
    QCOMPARE(storedField(env, QStringLiteral("ID")), QStringList{QStringLiteral("1")});
}

void TestBrowseWindow::rowsDeletedWithTheDelKey()
{
    ShownTable shown({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")});
    auto &[env, windows, browse, ui, grid] = shown;
    grid.selectRow(1);
    grid.selectionModel()->select(grid.model()->index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(&grid, Qt::Key_Delete);
    QCOMPARE(storedField(env, QStringLiteral("Chiave")), (QStringList{QStringLiteral("a"), QStringLiteral("c")}));
    QCOMPARE(grid.model()->rowCount(), 3);
    QCOMPARE(grid.model()->index(1, 1).data().toString(), QStringLiteral("c"));
    // A single cell chosen, not a row: nothing is deleted.
    grid.setCurrentIndex(grid.model()->index(0, 2));
    QTest::keyClick(&grid, Qt::Key_Delete);
    QCOMPARE(storedField(env, QStringLiteral("Chiave")).size(), 2);
}

void TestBrowseWindow::newRowAddsARecord()
{
    ShownTable shown({QStringLiteral("a")});
    auto &[env, windows, browse, ui, grid] = shown;
    typeInto(grid, 1, QStringLiteral("Chiave"), QStringLiteral("nuova"));
    typeInto(grid, 1, QStringLiteral("Pubblicazione"), QStringLiteral("Focus"));
    grid.setCurrentIndex(grid.model()->index(0, 1));
    QCOMPARE(storedField(env, QStringLiteral("Chiave")), (QStringList{QStringLiteral("a"), QStringLiteral("nuova")}));
    QCOMPARE(storedField(env, QStringLiteral("Pubblicazione")).at(1), QStringLiteral("Focus"));
    QCOMPARE(grid.model()->rowCount(), 3);
    QCOMPARE(grid.model()->index(1, 0).data().toString(), QStringLiteral("2"));
    QCOMPARE(grid.model()->index(2, 1).data(), QVariant());
}

void TestBrowseWindow::escDropsTheRowChange()
{
    ShownTable shown({QStringLiteral("a"), QStringLiteral("b")});
    auto &[env, windows, browse, ui, grid] = shown;
    grid.model()->setData(grid.model()->index(0, 1), QStringLiteral("x"));
    QTest::keyClick(&grid, Qt::Key_Escape);
    QCOMPARE(grid.model()->index(0, 1).data().toString(), QStringLiteral("a"));
    grid.setCurrentIndex(grid.model()->index(1, 1));
    QVERIFY(browse.close());
    QCOMPARE(storedField(env, QStringLiteral("Chiave")), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
}

void TestBrowseWindow::pendingEditStoredOnClose()
{
    TestEnvironment env;
    fill(env, {QStringLiteral("a")});
    Windows windows(env.context);
    QPointer<BrowseWindow> browse = &openOnTable(windows);
    browse->show();
    typeInto(*Ui(*browse).grid(u"DataGrid1"), 0, QStringLiteral("Testo"), QStringLiteral("scritto e mai lasciato"));
    QVERIFY(browse->close());
    QCOMPARE(storedField(env, QStringLiteral("Testo")), QStringList{QStringLiteral("scritto e mai lasciato")});
    deliverDeletions();
    QVERIFY(!browse);
    QVERIFY(!windows.loadedBrowseWindow());
    // The next opening starts again with an empty grid.
    Ui(windows.mainWindow()).click(u"Command20");
    QCOMPARE(Ui(*windows.loadedBrowseWindow()).grid(u"DataGrid1")->model()->rowCount(), 0);
}

void TestBrowseWindow::pendingEditStoredOnEsci()
{
    ShownTable shown({QStringLiteral("a")});
    auto &[env, windows, browse, ui, grid] = shown;
    typeInto(*ui.grid(u"DataGrid1"), 1, QStringLiteral("Chiave"), QStringLiteral("aggiunta prima di uscire"));
    Ui(windows.mainWindow()).checkBox(u"Check11")->setChecked(true); // "Esci"
    QCOMPARE(env.endProgramCalls, 1);
    QCOMPARE(storedField(env, QStringLiteral("Chiave")),
             (QStringList{QStringLiteral("a"), QStringLiteral("aggiunta prima di uscire")}));
    QCOMPARE(env.dialogs.shown.size(), 0);
}

void TestBrowseWindow::refusedStoreOnCloseAsksFirst()
{
    ShownTable shown({QStringLiteral("a"), QStringLiteral("b")});
    auto &[env, windows, browse, ui, grid] = shown;
    typeInto(*ui.grid(u"DataGrid1"), 0, QStringLiteral("Chiave"), QStringLiteral("A"));
    testdata::runSql(env, {QStringLiteral("DELETE FROM Tabella WHERE ID = 1")}); // another window deletes it
    env.dialogs.answerButton(QMessageBox::No);
    QVERIFY(!browse.close());
    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY(env.dialogs.last().text.contains(QStringLiteral("Proseguire perdendo la modifica?")));
    QCOMPARE(env.dialogs.last().buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(env.dialogs.last().defaultButton, QMessageBox::No); // Enter keeps the change
    QVERIFY(browse.isVisible());
    QCOMPARE(browse.gridModel().pendingRow(), 0);

    // "Esci" asks the same; No keeps the program running.
    env.dialogs.answerButton(QMessageBox::No);
    windows.endProgram();
    QCOMPARE(env.endProgramCalls, 0);

    env.dialogs.answerButton(QMessageBox::Yes);
    QVERIFY(browse.close());
    QCOMPARE(storedField(env, QStringLiteral("Chiave")), QStringList{QStringLiteral("b")});
    QCOMPARE(env.dialogs.unexpected, 0);
}

// The default answer keeps the other workstation's record: the change typed
// here is dropped and the row shows the record as stored now.
void TestBrowseWindow::rowChangedElsewhereReloadedOnNo()
{
    ShownTable shown({QStringLiteral("a"), QStringLiteral("b")});
    auto &[env, windows, browse, ui, grid] = shown;
    typeInto(grid, 0, QStringLiteral("Chiave"), QStringLiteral("mia"));
    changeElsewhere(env, 1, QStringLiteral("altrui"));
    env.dialogs.answerButton(QMessageBox::No);
    grid.setCurrentIndex(grid.model()->index(1, 2));

    QCOMPARE(env.dialogs.shown.size(), 1);
    QCOMPARE(env.dialogs.last().text, changedMeanwhile);
    QCOMPARE(env.dialogs.last().buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(env.dialogs.last().defaultButton, QMessageBox::No);
    QCOMPARE(storedField(env, QStringLiteral("Chiave")), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    QCOMPARE(storedField(env, QStringLiteral("Argomento")).at(0), QStringLiteral("altrui"));
    QVERIFY(!browse.gridModel().hasPendingEdit());
    QCOMPARE(grid.model()->index(0, column(grid, QStringLiteral("Chiave"))).data().toString(), QStringLiteral("a"));
    QCOMPARE(grid.model()->index(0, column(grid, QStringLiteral("Argomento"))).data().toString(),
             QStringLiteral("altrui"));
    QCOMPARE(grid.currentIndex().row(), 1); // the user goes on where he went
    QVERIFY(browse.close());
    QCOMPARE(env.dialogs.shown.size(), 1);
    QCOMPARE(env.dialogs.unexpected, 0);
}

// Sì stores what was typed over the other workstation's record: its fields not
// typed here stay as it stored them.
void TestBrowseWindow::rowChangedElsewhereOverwrittenOnSiWhenClosing()
{
    ShownTable shown({QStringLiteral("a")});
    auto &[env, windows, browse, ui, grid] = shown;
    typeInto(*ui.grid(u"DataGrid1"), 0, QStringLiteral("Chiave"), QStringLiteral("mia"));
    changeElsewhere(env, 1, QStringLiteral("altrui"));
    env.dialogs.answerButton(QMessageBox::Yes);
    QVERIFY(browse.close());
    QCOMPARE(env.dialogs.shown.size(), 1);
    QCOMPARE(env.dialogs.last().text, changedMeanwhile);
    QCOMPARE(storedField(env, QStringLiteral("Chiave")), QStringList{QStringLiteral("mia")});
    QCOMPARE(storedField(env, QStringLiteral("Argomento")), QStringList{QStringLiteral("altrui")});
    QCOMPARE(env.dialogs.unexpected, 0);
}

// Deleting other rows stores the changed row first: the same question, then the deletion.
void TestBrowseWindow::rowChangedElsewhereAskedBeforeADeletion()
{
    ShownTable shown({QStringLiteral("a"), QStringLiteral("b")});
    auto &[env, windows, browse, ui, grid] = shown;
    const QModelIndex changed = grid.model()->index(0, column(grid, QStringLiteral("Chiave")));
    grid.setCurrentIndex(changed);
    QVERIFY(grid.model()->setData(changed, QStringLiteral("mia")));
    changeElsewhere(env, 1, QStringLiteral("altrui"));
    env.dialogs.answerButton(QMessageBox::Yes);
    // Row 1 chosen with its selector while the changed row stays the current one.
    grid.selectionModel()->select(grid.model()->index(1, 0),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QTest::keyClick(&grid, Qt::Key_Delete);
    QCOMPARE(env.dialogs.shown.size(), 1);
    QCOMPARE(env.dialogs.last().text, changedMeanwhile);
    QCOMPARE(storedField(env, QStringLiteral("Chiave")), QStringList{QStringLiteral("mia")});
    QCOMPARE(storedField(env, QStringLiteral("Argomento")), QStringList{QStringLiteral("altrui")});
    QCOMPARE(env.dialogs.unexpected, 0);
}

// The search window's result keeps the records it found: a row changed in the
// browse window shows as changed, a deleted one shows empty, an added one stays
// out of it; the next search sees them.
void TestBrowseWindow::searchResultKeepsItsRecordsWhileRowsChange()
{
    TestEnvironment env;
    fill(env, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    Windows windows(env.context);
    SearchWindow &search = windows.searchWindow();
    auto *result = qobject_cast<RowSourceModel *>(RowWindow::rowsOf(Ui(search).grid(u"dgCustomers")->model()));
    QVERIFY(result);
    QCOMPARE(result->rowCount(), 3);

    BrowseWindow &browse = openOnTable(windows);
    browse::TabellaEditModel &edits = browse.gridModel();
    QVERIFY(edits.setData(edits.index(0, 1), QStringLiteral("cambiata")));
    edits.storePendingEdit();
    edits.deleteRows({1});
    QVERIFY(edits.setData(edits.index(edits.newRow(), 1), QStringLiteral("aggiunta")));
    edits.storePendingEdit();
    QCOMPARE(storedField(env, QStringLiteral("Chiave")),
             (QStringList{QStringLiteral("cambiata"), QStringLiteral("c"), QStringLiteral("aggiunta")}));

    // Read the search result again from the catalogue, not from what it remembers.
    static_cast<QueryRowSource *>(result->source().get())->invalidate();
    QCOMPARE(result->rowCount(), 3);
    QStringList keys;
    for (int row = 0; row < result->rowCount(); ++row)
        keys.append(result->index(row, 1).data().toString());
    QCOMPARE(keys, (QStringList{QStringLiteral("cambiata"), QString(), QStringLiteral("c")}));

    env.dialogs.answerInput(QStringLiteral("a"));
    env.dialogs.answerButton(QMessageBox::No);
    Ui(search).trigger(u"Chiave");
    QCOMPARE(result->rowCount(), 2);
    QCOMPARE(result->index(0, 1).data().toString(), QStringLiteral("cambiata"));
    QCOMPARE(result->index(1, 1).data().toString(), QStringLiteral("aggiunta"));
}

void TestBrowseWindow::stampaPrintsTheStoredRows()
{
    ShownTable shown({QStringLiteral("uno"), QStringLiteral("due")});
    auto &[env, windows, browse, ui, grid] = shown;
    typeInto(*ui.grid(u"DataGrid1"), 1, QStringLiteral("Chiave"), QStringLiteral("DUE"));
    ui.click(u"Command1");
    QCOMPARE(storedField(env, QStringLiteral("Chiave")), (QStringList{QStringLiteral("uno"), QStringLiteral("DUE")}));
    const QStringList lines = pdftext::lines(env.printers.pdfPath);
    QCOMPARE(lines.size(), 2); // no line for the empty new row
    QVERIFY(lines.at(0).startsWith(QStringLiteral("1")));
    QVERIFY(lines.at(0).contains(QStringLiteral("uno")));
    QVERIFY(lines.at(1).contains(QStringLiteral("DUE")));
    QVERIFY(browse.gridModel().isEditable());
    QCOMPARE(ui.grid(u"DataGrid1")->model()->rowCount(), 3);
    QCOMPARE(env.dialogs.unexpected, 0);
}

void TestBrowseWindow::stampaReportShowsTheTableAgain()
{
    TestEnvironment env;
    fill(env, {QStringLiteral("uno"), QStringLiteral("due")});
    Windows windows(env.context);
    Ui(windows.mainWindow()).click(u"Command20");
    BrowseWindow &browse = *windows.loadedBrowseWindow();
    const Ui ui(browse);
    int records = -1;
    QTimer::singleShot(0, &browse, [&] {
        ReportPreview *report = windows.loadedReportPreview();
        QVERIFY(report && report->report());
        records = report->report()->recordsOn(1).count;
        report->close();
    });
    ui.click(u"Command2");
    QCOMPARE(records, 2);
    QCOMPARE(ui.grid(u"DataGrid1")->model()->rowCount(), 3);
    QVERIFY(browse.gridModel().isEditable());
    QCOMPARE(env.dialogs.shown.size(), 0);
}

void TestBrowseWindow::stampaReportOnAnEmptyTable()
{
    TestEnvironment env;
    Windows windows(env.context);
    Ui(windows.mainWindow()).click(u"Command20");
    BrowseWindow &browse = *windows.loadedBrowseWindow();
    const Ui ui(browse);
    bool shown = false;
    env.dialogs.answerButton(QMessageBox::Ok);
    QTimer::singleShot(0, &browse, [&] {
        shown = windows.loadedReportPreview() && windows.loadedReportPreview()->isVisible();
        windows.loadedReportPreview()->close();
    });
    ui.click(u"Command2");
    QCOMPARE(env.dialogs.shown.size(), 1);
    QCOMPARE(env.dialogs.last().text, QStringLiteral("Nessun record trovato"));
    QVERIFY(shown);
}

void TestBrowseWindow::databaseFailureLeavesTheWindowUsable()
{
    TestEnvironment env;
    if (env.onServer())
        QSKIP("breaks the catalogue file itself");
    fill(env, {QStringLiteral("a")});
    Windows windows(env.context);
    BrowseWindow &browse = openOnTable(windows);
    const Ui ui(browse);
    const QString hidden = env.catalogPath() + QStringLiteral(".via");
    QVERIFY(QFile::rename(env.catalogPath(), hidden));
    env.dialogs.answerButton(QMessageBox::Ok);
    ui.trigger(u"Visualizza");
    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY(env.dialogs.last().text.contains(QStringLiteral("db1.mdb")));
    QCOMPARE(env.dialogs.last().icon, QMessageBox::Critical);
    QCOMPARE(ui.grid(u"DataGrid1")->model()->rowCount(), 2);

    // A row change that cannot be stored: told, and the change stays in the grid.
    browse.show();
    QTableView &grid = *ui.grid(u"DataGrid1");
    typeInto(grid, 0, QStringLiteral("Chiave"), QStringLiteral("tenuta"));
    env.dialogs.answerButton(QMessageBox::Ok);
    grid.setCurrentIndex(grid.model()->index(1, 1));
    QCOMPARE(env.dialogs.shown.size(), 2);
    QVERIFY(browse.gridModel().hasPendingEdit());
    QTRY_COMPARE(grid.currentIndex().row(), 0);

    QVERIFY(QFile::rename(hidden, env.catalogPath()));
    grid.setCurrentIndex(grid.model()->index(1, 1));
    QCOMPARE(storedField(env, QStringLiteral("Chiave")), QStringList{QStringLiteral("tenuta")});
    QCOMPARE(env.dialogs.unexpected, 0);
}

QTEST_MAIN(TestBrowseWindow)
#include "tst_browsewindow.moc"
