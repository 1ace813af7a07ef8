// The main window as the user meets it: start-up, the menu, the entry screen's
// commands, the document number, the lookup lists and the refused close.
#include "CatalogueRows.h"
#include "GuiTest.h"
#include "TestEnvironment.h"
#include "core/engines/DbError.h"
#include "core/settings/Twips.h"
#include "gui/Windows.h"
#include "gui/attachments/AttachmentWindow.h"
#include "gui/attachments/ScannerWindow.h"
#include "gui/browse/BrowseWindow.h"
#include "gui/browse/ReportPreview.h"
#include "gui/kit/Texts.h"
#include "gui/mainwindow/LookupLists.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/search/SearchWindow.h"
#include "gui/service/ServiceWindow.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace testdata;

namespace {

QList<qint64> itemIds(const QComboBox *combo)
{
    QList<qint64> ids;
    for (int i = 0; i < combo->count(); ++i)
        ids << combo->itemData(i, lookups::RowIdRole).toLongLong();
    return ids;
}

using testdata::replaceCounterWithText;

const QString instructions = QStringLiteral(" Le istruzioni sono in corso di realizzazione, nel caso , \n"
                                            "le potete richiedere all'autore via email:")
    + texts::makerEmail();

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    // Start-up
    void startUpShowsTheMenuOnly();
    void startUpCreatesTheAttachmentFolder();
    void startUpLeavesAnExistingAllegatiAlone_data();
    void startUpLeavesAnExistingAllegatiAlone();
    void startUpFillsTheListsInDatabaseOrder_data();
    void startUpFillsTheListsInDatabaseOrder();
    void deletionFrameCoversTheFields();

    // Document number
    void entryScreenOffersTheNextNumber_data();
    void entryScreenOffersTheNextNumber();
    void salvaProgressivoStoresTheShownNumber();
    void counterWithoutRowIsReported();
    void counterWithoutWholeNumberIsReported();

    // Lookup lists
    void loaderReplacesItsListsOnly();

    // Menu
    void ricercaShowsTheSearchWindowAtEveryClick();
    void interrogazioneOnlyWhenChecked();
    void stampaGeneraleUnchecksItself();
    void serviziHidesTheMainWindow();
    void istruzioniShowsTheSameMessageAtEveryClick();
    void esciEndsTheProgramWhenChecked();
    void closeIsRefused();

    // Entry screen
    void pulisciEmptiesEveryFieldButTheNumber();
    void pulisciShowsTheSearchWindowWhileRicercaIsChecked();
    void pulisciGoesOnWhenAStepFails();
    void tabLeavesTheNotesCtrlTabWritesATab();
    void menuReturnsToTheMenuScreen();
    void tabFollowsTheOrderTheFieldsAreFilledIn();
    void entryButtonsOpenTheirWindows_data();
    void entryButtonsOpenTheirWindows();
    void databaseFailureIsReportedAndWindowStaysUsable();

    // Decorations
    void linkPictureOpensTheMakersSite();
    void clockRunsOnceASecond();
};

void TestMainWindow::startUpShowsTheMenuOnly()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    ui.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ui.window));

    QCOMPARE(ui.window.windowTitle(), QStringLiteral("Rudozuzurivaz versione 1 del  25-4-09"));
    QVERIFY(ui.window.windowFlags().testFlag(Qt::Tool));
    QVERIFY(!ui.window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!ui.window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(ui.frame(u"Frame2")->isVisible());
    for (const char16_t *hidden : {u"Frame3", u"Frame5", u"Frame6"})
        QVERIFY2(!ui.find(hidden)->isVisible(), qPrintable(QString::fromUtf16(hidden)));
    for (const char16_t *hidden : {u"Combo7", u"Frame1", u"Frame4", u"Frame7"})
        QVERIFY2(ui.find(hidden)->isHidden(), qPrintable(QString::fromUtf16(hidden)));
    for (const char16_t *box : {u"Check1", u"Check2", u"Check5"})
        QVERIFY(!ui.checkBox(box)->isChecked());
    QCOMPARE(ui.calendar(u"Calendario")->selectedDate(), QDate::currentDate());
    QCOMPARE(ui.label(u"Label2")->text(), QString());
    QVERIFY(ui.label(u"Label14")->text().contains(texts::copyrightLine()));
    QVERIFY(ui.label(u"Label14")->text().contains(texts::makerWebAddress()));
    QVERIFY(ui.label(u"Label14")->text().contains(texts::makerEmail()));
    QCOMPARE(ui.label(u"Image1")->toolTip(), QStringLiteral("Vai al il mio sito !"));
    QCOMPARE(env.dialogs.shown.size(), 0);
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("1"));
}

