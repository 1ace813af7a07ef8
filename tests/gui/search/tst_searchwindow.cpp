// The search window as the user meets it: opening on the whole catalogue, the
// four searches with their boxes and the searches they make, the read-only result, printing
// the result, the grid following the window's size, placement and column widths
// kept in CINFIG.INI, and the main window's check boxes.
#include "CatalogueRows.h"
#include "GuiTest.h"
#include "PdfText.h"
#include "TestEnvironment.h"
#include "Tools.h"
#include "core/catalogue/Catalogue.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/catalogue/RowSourceModel.h"
#include "core/settings/IniSettings.h"
#include "core/settings/Twips.h"
#include "gui/Windows.h"
#include "gui/browse/ReportPreview.h"
#include "gui/kit/DataGrid.h"
#include "gui/kit/Guard.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/search/SearchWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace db;

namespace {
struct Record {
    QString chiave, argomento, testo, pubblicazione;
};

// The catalogue the searches run on; IDs 1 to 5 in this order.
const QList<Record> catalogue = {
    {QStringLiteral("Storia"), QStringLiteral("Roma antica"), QStringLiteral("testo uno"), QStringLiteral("Focus")},
    {QStringLiteral("O'Brien"), QStringLiteral("Irlanda"), QStringLiteral("due"), QStringLiteral("rivista mensile")},
    {QStringLiteral("città"), QStringLiteral("Urbanistica"), QStringLiteral("la CITTÀ ideale"),
     QStringLiteral("Rivista")},
    {QStringLiteral("scienza nuova"), QStringLiteral("Fisica"), QStringLiteral("tre"), QStringLiteral("Le Scienze")},
    {QStringLiteral("storie"), QStringLiteral("Medioevo"), QStringLiteral("quattro"), QStringLiteral("Focus")},
};

void fill(const TestEnvironment &env, const QList<Record> &records = catalogue)
{
    QList<QVariantMap> fields;
    for (const Record &r : records)
        fields.append({{QStringLiteral("Chiave"), r.chiave},
                       {QStringLiteral("Argomento"), r.argomento},
                       {QStringLiteral("Testo"), r.testo},
                       {QStringLiteral("Pubblicazione"), r.pubblicazione}});
    testdata::addRecords(env, fields);
}

// The IDs the grid shows, top to bottom.
QStringList gridIds(const QTableView &grid)
{
    QStringList ids;
    for (int row = 0; row < grid.model()->rowCount(); ++row)
        ids.append(grid.model()->index(row, 0).data().toString());
    return ids;
}

QStringList headings(const QTableView &grid)
{
    QStringList names;
    for (int c = 0; c < grid.model()->columnCount(); ++c)
        names.append(grid.model()->headerData(c, Qt::Horizontal).toString());
    return names;
}

// Searches with the menu item `item` for `typed`, answering No to printing.
void searchFor(TestEnvironment &env, const Ui &ui, QStringView item, const QString &typed)
{
    env.dialogs.answerInput(typed);
    env.dialogs.answerButton(QMessageBox::No);
    ui.trigger(item);
}

void deliverDeletions()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A shown window once its frame is drawn: on a desktop the window manager frames
// it a moment after it is shown (the test also runs under one, see
// with-window-manager.sh); offscreen, at once.
bool framed(QWidget *window)
{
    if (!QTest::qWaitForWindowExposed(window))
        return false;
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        (void)QTest::qWaitFor([&] { return !window->windowHandle()->frameMargins().isNull(); }, 3000);
    QCoreApplication::processEvents();
    return true;
}

// Form7's section of CINFIG.INI as the file holds it.
QStringList savedPlacement(const TestEnvironment &env)
{
    IniSettings ini(env.folder(), IniSettings::Warning());
    ini.setFileName(env.context.settingsPath());
    QStringList values;
    for (const char *key : {"X", "Y", "W", "H", "WindowState"})
        values.append(ini.read(QStringLiteral("Form7"), QString::fromLatin1(key), QStringLiteral("?")));
    return values;
}
// The search window over the sample catalogue, not yet shown.
struct OpenSearch {
    struct Filled : TestEnvironment {
        Filled() { fill(*this); }
    };
    Filled env;
    Windows windows{env.context};
    SearchWindow &form = windows.searchWindow();
    const Ui ui{form};
};
} // namespace

