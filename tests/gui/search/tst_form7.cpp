// The search window as the user meets it: opening on the whole catalogue, the
// four searches with their boxes and the searches they make, the read-only result, printing
// the result, the grid following the window's size, placement and column widths
// kept in CINFIG.INI, and the main window's check boxes.
#include "CatalogueRows.h"
#include "Form1Ui.h"
#include "PdfText.h"
#include "TestEnvironment.h"
#include "gui/mainwindow/Form1.h"
#include "gui/browse/rptBooks.h"
#include "core/catalogue/Catalogue.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/catalogue/RowSourceModel.h"
#include "core/settings/Twips.h"
#include "core/settings/CIniManag.h"
#include "gui/kit/DataGrid.h"
#include "gui/kit/Guard.h"
#include "gui/Windows.h"
#include "gui/search/Form7.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
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
    CIniManag ini(env.folder(), CIniManag::Warning());
    ini.setFilename(env.context.settingsPath());
    QStringList values;
    for (const char *key : {"X", "Y", "W", "H", "WindowState"})
        values.append(ini.Leggi2(QStringLiteral("Form7"), QString::fromLatin1(key), QStringLiteral("?")));
    return values;
}
} // namespace

class TestForm7 : public QObject {
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
};

void TestForm7::opensOnTheWholeCatalogue()
{
    TestEnvironment env;
    fill(env);
    Windows windows(env.context);
    const Form1Ui main(windows.form1());
    // "Interrogazione" opens the window, which clears it again.
    main.Check7->setChecked(true);
    Form7 *form = windows.loadedForm7();
    QVERIFY(form);
    QVERIFY(form->isVisible());
    QVERIFY(!main.Check7->isChecked());
    QCOMPARE(form->objectName(), QStringLiteral("Form7"));
    QCOMPARE(form->windowTitle(), QStringLiteral("Ricerca"));
    QTableView *grid = form->findChild<QTableView *>(QStringLiteral("dgCustomers"));
    QVERIFY(grid);
    QCOMPARE(headings(*grid), tabellaFields());
    QCOMPARE(gridIds(*grid),
             (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                          QStringLiteral("5")}));
    QCOMPARE(grid->model()->index(2, 1).data().toString(), QStringLiteral("città"));
    QVERIFY(!(grid->model()->flags(grid->model()->index(0, 1)) & Qt::ItemIsEditable));
    QCOMPARE(env.dialogs.shown.size(), 0);
    // Showing it again brings the same window forward without loading it again.
    main.Check7->setChecked(true);
    QCOMPARE(windows.loadedForm7(), form);
}