void TestMainWindow::startUpCreatesTheAttachmentFolder()
{
    TestEnvironment env;
    QVERIFY(!QFileInfo::exists(env.context.attachmentFolder()));
    Windows windows(env.context);
    windows.mainWindow();
    QVERIFY(QFileInfo(env.context.attachmentFolder()).isDir());
}

void TestMainWindow::startUpLeavesAnExistingAllegatiAlone_data()
{
    QTest::addColumn<bool>("asFolder");
    QTest::newRow("folder with a file") << true;
    QTest::newRow("plain file") << false;
}

void TestMainWindow::startUpLeavesAnExistingAllegatiAlone()
{
    QFETCH(bool, asFolder);
    TestEnvironment env;
    const QString allegati = env.context.attachmentFolder();
    const QString probe = asFolder ? allegati + QStringLiteral("/scansione.pdf") : allegati;
    if (asFolder)
        QVERIFY(QDir().mkdir(allegati));
    QFile file(probe);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("contenuto");
    file.close();

    Windows windows(env.context);
    windows.mainWindow();
    QCOMPARE(QFileInfo(allegati).isDir(), asFolder);
    QFile again(probe);
    QVERIFY(again.open(QIODevice::ReadOnly));
    QCOMPARE(again.readAll(), QByteArray("contenuto"));
    QCOMPARE(env.dialogs.shown.size(), 0);
}

void TestMainWindow::startUpFillsTheListsInDatabaseOrder_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("entryList");
    QTest::addColumn<QString>("frameList");
    QTest::newRow("Chiave") << QStringLiteral("Chiave") << QStringLiteral("Combo3") << QStringLiteral("Combo2");
    QTest::newRow("Pubblicazione") << QStringLiteral("Pubblicazione") << QStringLiteral("Combo1")
                                   << QStringLiteral("Combo4");
    QTest::newRow("Allocazione") << QStringLiteral("Allocazione") << QStringLiteral("Combo6")
                                 << QStringLiteral("Combo5");
}

void TestMainWindow::startUpFillsTheListsInDatabaseOrder()
{
    QFETCH(QString, table);
    QFETCH(QString, entryList);
    QFETCH(QString, frameList);
    TestEnvironment env;
    const QStringList texts
        = {QStringLiteral("zeta"), QStringLiteral("Àlfa è"), QStringLiteral("zeta"), QStringLiteral("beta")};
    addLookupRows(env, table, texts);
    // A deleted row leaves a gap in the IDs: the entries must carry the real ones.
    runSql(env, {QStringLiteral("DELETE FROM %1 WHERE ID = 2").arg(table)});
    addLookupRows(env, table, {QStringLiteral("ultimo")});
    const QStringList expected
        = {QStringLiteral("zeta"), QStringLiteral("zeta"), QStringLiteral("beta"), QStringLiteral("ultimo")};
    const QList<qint64> expectedIds = {1, 3, 4, 5};

    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    for (const QString &name : {entryList, frameList}) {
        auto *combo = ui.find<QComboBox>(name);
        QVERIFY2(combo, qPrintable(name));
        QCOMPARE(itemTexts(combo), expected);
        QCOMPARE(itemIds(combo), expectedIds);
        QCOMPARE(combo->currentText(), QString());
        QVERIFY(combo->isEditable());
    }
}

void TestMainWindow::deletionFrameCoversTheFields()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    const QPoint onTesto = ui.lineEdit(u"Text5")->geometry().center();
    QCOMPARE(ui.frame(u"Frame3")->childAt(onTesto), ui.lineEdit(u"Text5"));
    ui.frame(u"Frame7")->show();
    QCOMPARE(ui.frame(u"Frame3")->childAt(onTesto), ui.frame(u"Frame7"));
    // The publication frame lies over the entry screen on the window.
    ui.frame(u"Frame3")->show();
    ui.frame(u"Frame5")->show();
    QCOMPARE(ui.window.childAt(ui.frame(u"Frame5")->geometry().topLeft() + QPoint(2, 2)), ui.frame(u"Frame5"));
}