class TestSearchWindow : public QObject {
    Q_OBJECT
private slots:
    void opensOnTheWholeCatalogue();
    void menuOfFourSearches();
    void search_data();
    void search();
    void searchWithoutHitsKeepsTheGrid();
    void emptyInputOrCancel_data();
    void emptyInputOrCancel();
    void resultIsReadOnly();
    void printingHandsTheGridRowsToTheReport();
    void gridFollowsTheWindowSize();
    void closingSavesPlacementAndClearsRicerca();
    void programEndRunsNoClosingSteps();
    void placementAndWidthsRestored();
    void reopeningKeepsItsPlacement_data();
    void reopeningKeepsItsPlacement();
    void widenedColumnKeepsItsWidth();
    void databaseFailureLeavesTheWindowUsable();
    void missingCatalogueAtOpening();
    void openWindowHoldsNothingOpen();
    void searchThatMeetsABrokenIndexIsExactAndRepairsIt();
};

void TestSearchWindow::opensOnTheWholeCatalogue()
{
    TestEnvironment env;
    fill(env);
    Windows windows(env.context);
    const Ui main(windows.mainWindow());
    // "Interrogazione" opens the window, which clears it again.
    main.checkBox(u"Check7")->setChecked(true);
    SearchWindow *form = windows.loadedSearchWindow();
    QVERIFY(form);
    QVERIFY(form->isVisible());
    QVERIFY(!main.checkBox(u"Check7")->isChecked());
    QCOMPARE(form->objectName(), QStringLiteral("Form7"));
    QCOMPARE(form->windowTitle(), QStringLiteral("Ricerca"));
    QTableView *grid = Ui(*form).find<QTableView>(u"dgCustomers");
    QVERIFY(grid);
    QCOMPARE(headings(*grid), tabellaFields());
    QCOMPARE(gridIds(*grid),
             (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                          QStringLiteral("5")}));
    QCOMPARE(grid->model()->index(2, 1).data().toString(), QStringLiteral("città"));
    QVERIFY(!(grid->model()->flags(grid->model()->index(0, 1)) & Qt::ItemIsEditable));
    QCOMPARE(env.dialogs.shown.size(), 0);
    // Showing it again brings the same window forward without loading it again.
    main.checkBox(u"Check7")->setChecked(true);
    QCOMPARE(windows.loadedSearchWindow(), form);
}

void TestSearchWindow::menuOfFourSearches()
{
    TestEnvironment env;
    Windows windows(env.context);
    SearchWindow &form = windows.searchWindow();
    // The four searches, then the program's own "Esporta".
    QList<QAction *> topLevel = form.menuBar()->actions();
    QCOMPARE(topLevel.takeLast()->objectName(), QStringLiteral("Esporta"));
    QStringList names, captions;
    for (QAction *action : topLevel) {
        names.append(action->objectName());
        captions.append(action->text());
        QVERIFY(!action->menu()); // each acts directly
    }
    QCOMPARE(names,
             (QStringList{QStringLiteral("Chiave"), QStringLiteral("Argomento"), QStringLiteral("Testo"),
                          QStringLiteral("Pubblicazione")}));
    QCOMPARE(captions,
             (QStringList{QStringLiteral("&Ricerca per Chiave"), QStringLiteral("&Ricerca per Argomento"),
                          QStringLiteral("&Ricerca per Testo"), QStringLiteral("&Ricerca per Pubblicazione")}));
}