void TestForm7::menuOfFourSearches()
{
    TestEnvironment env;
    Windows windows(env.context);
    Form7 &form = windows.form7();
    const QList<QAction *> topLevel = form.menuBar()->actions();
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

void TestForm7::search_data()
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

void TestForm7::search()
{
    QFETCH(QString, action);
    QFETCH(QString, typed);
    QFETCH(QString, prompt);
    QFETCH(QString, title);
    QFETCH(QStringList, ids);
    TestEnvironment env;
    fill(env);
    Windows windows(env.context);
    Form7 &form = windows.form7();
    env.dialogs.answerInput(typed);
    env.dialogs.answerButton(QMessageBox::No);
    form.findChild<QAction *>(action)->trigger();

    QCOMPARE(env.dialogs.shown.size(), 2);
    const ShownBox &input = env.dialogs.shown.at(0);
    QCOMPARE(input.kind, ShownBox::Input);
    QCOMPARE(input.text, prompt);
    QCOMPARE(input.title, title);
    QCOMPARE(input.defaultText, QString());
    const ShownBox &ask = env.dialogs.shown.at(1);
    QCOMPARE(ask.text, QStringLiteral("Vuoi Stampare la Ricerca ?"));
    QCOMPARE(ask.title, QStringLiteral("Ricerca"));
    QCOMPARE(ask.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(ask.icon, QMessageBox::NoIcon);
    QCOMPARE(env.dialogs.unexpected, 0);
    QVERIFY(form.lastSearch());
    QCOMPARE(form.lastSearch()->fieldName(), action);
    QCOMPARE(form.lastSearch()->fragment, typed);
    QCOMPARE(gridIds(*form.dgCustomers), ids);
    QCOMPARE(headings(*form.dgCustomers), tabellaFields());
    QVERIFY(!windows.loadedReport() || !windows.loadedReport()->isVisible());
}

void TestForm7::searchWithoutHitsKeepsTheGrid()
{
    TestEnvironment env;
    fill(env);
    Windows windows(env.context);
    Form7 &form = windows.form7();
    env.dialogs.answerInput(QStringLiteral("Focus"));
    env.dialogs.answerButton(QMessageBox::No);
    form.Pubblicazione->trigger();
    QCOMPARE(gridIds(*form.dgCustomers), (QStringList{QStringLiteral("1"), QStringLiteral("5")}));

    // Nothing found, also for a text trying to break out of the pattern: the
    // table is untouched and the grid keeps the previous result.
    for (const QString &typed : {QStringLiteral("nessuno"), QStringLiteral("x'; DELETE FROM tabella; --")}) {
        env.dialogs.clear();
        env.dialogs.answerInput(typed);
        env.dialogs.answerButton(QMessageBox::Ok);
        form.Chiave->trigger();
        QCOMPARE(env.dialogs.shown.size(), 2);
        QCOMPARE(env.dialogs.last().text, QStringLiteral("Nessun record trovato"));
        QCOMPARE(env.dialogs.last().title, QStringLiteral("Ricerca fallita"));
        QCOMPARE(env.dialogs.last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(env.dialogs.last().icon, QMessageBox::Information);
        QCOMPARE(gridIds(*form.dgCustomers), (QStringList{QStringLiteral("1"), QStringLiteral("5")}));
    }
    QCOMPARE(form.lastSearch()->fragment, QStringLiteral("x'; DELETE FROM tabella; --"));
    QCOMPARE(env.store.catalogueSnapshot()->rowCount(), 5);

    // A later search with results replaces the rows.
    env.dialogs.clear();
    env.dialogs.answerInput(QStringLiteral("Fisica"));
    env.dialogs.answerButton(QMessageBox::No);
    form.Argomento->trigger();
    QCOMPARE(gridIds(*form.dgCustomers), QStringList{QStringLiteral("4")});
}

void TestForm7::emptyInputOrCancel_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("empty text confirmed") << false;
    QTest::newRow("Cancel") << true;
}

void TestForm7::emptyInputOrCancel()
{
    QFETCH(bool, cancel);
    TestEnvironment env;
    fill(env);
    Windows windows(env.context);
    Form7 &form = windows.form7();
    for (QAction *action : {form.Chiave, form.Argomento, form.Testo, form.Pubblicazione}) {
        env.dialogs.clear();
        if (cancel)
            env.dialogs.answerCancel();
        else
            env.dialogs.answerInput(QString());
        env.dialogs.answerButton(QMessageBox::Ok);
        action->trigger();
        QCOMPARE(env.dialogs.shown.size(), 2);
        const ShownBox &box = env.dialogs.last();
        QCOMPARE(box.kind, ShownBox::Message);
        QCOMPARE(box.text, QStringLiteral("Input errato!"));
        QCOMPARE(box.title, QStringLiteral("Input errato"));
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box.icon, QMessageBox::Information);
        QVERIFY(!form.lastSearch());
        QCOMPARE(form.dgCustomers->model()->rowCount(), 5);
    }
}

void TestForm7::resultIsReadOnly()
{
    TestEnvironment env;
    fill(env);
    Windows windows(env.context);
    Form7 &form = windows.form7();
    form.show();
    for (const QString &typed : {QStringLiteral("stor"), QStringLiteral("nessuno")}) {
        env.dialogs.answerInput(typed);
        env.dialogs.answerButton(QMessageBox::No);
        form.Chiave->trigger();
        QCOMPARE(form.dgCustomers->editTriggers(), QAbstractItemView::NoEditTriggers);
        const QModelIndex cell = form.dgCustomers->model()->index(0, 1);
        QVERIFY(!(cell.flags() & Qt::ItemIsEditable));
        form.dgCustomers->setCurrentIndex(cell);
        form.dgCustomers->edit(cell);
        QVERIFY(!form.dgCustomers->viewport()->findChild<QLineEdit *>());
        QVERIFY(!form.dgCustomers->model()->setData(cell, QStringLiteral("cambiata")));
        QVERIFY(!form.dgCustomers->model()->removeRows(0, 1));
        QVERIFY(!form.dgCustomers->model()->insertRows(0, 1));
    }
    const auto all = env.store.catalogueSnapshot();
    QCOMPARE(all->rowCount(), 5);
    QCOMPARE(all->value(0, 1).toString(), QStringLiteral("Storia"));
}

void TestForm7::printingHandsTheGridRowsToTheReport()
{
    TestEnvironment env;
    fill(env);
    Windows windows(env.context);
    Form7 &form = windows.form7();
    int pages = 0;
    bool modal = false;
    env.dialogs.answerInput(QStringLiteral("stor"));
    env.dialogs.answerButton(QMessageBox::Yes);
    QTimer::singleShot(0, &form, [&] {
        rptBooks *report = windows.loadedReport();
        QVERIFY(report && report->isVisible() && report->report());
        modal = report->isModal();
        QCOMPARE(report->report()->recordsOn(1).count, 2);
        pages = report->report()->pageCount();
        report->print();
        report->close();
    });
    form.Chiave->trigger();
    QCOMPARE(gridIds(*form.dgCustomers), (QStringList{QStringLiteral("1"), QStringLiteral("5")}));
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

void TestForm7::gridFollowsTheWindowSize()
{
    TestEnvironment env;
    Windows windows(env.context);
    Form7 &form = windows.form7();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const int margin = twips::toPixels(120);
    QCOMPARE(form.dgCustomers->pos(), QPoint(margin, margin));
    QWidget *inner = form.centralWidget();
    auto expected = [&] { return QSize(inner->width() - 2 * margin, inner->height() - 2 * margin); };
    QCOMPARE(form.dgCustomers->size(), expected());
    form.resize(500, 350);
    QTRY_COMPARE(form.dgCustomers->size(), expected());
    form.resize(300, 260);
    QTRY_COMPARE(form.dgCustomers->size(), expected());
    // Narrower than twice the margin: the grid keeps its last size.
    const QSize last = form.dgCustomers->size();
    inner->resize(2 * margin - 2, 200);
    QCOMPARE(form.dgCustomers->size(), last);
    inner->resize(2 * margin, 2 * margin);
    QCOMPARE(form.dgCustomers->size(), QSize(0, 0));
}

void TestForm7::closingSavesPlacementAndClearsRicerca()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Form1Ui main(windows.form1());
    main.Check4->setChecked(true); // "Ricerca" shows the search window
    QPointer<Form7> form = windows.loadedForm7();
    QVERIFY(form && form->isVisible());
    QVERIFY(main.Check4->isChecked());
    form->move(twips::toPixels(1500), twips::toPixels(1200));
    QVERIFY(form->close());
    QVERIFY(!main.Check4->isChecked());
    deliverDeletions();
    QVERIFY(!form);
    QVERIFY(!windows.loadedForm7());

    CIniManag ini(env.folder(), CIniManag::Warning());
    ini.setFilename(env.context.settingsPath());
    QCOMPARE(ini.Filename(), env.context.settingsPath());
    QCOMPARE(ini.LeggiInt2(QStringLiteral("Form7"), QStringLiteral("X"), -1), 1500);
    QCOMPARE(ini.LeggiInt2(QStringLiteral("Form7"), QStringLiteral("Y"), -1), 1200);
    QVERIFY(ini.LeggiInt2(QStringLiteral("Form7"), QStringLiteral("W"), -1) > 0);
    QCOMPARE(ini.LeggiInt2(QStringLiteral("Form7"), QStringLiteral("WindowState"), -1), 0);

    // The next opening loads again, on the whole catalogue.
    main.Check4->setChecked(true);
    QVERIFY(windows.loadedForm7());
    QCOMPARE(windows.loadedForm7()->pos(), QPoint(twips::toPixels(1500), twips::toPixels(1200)));
}

void TestForm7::programEndRunsNoClosingSteps()
{
    TestEnvironment env;
    {
        Windows windows(env.context);
        Form1Ui(windows.form1()).Check4->setChecked(true);
        QVERIFY(windows.loadedForm7());
        Form1Ui(windows.form1()).Check11->setChecked(true); // "Esci"
        QCOMPARE(env.endProgramCalls, 1);
        QVERIFY(Form1Ui(windows.form1()).Check4->isChecked());
    } // the program's end deletes the windows
    CIniManag ini(env.folder(), CIniManag::Warning());
    ini.setFilename(env.context.settingsPath());
    QCOMPARE(ini.LeggiInt2(QStringLiteral("Form7"), QStringLiteral("WindowState"), -1), -1);
}

void TestForm7::placementAndWidthsRestored()
{
    TestEnvironment env;
    fill(env);
    {
        CIniManag ini(env.folder(), CIniManag::Warning());
        ini.setFilename(env.context.settingsPath());
        ini.Scrivi2(QStringLiteral("Form7"), QStringLiteral("X"), QStringLiteral("1500"));
        ini.Scrivi2(QStringLiteral("Form7"), QStringLiteral("Y"), QStringLiteral("900"));
        ini.Scrivi2(QStringLiteral("Form7"), QStringLiteral("W"), QStringLiteral("9000"));
        ini.Scrivi2(QStringLiteral("Form7"), QStringLiteral("H"), QStringLiteral("6000"));
        ini.Scrivi2(QStringLiteral("dgCustomers"), QStringLiteral("Chiave"), QStringLiteral("2000"));
        ini.Scrivi2(QStringLiteral("dgCustomers"), QStringLiteral("Testo"), QStringLiteral("1234,5"));
    }
    Windows windows(env.context);
    Form7 &form = windows.form7();
    QCOMPARE(form.pos(), QPoint(twips::toPixels(1500), twips::toPixels(900)));
    auto checkWidths = [&] {
        QCOMPARE(form.dgCustomers->columnWidth(1), twips::toPixels(2000));
        QCOMPARE(form.dgCustomers->columnWidth(3), twips::toPixels(1234));
        QCOMPARE(form.dgCustomers->columnWidth(0), twips::toPixels(600));
        QCOMPARE(form.dgCustomers->columnWidth(11), twips::toPixels(600));
    };
    checkWidths();
    form.dgCustomers->setColumnWidth(1, 50);
    env.dialogs.answerInput(QStringLiteral("o"));
    env.dialogs.answerButton(QMessageBox::No);
    form.Chiave->trigger();
    checkWidths();
}

void TestForm7::reopeningKeepsItsPlacement_data()
{
    QTest::addColumn<bool>("besideTheMainWindow");
    QTest::newRow("beside the main window") << true;
    QTest::newRow("alone") << false; // no other framed window to learn the frame from
}

// Opened and closed ten times without the user touching it, the window comes
// back where and as large as it was, and the file keeps the same values.
void TestForm7::reopeningKeepsItsPlacement()
{
    QFETCH(bool, besideTheMainWindow);
    TestEnvironment env;
    Windows windows(env.context);
    if (besideTheMainWindow) {
        windows.form1().show();
        QVERIFY(framed(&windows.form1()));
    }
    QRect first;
    QStringList firstSaved;
    for (int opening = 1; opening <= 10; ++opening) {
        QPointer<Form7> form = &windows.form7();
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
void TestForm7::widenedColumnKeepsItsWidth()
{
    TestEnvironment env;
    fill(env);
    Windows windows(env.context);
    Form7 &form = windows.form7();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QHeaderView *header = form.dgCustomers->horizontalHeader();
    QWidget *viewport = header->viewport();
    const int edge = header->sectionViewportPosition(1) + header->sectionSize(1) - 1;
    const int middle = header->height() / 2;
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(edge, middle));
    QTest::mouseMove(viewport, QPoint(edge + 30, middle));
    QCoreApplication::processEvents();
    QTest::mouseMove(viewport, QPoint(edge + 60, middle));
    QCoreApplication::processEvents();
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(edge + 60, middle));
    const int widened = form.dgCustomers->columnWidth(1);
    QVERIFY(widened > twips::toPixels(600));

    CIniManag ini(env.folder(), CIniManag::Warning());
    ini.setFilename(env.context.settingsPath());
    const int saved = ini.LeggiInt2(QStringLiteral("dgCustomers"), QStringLiteral("Chiave"), 0);
    QCOMPARE(twips::toPixels(saved), widened);
    QCOMPARE(ini.LeggiInt2(QStringLiteral("dgCustomers"), QStringLiteral("Argomento"), 0), 0);

    env.dialogs.answerInput(QStringLiteral("stor"));
    env.dialogs.answerButton(QMessageBox::No);
    form.Chiave->trigger();
    QCOMPARE(form.dgCustomers->columnWidth(1), widened);
    QCOMPARE(form.dgCustomers->columnWidth(2), twips::toPixels(600));

    QVERIFY(form.close());
    deliverDeletions();
    QCOMPARE(windows.form7().dgCustomers->columnWidth(1), widened);
}

void TestForm7::databaseFailureLeavesTheWindowUsable()
{
    TestEnvironment env;
    if (env.onServer())
        QSKIP("breaks the catalogue file itself");
    fill(env);
    Windows windows(env.context);
    Form7 &form = windows.form7();
    const QString hidden = env.catalogPath() + QStringLiteral(".via");
    QVERIFY(QFile::rename(env.catalogPath(), hidden));
    env.dialogs.answerInput(QStringLiteral("stor"));
    env.dialogs.answerButton(QMessageBox::Ok);
    form.Chiave->trigger();
    QCOMPARE(env.dialogs.shown.size(), 2);
    QVERIFY2(env.dialogs.last().text.contains(QStringLiteral("db1.mdb")), qPrintable(env.dialogs.last().text));
    QCOMPARE(env.dialogs.last().icon, QMessageBox::Critical);
    QCOMPARE(gridIds(*form.dgCustomers).size(), 5);

    QVERIFY(QFile::rename(hidden, env.catalogPath()));
    env.dialogs.clear();
    env.dialogs.answerInput(QStringLiteral("stor"));
    env.dialogs.answerButton(QMessageBox::No);
    form.Chiave->trigger();
    QCOMPARE(gridIds(*form.dgCustomers), (QStringList{QStringLiteral("1"), QStringLiteral("5")}));
    QCOMPARE(env.dialogs.unexpected, 0);
}

void TestForm7::missingCatalogueAtOpening()
{
    TestEnvironment env(false);
    if (env.onServer())
        QSKIP("breaks the catalogue file itself");
    Windows windows(env.context);
    windows.form1();
    env.dialogs.clear();
    Form7 &form = windows.form7();
    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY(env.dialogs.last().text.contains(QStringLiteral("db1.mdb")));
    QCOMPARE(form.dgCustomers->model()->rowCount(), 0);
    QCOMPARE(form.dgCustomers->model()->columnCount(), 0);
}

QTEST_MAIN(TestForm7)
#include "tst_form7.moc"