void TestMainWindow::entryScreenOffersTheNextNumber_data()
{
    QTest::addColumn<qint64>("progressivo");
    QTest::addColumn<QString>("offered");
    QTest::newRow("fresh catalogue") << qint64(0) << QStringLiteral("1");
    QTest::newRow("41") << qint64(41) << QStringLiteral("42");
    QTest::newRow("five digits") << qint64(99999) << QStringLiteral("100000");
}

void TestMainWindow::entryScreenOffersTheNextNumber()
{
    QFETCH(qint64, progressivo);
    QFETCH(QString, offered);
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    ui.window.show();
    // Changed after start-up (as the service window does): entering reads it again.
    testdata::setCounter(env, progressivo);
    ui.click(u"Check5");
    QVERIFY(ui.frame(u"Frame3")->isVisible());
    QVERIFY(!ui.frame(u"Frame2")->isVisible());
    QCOMPARE(ui.lineEdit(u"Text10")->text(), offered);
    QVERIFY(ui.lineEdit(u"Text10")->isReadOnly());

    ui.click(u"Check5"); // unchecking does nothing
    QVERIFY(ui.frame(u"Frame3")->isVisible());
    QVERIFY(!ui.frame(u"Frame2")->isVisible());
}

void TestMainWindow::salvaProgressivoStoresTheShownNumber()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("1"));
    windows.mainWindow().storeShownDocumentNumber();
    QCOMPARE(storedCounter(env), QVariant(qint64(1)));
    windows.mainWindow().showNextDocumentNumber();
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("2"));

    // Never a non-number as the counter.
    ui.lineEdit(u"Text10")->setText(QStringLiteral("2a"));
    QVERIFY_THROWS_EXCEPTION(db::Refusal, windows.mainWindow().storeShownDocumentNumber());
    QCOMPARE(storedCounter(env), QVariant(qint64(1)));
}

void TestMainWindow::counterWithoutRowIsReported()
{
    TestEnvironment env;
    addLookupRows(env, QStringLiteral("Chiave"), {QStringLiteral("arte")});
    testdata::removeCounterRow(env);
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());

    // Start-up went on to the end: lists filled, menu shown.
    QCOMPARE(itemTexts(ui.comboBox(u"Combo3")), QStringList{QStringLiteral("arte")});
    QVERIFY(ui.frame(u"Frame3")->isHidden());
    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY(env.dialogs.last().text.contains(QStringLiteral("contatore")));
    QVERIFY(env.dialogs.last().text.contains(env.catalogPath()));
    QCOMPARE(env.dialogs.last().icon, QMessageBox::Warning);
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QString());

    QVERIFY_THROWS_EXCEPTION(db::Refusal, windows.mainWindow().storeShownDocumentNumber());
    ui.lineEdit(u"Text10")->setText(QStringLiteral("7"));
    windows.mainWindow().storeShownDocumentNumber(); // no row: nothing is written, none is made up
    QVERIFY(!storedCounter(env).isValid());
}

void TestMainWindow::counterWithoutWholeNumberIsReported()
{
    TestEnvironment env;
    replaceCounterWithText(env, QStringLiteral("dodici"));
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());

    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY(env.dialogs.last().text.contains(QStringLiteral("\"dodici\"")));
    QVERIFY(env.dialogs.last().text.contains(QStringLiteral("non è un numero intero")));
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QString());

    env.dialogs.clear();
    ui.click(u"Check5"); // the entry screen still opens, and says it again
    QVERIFY(ui.frame(u"Frame3")->isVisibleTo(&ui.window));
    QCOMPARE(env.dialogs.shown.size(), 1);
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QString());
    QVERIFY_THROWS_EXCEPTION(db::Refusal, windows.mainWindow().storeShownDocumentNumber());
    QCOMPARE(storedCounter(env), QVariant(QStringLiteral("dodici")));
}