void TestSearchWindow::search_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("ids");

    const QString inserisciChiave = QStringLiteral("Inserisci Chiave");
    const QString inserimentoChiave = QStringLiteral("Inserimento  Chiave");
    QTest::newRow("keyword fragment, any case")
        << "Chiave"
        << "STOR" << inserisciChiave << inserimentoChiave << QStringList{QStringLiteral("1"), QStringLiteral("5")};
    QTest::newRow("accented capital finds the small letter")
        << "Chiave" << QStringLiteral("CITTÀ") << inserisciChiave << inserimentoChiave << QStringList{QStringLiteral("3")};
    QTest::newRow("a blank is a search") << "Chiave"
                                         << " " << inserisciChiave << inserimentoChiave << QStringList{QStringLiteral("4")};
    QTest::newRow("apostrophe in the fragment")
        << "Chiave"
        << "O'Brien" << inserisciChiave << inserimentoChiave << QStringList{QStringLiteral("2")};
    QTest::newRow("subject") << "Argomento"
                             << "roma"
                             << "Inserisci Argomento"
                             << "Inserimento Argomento " << QStringList{QStringLiteral("1")};
    QTest::newRow("text, accented capital in the record")
        << "Testo" << QStringLiteral("città") << "Inserisci Testo"
        << "Inserimento Testo " << QStringList{QStringLiteral("3")};
    QTest::newRow("publication, as typed")
        << "Pubblicazione"
        << "rivista"
        << "Inserisci Pubblicazione"
        << "Inserimento Pubblicazione " << QStringList{QStringLiteral("2"), QStringLiteral("3")};
}

void TestSearchWindow::search()
{
    QFETCH(QString, action);
    QFETCH(QString, typed);
    QFETCH(QString, prompt);
    QFETCH(QString, title);
    QFETCH(QStringList, ids);
    OpenSearch open;
    auto &[env, windows, form, ui] = open;
    env.dialogs.answerInput(typed);
    env.dialogs.answerButton(QMessageBox::No);
    Ui(form).trigger(action);

    QCOMPARE(env.dialogs.shown.size(), 2);
    const ShownBox &input = env.dialogs.shown.at(0);
    QCOMPARE(input.kind, ShownBox::Input);
    QCOMPARE(input.text, prompt);
    QCOMPARE(input.title, title);
    QCOMPARE(input.defaultText, QString());
    const ShownBox &ask = env.dialogs.shown.at(1);
    QVERIFY_BOX(ask, .icon = QMessageBox::NoIcon, .text = QStringLiteral("Vuoi Stampare la Ricerca ?"),
                .title = QStringLiteral("Ricerca"), .buttons = QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(env.dialogs.unexpected, 0);
    QVERIFY(form.lastSearch());
    QCOMPARE(form.lastSearch()->fieldName(), action);
    QCOMPARE(form.lastSearch()->fragment, typed);
    QCOMPARE(gridIds(*ui.grid(u"dgCustomers")), ids);
    QCOMPARE(headings(*ui.grid(u"dgCustomers")), tabellaFields());
    QVERIFY(!windows.loadedReportPreview() || !windows.loadedReportPreview()->isVisible());
}

void TestSearchWindow::searchWithoutHitsKeepsTheGrid()
{
    OpenSearch open;
    auto &[env, windows, form, ui] = open;
    env.dialogs.answerInput(QStringLiteral("Focus"));
    env.dialogs.answerButton(QMessageBox::No);
    ui.trigger(u"Pubblicazione");
    QCOMPARE(gridIds(*ui.grid(u"dgCustomers")), (QStringList{QStringLiteral("1"), QStringLiteral("5")}));

    // Nothing found, also for a text trying to break out of the pattern: the
    // table is untouched and the grid keeps the previous result.
    for (const QString &typed : {QStringLiteral("nessuno"), QStringLiteral("x'; DELETE FROM tabella; --")}) {
        env.dialogs.clear();
        env.dialogs.answerInput(typed);
        env.dialogs.answerButton(QMessageBox::Ok);
        ui.trigger(u"Chiave");
        QCOMPARE(env.dialogs.shown.size(), 2);
        QVERIFY_BOX(env.dialogs.last(), .icon = QMessageBox::Information,
                    .text = QStringLiteral("Nessun record trovato"), .title = QStringLiteral("Ricerca fallita"),
                    .buttons = QMessageBox::Ok);
        QCOMPARE(gridIds(*ui.grid(u"dgCustomers")), (QStringList{QStringLiteral("1"), QStringLiteral("5")}));
    }
    QCOMPARE(form.lastSearch()->fragment, QStringLiteral("x'; DELETE FROM tabella; --"));
    QCOMPARE(env.store.catalogueSnapshot()->rowCount(), 5);

    // A later search with results replaces the rows.
    env.dialogs.clear();
    env.dialogs.answerInput(QStringLiteral("Fisica"));
    env.dialogs.answerButton(QMessageBox::No);
    ui.trigger(u"Argomento");
    QCOMPARE(gridIds(*ui.grid(u"dgCustomers")), QStringList{QStringLiteral("4")});
}

void TestSearchWindow::emptyInputOrCancel_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("empty text confirmed") << false;
    QTest::newRow("Cancel") << true;
}