void TestMainWindow::loaderReplacesItsListsOnly()
{
    TestEnvironment env;
    addLookupRows(env, QStringLiteral("Chiave"), {QStringLiteral("uno"), QStringLiteral("due")});
    addLookupRows(env, QStringLiteral("Pubblicazione"), {QStringLiteral("Focus")});
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    ui.comboBox(u"Combo3")->setCurrentIndex(1);
    ui.comboBox(u"Combo2")->setEditText(QStringLiteral("scritto"));
    ui.comboBox(u"Combo1")->setEditText(QStringLiteral("digitato"));

    windows.mainWindow().loadKeywords();
    windows.mainWindow().loadKeywords();
    QCOMPARE(itemTexts(ui.comboBox(u"Combo3")), (QStringList{QStringLiteral("uno"), QStringLiteral("due")}));
    QCOMPARE(itemTexts(ui.comboBox(u"Combo2")), (QStringList{QStringLiteral("uno"), QStringLiteral("due")}));
    QCOMPARE(ui.comboBox(u"Combo3")->currentText(), QString());
    QCOMPARE(ui.comboBox(u"Combo2")->currentText(), QString());
    QCOMPARE(ui.comboBox(u"Combo1")->currentText(), QStringLiteral("digitato"));
    QCOMPARE(itemTexts(ui.comboBox(u"Combo1")), QStringList{QStringLiteral("Focus")});
}

void TestMainWindow::ricercaShowsTheSearchWindowAtEveryClick()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    ui.window.show();
    ui.click(u"Check4");
    QVERIFY(ui.checkBox(u"Check4")->isChecked());
    QVERIFY(windows.loadedSearchWindow() && windows.loadedSearchWindow()->isVisible());
    windows.loadedSearchWindow()->hide();

    ui.click(u"Check4");
    QVERIFY(!ui.checkBox(u"Check4")->isChecked());
    QVERIFY(windows.loadedSearchWindow() && windows.loadedSearchWindow()->isVisible());
}

void TestMainWindow::interrogazioneOnlyWhenChecked()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    ui.window.show();
    ui.click(u"Check5");
    ui.click(u"Check7");
    QVERIFY(windows.loadedSearchWindow() && windows.loadedSearchWindow()->isVisible());
    QVERIFY(!ui.checkBox(u"Check7")->isChecked()); // the search window clears it when it loads
    windows.loadedSearchWindow()->hide();

    ui.click(u"Check7"); // checked again: the loaded window is shown again
    QVERIFY(ui.checkBox(u"Check7")->isChecked());
    QVERIFY(windows.loadedSearchWindow()->isVisible());
    windows.loadedSearchWindow()->hide();

    ui.click(u"Check7");
    QVERIFY(!ui.checkBox(u"Check7")->isChecked());
    QVERIFY(!windows.loadedSearchWindow()->isVisible());
}

void TestMainWindow::stampaGeneraleUnchecksItself()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    bool shownWhileChecked = false;
    int pages = 0;
    QTimer::singleShot(0, &ui.window, [&] {
        ReportPreview &report = windows.reportPreview();
        shownWhileChecked = report.isVisible() && ui.checkBox(u"Check6")->isChecked();
        pages = report.report() ? report.report()->pageCount() : -1;
        report.close();
    });
    ui.click(u"Check6");
    QVERIFY(shownWhileChecked);
    QCOMPARE(pages, 1); // an empty catalogue still has its one page
    QVERIFY(!ui.checkBox(u"Check6")->isChecked());
    if (env.onServer())
        return;

    // A catalogue that cannot be read: a message, and the entry still ends cleared.
    QFile::remove(env.catalogPath());
    ui.click(u"Check6");
    QVERIFY(!ui.checkBox(u"Check6")->isChecked());
    QCOMPARE(env.dialogs.last().icon, QMessageBox::Critical);
    QVERIFY(!windows.reportPreview().isVisible());
}

void TestMainWindow::serviziHidesTheMainWindow()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    ui.window.show();
    ui.click(u"Check10");
    QVERIFY(!ui.window.isVisible());
    QVERIFY(windows.loadedServiceWindow() && windows.loadedServiceWindow()->isVisible());
}

void TestMainWindow::istruzioniShowsTheSameMessageAtEveryClick()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    ui.click(u"Check12");
    ui.click(u"Check12");
    QCOMPARE(env.dialogs.shown.size(), 2);
    for (const ShownBox &box : env.dialogs.shown) {
        QVERIFY_BOX(box, .icon = QMessageBox::NoIcon, .text = instructions,
                    .title = QStringLiteral(" Rudozuzurivaz versione 1"), .buttons = QMessageBox::Ok);
    }
}