void TestSearchWindow::emptyInputOrCancel()
{
    QFETCH(bool, cancel);
    OpenSearch open;
    auto &[env, windows, form, ui] = open;
    for (QAction *action :
         {ui.action(u"Chiave"), ui.action(u"Argomento"), ui.action(u"Testo"), ui.action(u"Pubblicazione")}) {
        env.dialogs.clear();
        if (cancel)
            env.dialogs.answerCancel();
        else
            env.dialogs.answerInput(QString());
        env.dialogs.answerButton(QMessageBox::Ok);
        action->trigger();
        QCOMPARE(env.dialogs.shown.size(), 2);
        const ShownBox &box = env.dialogs.last();
        QVERIFY_BOX(box, .kind = ShownBox::Message, .icon = QMessageBox::Information,
                    .text = QStringLiteral("Input errato!"), .title = QStringLiteral("Input errato"),
                    .buttons = QMessageBox::Ok);
        QVERIFY(!form.lastSearch());
        QCOMPARE(ui.grid(u"dgCustomers")->model()->rowCount(), 5);
    }
}

void TestSearchWindow::resultIsReadOnly()
{
    OpenSearch open;
    auto &[env, windows, form, ui] = open;
    form.show();
    for (const QString &typed : {QStringLiteral("stor"), QStringLiteral("nessuno")}) {
        searchFor(env, ui, u"Chiave", typed);
        QCOMPARE(ui.grid(u"dgCustomers")->editTriggers(), QAbstractItemView::NoEditTriggers);
        const QModelIndex cell = ui.grid(u"dgCustomers")->model()->index(0, 1);
        QVERIFY(!(cell.flags() & Qt::ItemIsEditable));
        ui.grid(u"dgCustomers")->setCurrentIndex(cell);
        ui.grid(u"dgCustomers")->edit(cell);
        QVERIFY(!ui.grid(u"dgCustomers")->viewport()->findChild<QLineEdit *>());
        QVERIFY(!ui.grid(u"dgCustomers")->model()->setData(cell, QStringLiteral("cambiata")));
        QVERIFY(!ui.grid(u"dgCustomers")->model()->removeRows(0, 1));
        QVERIFY(!ui.grid(u"dgCustomers")->model()->insertRows(0, 1));
    }
    const auto all = env.store.catalogueSnapshot();
    QCOMPARE(all->rowCount(), 5);
    QCOMPARE(all->value(0, 1).toString(), QStringLiteral("Storia"));
}