void TestMainWindow::esciEndsTheProgramWhenChecked()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    ui.click(u"Check4"); // the search window is open: it does not matter
    ui.click(u"Check11");
    QCOMPARE(env.endProgramCalls, 1);
    ui.click(u"Check11");
    QCOMPARE(env.endProgramCalls, 1);
}

void TestMainWindow::closeIsRefused()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    ui.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ui.window));
    QVERIFY(!ui.window.close());
    QVERIFY(ui.window.isVisible());
    QCOMPARE(env.endProgramCalls, 0);
    QCOMPARE(env.dialogs.shown.size(), 0);
}

void TestMainWindow::pulisciEmptiesEveryFieldButTheNumber()
{
    TestEnvironment env;
    addLookupRows(env, QStringLiteral("Chiave"), {QStringLiteral("arte")});
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    ui.window.show();
    ui.click(u"Check5");
    for (QLineEdit *box : {ui.lineEdit(u"Text3"), ui.lineEdit(u"Text4"), ui.lineEdit(u"Text5"), ui.lineEdit(u"Text1"),
                           ui.lineEdit(u"Text2"), ui.lineEdit(u"Text7"), ui.lineEdit(u"Text8")})
        box->setText(QStringLiteral("12"));
    ui.textArea(u"Text9")->setPlainText(QStringLiteral("note\nsu due righe"));
    for (QComboBox *combo :
         {ui.comboBox(u"Combo3"), ui.comboBox(u"Combo1"), ui.comboBox(u"Combo6"), ui.comboBox(u"Combo7"),
          ui.comboBox(u"Combo2"), ui.comboBox(u"Combo4"), ui.comboBox(u"Combo5")})
        combo->setEditText(QStringLiteral("scritto"));
    for (QCheckBox *box : {ui.checkBox(u"Check1"), ui.checkBox(u"Check2"), ui.checkBox(u"Check3"),
                           ui.checkBox(u"Check7"), ui.checkBox(u"Check8"), ui.checkBox(u"Check9")})
        box->setChecked(true);
    if (windows.loadedSearchWindow())
        windows.loadedSearchWindow()->hide();
    // Changes made elsewhere meanwhile show after the clearing.
    addLookupRows(env, QStringLiteral("Chiave"), {QStringLiteral("storia")});
    testdata::setCounter(env, 9);

    // "Pulisci" is disabled in deletion mode; its routine clears the screen all the same.
    QVERIFY(!ui.button(u"Command3")->isEnabled());
    windows.mainWindow().clearEntryScreen();

    for (QLineEdit *box : {ui.lineEdit(u"Text3"), ui.lineEdit(u"Text4"), ui.lineEdit(u"Text5"), ui.lineEdit(u"Text1"),
                           ui.lineEdit(u"Text2"), ui.lineEdit(u"Text7"), ui.lineEdit(u"Text8")})
        QVERIFY2(box->text().isEmpty(), qPrintable(box->objectName()));
    QCOMPARE(ui.textArea(u"Text9")->toPlainText(), QString());
    for (QComboBox *combo :
         {ui.comboBox(u"Combo3"), ui.comboBox(u"Combo1"), ui.comboBox(u"Combo6"), ui.comboBox(u"Combo7"),
          ui.comboBox(u"Combo2"), ui.comboBox(u"Combo4"), ui.comboBox(u"Combo5")})
        QVERIFY2(combo->currentText().isEmpty(), qPrintable(combo->objectName()));
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("10"));
    QCOMPARE(itemTexts(ui.comboBox(u"Combo3")), (QStringList{QStringLiteral("arte"), QStringLiteral("storia")}));
    QCOMPARE(itemTexts(ui.comboBox(u"Combo2")), (QStringList{QStringLiteral("arte"), QStringLiteral("storia")}));
    for (QCheckBox *box :
         {ui.checkBox(u"Check1"), ui.checkBox(u"Check2"), ui.checkBox(u"Check3"), ui.checkBox(u"Check4"),
          ui.checkBox(u"Check5"), ui.checkBox(u"Check6"), ui.checkBox(u"Check7"), ui.checkBox(u"Check8")})
        QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
    QVERIFY(ui.checkBox(u"Check9")->isChecked()); // not one of the clearing's boxes
    QVERIFY(ui.frame(u"Frame3")->isVisible());    // "Pulisci" stays on the entry screen
    QCOMPARE(env.dialogs.shown.size(), 0);
}