void TestSearchWindow::printingHandsTheGridRowsToTheReport()
{
    OpenSearch open;
    auto &[env, windows, form, ui] = open;
    int pages = 0;
    bool modal = false;
    env.dialogs.answerInput(QStringLiteral("stor"));
    env.dialogs.answerButton(QMessageBox::Yes);
    QTimer::singleShot(0, &form, [&] {
        ReportPreview *report = windows.loadedReportPreview();
        QVERIFY(report && report->isVisible() && report->report());
        modal = report->isModal();
        QCOMPARE(report->report()->recordsOn(1).count, 2);
        pages = report->report()->pageCount();
        report->print();
        report->close();
    });
    ui.trigger(u"Chiave");
    QCOMPARE(gridIds(*ui.grid(u"dgCustomers")), (QStringList{QStringLiteral("1"), QStringLiteral("5")}));
    QVERIFY(modal);
    QCOMPARE(pages, 1);
    QVERIFY(QFile::exists(env.printers.pdfPath));
    const QString printed = pdftext::text(env.printers.pdfPath);
    const int storia = printed.indexOf(QStringLiteral("Storia"));
    const int storie = printed.indexOf(QStringLiteral("storie"));
    QVERIFY(storia >= 0 && storie > storia);
    QVERIFY(!printed.contains(QStringLiteral("Fisica")));
    QVERIFY(form.isEnabled());
}

void TestSearchWindow::gridFollowsTheWindowSize()
{
    TestEnvironment env;
    Windows windows(env.context);
    SearchWindow &form = windows.searchWindow();
    const Ui ui(form);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const int margin = twips::toPixels(120); // the grid's place, in the layout file
    QWidget *inner = form.centralWidget();
    auto expected = [&] { return QSize(inner->width() - 2 * margin, inner->height() - 2 * margin); };
    QCOMPARE(ui.grid(u"dgCustomers")->size(), expected());
    form.resize(500, 350);
    QTRY_COMPARE(ui.grid(u"dgCustomers")->size(), expected());
    form.resize(300, 260);
    QTRY_COMPARE(ui.grid(u"dgCustomers")->size(), expected());
    // Narrower than twice the margin: the grid keeps its last size.
    const QSize last = ui.grid(u"dgCustomers")->size();
    inner->resize(2 * margin - 2, 200);
    QCOMPARE(ui.grid(u"dgCustomers")->size(), last);
    inner->resize(2 * margin, 2 * margin);
    QCOMPARE(ui.grid(u"dgCustomers")->size(), QSize(0, 0));
}

void TestSearchWindow::closingSavesPlacementAndClearsRicerca()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui main(windows.mainWindow());
    main.checkBox(u"Check4")->setChecked(true); // "Ricerca" shows the search window
    QPointer<SearchWindow> form = windows.loadedSearchWindow();
    QVERIFY(form && form->isVisible());
    QVERIFY(main.checkBox(u"Check4")->isChecked());
    form->move(twips::toPixels(1500), twips::toPixels(1200));
    QVERIFY(form->close());
    QVERIFY(!main.checkBox(u"Check4")->isChecked());
    deliverDeletions();
    QVERIFY(!form);
    QVERIFY(!windows.loadedSearchWindow());

    IniSettings ini(env.folder(), IniSettings::Warning());
    ini.setFileName(env.context.settingsPath());
    QCOMPARE(ini.fileName(), env.context.settingsPath());
    QCOMPARE(ini.readInt(QStringLiteral("Form7"), QStringLiteral("X"), -1), 1500);
    QCOMPARE(ini.readInt(QStringLiteral("Form7"), QStringLiteral("Y"), -1), 1200);
    QVERIFY(ini.readInt(QStringLiteral("Form7"), QStringLiteral("W"), -1) > 0);
    QCOMPARE(ini.readInt(QStringLiteral("Form7"), QStringLiteral("WindowState"), -1), 0);

    // The next opening loads again, on the whole catalogue.
    main.checkBox(u"Check4")->setChecked(true);
    QVERIFY(windows.loadedSearchWindow());
    QCOMPARE(windows.loadedSearchWindow()->pos(), QPoint(twips::toPixels(1500), twips::toPixels(1200)));
}