void TestMainWindow::pulisciShowsTheSearchWindowWhileRicercaIsChecked()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    ui.click(u"Check4");
    windows.loadedSearchWindow()->hide();
    windows.mainWindow().clearEntryScreen();
    QVERIFY(!ui.checkBox(u"Check4")->isChecked());
    QVERIFY(windows.loadedSearchWindow()->isVisible());
}

void TestMainWindow::pulisciGoesOnWhenAStepFails()
{
    TestEnvironment env;
    addLookupRows(env, QStringLiteral("Pubblicazione"), {QStringLiteral("Focus")});
    addLookupRows(env, QStringLiteral("Allocazione"), {QStringLiteral("scaffale")});
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    runSql(env, {QStringLiteral("DROP TABLE Chiave"), QStringLiteral("UPDATE contatore SET Progressivo = 4")});
    ui.lineEdit(u"Text4")->setText(QStringLiteral("argomento"));

    windows.mainWindow().clearEntryScreen();

    QCOMPARE(ui.lineEdit(u"Text4")->text(), QString());
    QCOMPARE(ui.comboBox(u"Combo3")->count(), 0);
    QCOMPARE(itemTexts(ui.comboBox(u"Combo1")), QStringList{QStringLiteral("Focus")});
    QCOMPARE(itemTexts(ui.comboBox(u"Combo6")), QStringList{QStringLiteral("scaffale")});
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("5"));
    QCOMPARE(env.dialogs.shown.size(), 0);
}

void TestMainWindow::tabFollowsTheOrderTheFieldsAreFilledIn()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    const QStringList order = {
        QStringLiteral("Text3"),    QStringLiteral("Combo3"),   QStringLiteral("Text4"),     QStringLiteral("Text5"),
        QStringLiteral("Combo1"),   QStringLiteral("Text1"),    QStringLiteral("Text2"),     QStringLiteral("Text7"),
        QStringLiteral("Text8"),    QStringLiteral("Text9"),    QStringLiteral("Combo6"),    QStringLiteral("Text10"),
        QStringLiteral("Command1"), QStringLiteral("Command3"), QStringLiteral("Command20"), QStringLiteral("Command5"),
        QStringLiteral("Command6"), QStringLiteral("Command4"), QStringLiteral("Check7"),    QStringLiteral("Check9")};
    // The controls of that list as Tab reaches them from the first.
    QStringList reached;
    QWidget *control = ui.find(u"Text3");
    for (int step = 0; step < 1000 && reached.size() < order.size(); ++step, control = control->nextInFocusChain())
        if (order.contains(control->objectName()) && !reached.contains(control->objectName()))
            reached << control->objectName();
    QCOMPARE(reached, order);
}

void TestMainWindow::tabLeavesTheNotesCtrlTabWritesATab()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    ui.window.show();
    QApplication::setActiveWindow(&ui.window);
    QVERIFY(QTest::qWaitForWindowActive(&ui.window));
    ui.click(u"Check5");
    QPlainTextEdit *notes = ui.textArea(u"Text9");
    notes->setFocus();
    QTest::keyClicks(notes, QStringLiteral("riga"));
    QTest::keyClick(notes, Qt::Key_Tab);
    QVERIFY(ui.comboBox(u"Combo6")->hasFocus());
    QCOMPARE(notes->toPlainText(), QStringLiteral("riga"));
    notes->setFocus();
    QTest::keyClick(notes, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(notes->toPlainText(), QStringLiteral("riga\t"));
    QCOMPARE(QApplication::focusWidget(), notes);
}

void TestMainWindow::menuReturnsToTheMenuScreen()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    ui.window.show();
    ui.click(u"Check5");
    ui.lineEdit(u"Text4")->setText(QStringLiteral("argomento"));
    ui.checkBox(u"Check9")->setChecked(true);
    ui.frame(u"Frame5")->show();

    ui.click(u"Command4");

    QVERIFY(ui.frame(u"Frame2")->isVisible());
    QVERIFY(!ui.frame(u"Frame3")->isVisible());
    for (const char16_t *frame : {u"Frame4", u"Frame5", u"Frame6"})
        QVERIFY(ui.frame(frame)->isHidden());
    QVERIFY(!ui.checkBox(u"Check9")->isChecked());
    QVERIFY(!ui.checkBox(u"Check5")->isChecked());
    QCOMPARE(ui.lineEdit(u"Text4")->text(), QString());
    QCOMPARE(ui.button(u"Command4")->text(), QStringLiteral("&Menù"));

    ui.click(u"Check5"); // and back to the entry screen
    QVERIFY(ui.frame(u"Frame3")->isVisible());
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("1"));
}

void TestMainWindow::entryButtonsOpenTheirWindows_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("window");
    QTest::newRow("Modifica") << QStringLiteral("Command20") << QStringLiteral("Modifica")
                              << QStringLiteral("Frmlibri");
    QTest::newRow("Scanner") << QStringLiteral("Command5") << QStringLiteral("Acquisisci da  Scanner")
                             << QStringLiteral("Form5");
    QTest::newRow("Allegato") << QStringLiteral("Command6") << QStringLiteral("Visualizza Allegato")
                              << QStringLiteral("Form3");
}

void TestMainWindow::entryButtonsOpenTheirWindows()
{
    QFETCH(QString, command);
    QFETCH(QString, caption);
    QFETCH(QString, window);
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    ui.window.show();
    ui.click(u"Check5");
    auto *button = ui.find<QPushButton>(command);
    QVERIFY(button);
    QCOMPARE(button->text(), caption);
    button->click();
    QWidget *opened = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->objectName() == window && top->isVisible())
            opened = top;
    QVERIFY2(opened, qPrintable(window));
    QVERIFY(ui.window.isVisible());
}

void TestMainWindow::databaseFailureIsReportedAndWindowStaysUsable()
{
    TestEnvironment env;
    if (env.onServer())
        QSKIP("breaks the catalogue file itself");
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    ui.window.show();
    QVERIFY(QFile::rename(env.catalogPath(), env.catalogPath() + QStringLiteral(".via")));

    ui.click(u"Check5");
    QCOMPARE(env.dialogs.shown.size(), 1);
    QCOMPARE(env.dialogs.last().icon, QMessageBox::Critical);
    QCOMPARE(env.dialogs.last().title, texts::applicationTitle());
    QVERIFY(env.dialogs.last().text.contains(env.catalogPath()));
    QVERIFY(ui.frame(u"Frame3")->isVisible());
    QVERIFY(!ui.frame(u"Frame2")->isVisible());
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QString()); // no old number left on offer

    QVERIFY(QFile::rename(env.catalogPath() + QStringLiteral(".via"), env.catalogPath()));
    ui.click(u"Command3");
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("1"));
}

void TestMainWindow::linkPictureOpensTheMakersSite()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    ui.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ui.window));
    QCOMPARE(ui.label(u"Image1")->frameShape(), QFrame::NoFrame);
    QTest::mouseClick(ui.label(u"Image1"), Qt::RightButton);
    QCOMPARE(env.shell.openedUrls, QStringList{texts::makerWebAddress()});
    QCOMPARE(ui.label(u"Image1")->frameShape(), QFrame::Box);
    QTest::mouseClick(ui.label(u"Image1"), Qt::LeftButton);
    QCOMPARE(env.shell.openedUrls.size(), 2);
    QCOMPARE(ui.label(u"Image1")->frameShape(), QFrame::Box);
}

void TestMainWindow::clockRunsOnceASecond()
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    QVERIFY(ui.find<QTimer>(u"Timer1")->isActive());
    QCOMPARE(ui.find<QTimer>(u"Timer1")->interval(), 1000);
    QTRY_VERIFY(!ui.label(u"Label2")->text().isEmpty());
    QVERIFY(ui.label(u"Label2")->text().startsWith(QStringLiteral("Ore...")));
    QVERIFY(ui.label(u"Label2")->text().endsWith(QLocale().toString(QDate::currentDate(), QStringLiteral("dd/MM/yyyy")))
            || ui.label(u"Label2")->text().endsWith(
                QLocale().toString(QDate::currentDate().addDays(1), QStringLiteral("dd/MM/yyyy"))));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