void TestSearchWindow::programEndRunsNoClosingSteps()
{
    TestEnvironment env;
    {
        Windows windows(env.context);
        Ui(windows.mainWindow()).checkBox(u"Check4")->setChecked(true);
        QVERIFY(windows.loadedSearchWindow());
        Ui(windows.mainWindow()).checkBox(u"Check11")->setChecked(true); // "Esci"
        QCOMPARE(env.endProgramCalls, 1);
        QVERIFY(Ui(windows.mainWindow()).checkBox(u"Check4")->isChecked());
    } // the program's end deletes the windows
    IniSettings ini(env.folder(), IniSettings::Warning());
    ini.setFileName(env.context.settingsPath());
    QCOMPARE(ini.readInt(QStringLiteral("Form7"), QStringLiteral("WindowState"), -1), -1);
}

void TestSearchWindow::placementAndWidthsRestored()
{
    TestEnvironment env;
    fill(env);
    {
        IniSettings ini(env.folder(), IniSettings::Warning());
        ini.setFileName(env.context.settingsPath());
        ini.write(QStringLiteral("Form7"), QStringLiteral("X"), QStringLiteral("1500"));
        ini.write(QStringLiteral("Form7"), QStringLiteral("Y"), QStringLiteral("900"));
        ini.write(QStringLiteral("Form7"), QStringLiteral("W"), QStringLiteral("9000"));
        ini.write(QStringLiteral("Form7"), QStringLiteral("H"), QStringLiteral("6000"));
        ini.write(QStringLiteral("dgCustomers"), QStringLiteral("Chiave"), QStringLiteral("2000"));
        ini.write(QStringLiteral("dgCustomers"), QStringLiteral("Testo"), QStringLiteral("1234,5"));
    }
    Windows windows(env.context);
    SearchWindow &form = windows.searchWindow();
    const Ui ui(form);
    QCOMPARE(form.pos(), QPoint(twips::toPixels(1500), twips::toPixels(900)));
    auto checkWidths = [&] {
        QCOMPARE(ui.grid(u"dgCustomers")->columnWidth(1), twips::toPixels(2000));
        QCOMPARE(ui.grid(u"dgCustomers")->columnWidth(3), twips::toPixels(1234));
        QCOMPARE(ui.grid(u"dgCustomers")->columnWidth(0), twips::toPixels(600));
        QCOMPARE(ui.grid(u"dgCustomers")->columnWidth(11), twips::toPixels(600));
    };
    checkWidths();
    ui.grid(u"dgCustomers")->setColumnWidth(1, 50);
    env.dialogs.answerInput(QStringLiteral("o"));
    env.dialogs.answerButton(QMessageBox::No);
    ui.trigger(u"Chiave");
    checkWidths();
}

void TestSearchWindow::reopeningKeepsItsPlacement_data()
{
    QTest::addColumn<bool>("besideTheMainWindow");
    QTest::newRow("beside the main window") << true;
    QTest::newRow("alone") << false; // no other framed window to learn the frame from
}

// Opened and closed ten times without the user touching it, the window comes
// back where and as large as it was, and the file keeps the same values.
void TestSearchWindow::reopeningKeepsItsPlacement()
{
    QFETCH(bool, besideTheMainWindow);
    TestEnvironment env;
    Windows windows(env.context);
    if (besideTheMainWindow) {
        windows.mainWindow().show();
        QVERIFY(framed(&windows.mainWindow()));
    }
    QRect first;
    QStringList firstSaved;
    for (int opening = 1; opening <= 10; ++opening) {
        QPointer<SearchWindow> form = &windows.searchWindow();
        form->show();
        QVERIFY(framed(form));
        if (opening == 1)
            first = form->frameGeometry();
        else // the frame may be put right once drawn: wait for it
            QTRY_COMPARE_WITH_TIMEOUT(form->frameGeometry(), first, 3000);
        QVERIFY(form->close());
        deliverDeletions();
        QVERIFY(!form);
        const QStringList saved = savedPlacement(env);
        if (opening == 1)
            firstSaved = saved;
        QCOMPARE(saved, firstSaved);
    }
    // What is saved is the outer frame, in twips.
    const auto twipsOf = [](int pixels) { return QString::number(qRound(twips::fromPixels(pixels))); };
    QCOMPARE(firstSaved,
             (QStringList{twipsOf(first.x()), twipsOf(first.y()), twipsOf(first.width()), twipsOf(first.height()),
                          QStringLiteral("0")}));
}

// The user drags the right edge of the "Chiave" heading: the width is written at
// once, and the next search and the next opening show it.
void TestSearchWindow::widenedColumnKeepsItsWidth()
{
    OpenSearch open;
    auto &[env, windows, form, ui] = open;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QHeaderView *header = ui.grid(u"dgCustomers")->horizontalHeader();
    QWidget *viewport = header->viewport();
    const int edge = header->sectionViewportPosition(1) + header->sectionSize(1) - 1;
    const int middle = header->height() / 2;
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(edge, middle));
    QTest::mouseMove(viewport, QPoint(edge + 30, middle));
    QCoreApplication::processEvents();
    QTest::mouseMove(viewport, QPoint(edge + 60, middle));
    QCoreApplication::processEvents();
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(edge + 60, middle));
    const int widened = ui.grid(u"dgCustomers")->columnWidth(1);
    QVERIFY(widened > twips::toPixels(600));

    IniSettings ini(env.folder(), IniSettings::Warning());
    ini.setFileName(env.context.settingsPath());
    const int saved = ini.readInt(QStringLiteral("dgCustomers"), QStringLiteral("Chiave"), 0);
    QCOMPARE(twips::toPixels(saved), widened);
    QCOMPARE(ini.readInt(QStringLiteral("dgCustomers"), QStringLiteral("Argomento"), 0), 0);

    env.dialogs.answerInput(QStringLiteral("stor"));
    env.dialogs.answerButton(QMessageBox::No);
    ui.trigger(u"Chiave");
    QCOMPARE(ui.grid(u"dgCustomers")->columnWidth(1), widened);
    QCOMPARE(ui.grid(u"dgCustomers")->columnWidth(2), twips::toPixels(600));

    QVERIFY(form.close());
    deliverDeletions();
    QCOMPARE(Ui(windows.searchWindow()).grid(u"dgCustomers")->columnWidth(1), widened);
}

void TestSearchWindow::databaseFailureLeavesTheWindowUsable()
{
    TestEnvironment env;
    if (env.onServer())
        QSKIP("breaks the catalogue file itself");
    fill(env);
    Windows windows(env.context);
    SearchWindow &form = windows.searchWindow();
    const Ui ui(form);
    const QString hidden = env.catalogPath() + QStringLiteral(".via");
    QVERIFY(QFile::rename(env.catalogPath(), hidden));
    env.dialogs.answerInput(QStringLiteral("stor"));
    env.dialogs.answerButton(QMessageBox::Ok);
    ui.trigger(u"Chiave");
    QCOMPARE(env.dialogs.shown.size(), 2);
    QVERIFY2(env.dialogs.last().text.contains(QStringLiteral("db1.mdb")), qPrintable(env.dialogs.last().text));
    QCOMPARE(env.dialogs.last().icon, QMessageBox::Critical);
    QCOMPARE(gridIds(*ui.grid(u"dgCustomers")).size(), 5);

    QVERIFY(QFile::rename(hidden, env.catalogPath()));
    env.dialogs.clear();
    env.dialogs.answerInput(QStringLiteral("stor"));
    env.dialogs.answerButton(QMessageBox::No);
    ui.trigger(u"Chiave");
    QCOMPARE(gridIds(*ui.grid(u"dgCustomers")), (QStringList{QStringLiteral("1"), QStringLiteral("5")}));
    QCOMPARE(env.dialogs.unexpected, 0);
}

void TestSearchWindow::missingCatalogueAtOpening()
{
    TestEnvironment env(false);
    if (env.onServer())
        QSKIP("breaks the catalogue file itself");
    Windows windows(env.context);
    windows.mainWindow();
    env.dialogs.clear();
    SearchWindow &form = windows.searchWindow();
    const Ui ui(form);
    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY(env.dialogs.last().text.contains(QStringLiteral("db1.mdb")));
    QCOMPARE(ui.grid(u"dgCustomers")->model()->rowCount(), 0);
    QCOMPARE(ui.grid(u"dgCustomers")->model()->columnCount(), 0);
}

// A search window left open, its result shown, holds nothing open: another
// workstation stores a record; on the file the write-ahead log is folded back
// into the catalogue whole, on a server the administrator empties Tabella
// without waiting for the window.
void TestSearchWindow::openWindowHoldsNothingOpen()
{
    OpenSearch open;
    auto &[env, windows, search, ui] = open;
    search.show();
    searchFor(env, ui, u"Chiave", QStringLiteral("stori"));
    ui.grid(u"dgCustomers")->viewport()->grab();
    QCOMPARE(gridIds(*ui.grid(u"dgCustomers")), (QStringList{QStringLiteral("1"), QStringLiteral("5")}));

    db::NewRecord record;
    record.chiave = QStringLiteral("da un'altra postazione");
    record.argomento = QStringLiteral("x");
    db::Store otherWorkstation(env.catalogPath());
    QCOMPARE(otherWorkstation.addRecord(record, otherWorkstation.readCounter().last + 1), qint64(6));
    if (!env.onServer()) {
        const testdata::ToolRun checkpoint = testdata::runTool(
            QStringLiteral("sqlite3"), {env.catalogPath(), QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE);")});
        QCOMPARE(checkpoint.output.trimmed(), QByteArray("0|0|0"));
        QCOMPARE(QFileInfo(env.catalogPath() + QStringLiteral("-wal")).size(), 0);
    } else {
        const testdata::ToolRun truncate = testdata::runTool(
            QStringLiteral("psql"), {QStringLiteral("-qAt"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                                     env.catalogPath()},
            "SET lock_timeout = '3s';\nTRUNCATE \"Tabella\";\n");
        QVERIFY2(truncate.ok(), truncate.errorOutput.constData());
    }
    QCOMPARE(gridIds(*ui.grid(u"dgCustomers")).size(), 2); // the window still shows its result
    QCOMPARE(env.dialogs.unexpected, 0);
}

// Another program drops a piece of the file's search index while the window is
// open: the search still finds what it must, and the index is whole again after it.
void TestSearchWindow::searchThatMeetsABrokenIndexIsExactAndRepairsIt()
{
    TestEnvironment env;
    if (env.onServer())
        QSKIP("the server keeps its search tables itself");
    fill(env);
    Windows windows(env.context);
    SearchWindow &search = windows.searchWindow();
    const Ui ui(search);
    search.show();
    for (const QString &drop : {QStringLiteral("DROP TABLE Tabella_ricerca_idx"),
                                QStringLiteral("DROP TABLE Tabella_ricerca_config")}) {
        searchFor(env, ui, u"Chiave", QStringLiteral("stori"));
        testdata::runSql(env, {drop});
        searchFor(env, ui, u"Chiave", QStringLiteral("stori"));
        QCOMPARE(gridIds(*ui.grid(u"dgCustomers")), (QStringList{QStringLiteral("1"), QStringLiteral("5")}));
        QVERIFY(!env.store.searchIndexWantsRepair());
        QVERIFY(testdata::rowCount(env, QStringLiteral("Tabella_ricerca_idx")) > 0);
    }
}

QTEST_MAIN(TestSearchWindow)
#include "tst_searchwindow.moc"
