// The main window as the user meets it: start-up, the menu, the entry screen's
// commands, the document number, the lookup lists and the refused close.
#include "CatalogueRows.h"
#include "Form1Ui.h"
#include "TestEnvironment.h"
#include "gui/mainwindow/Form1.h"
#include "gui/attachments/Form3.h"
#include "gui/attachments/Form5.h"
#include "gui/browse/Frmlibri.h"
#include "gui/browse/rptBooks.h"
#include "gui/kit/Texts.h"
#include "core/engines/DbError.h"
#include "core/settings/Twips.h"
#include "gui/lookups/LookupLists.h"
#include "gui/Windows.h"
#include "gui/search/Form7.h"
#include "gui/service/Form2.h"

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

class TestForm1 : public QObject {
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
    void menuReturnsToTheMenuScreen();
    void entryButtonsOpenTheirWindows_data();
    void entryButtonsOpenTheirWindows();
    void databaseFailureIsReportedAndWindowStaysUsable();

    // Decorations
    void linkPictureOpensTheMakersSite();
    void clockRunsOnceASecond();
};

void TestForm1::startUpShowsTheMenuOnly()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Form1Ui f(windows.form1());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));

    QCOMPARE(f.windowTitle(), QStringLiteral("Rudozuzurivaz versione 1 del  25-4-09"));
    QVERIFY(f.windowFlags().testFlag(Qt::Tool));
    QVERIFY(!f.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!f.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(f.size(), twips::size(11940, 7860));
    QVERIFY(f.Frame2->isVisible());
    for (QWidget *hidden :
         {static_cast<QWidget *>(f.Frame3), static_cast<QWidget *>(f.Frame5), static_cast<QWidget *>(f.Frame6)})
        QVERIFY2(!hidden->isVisible(), qPrintable(hidden->objectName()));
    for (QWidget *hidden : {static_cast<QWidget *>(f.Combo7), static_cast<QWidget *>(f.Frame1),
                            static_cast<QWidget *>(f.Frame4), static_cast<QWidget *>(f.Frame7)})
        QVERIFY2(hidden->isHidden(), qPrintable(hidden->objectName()));
    for (QCheckBox *box : {f.Check1, f.Check2, f.Check5})
        QVERIFY(!box->isChecked());
    QCOMPARE(f.Calendario->selectedDate(), QDate::currentDate());
    QCOMPARE(f.Label2->text(), QString());
    QVERIFY(f.Label14->text().contains(texts::copyrightLine()));
    QVERIFY(f.Label14->text().contains(texts::makerWebAddress()));
    QVERIFY(f.Label14->text().contains(texts::makerEmail()));
    QCOMPARE(f.Image1->toolTip(), QStringLiteral("Vai al il mio sito !"));
    QCOMPARE(env.dialogs.shown.size(), 0);
    QCOMPARE(f.Text10->text(), QStringLiteral("1"));
}

void TestForm1::startUpCreatesTheAttachmentFolder()
{
    TestEnvironment env;
    QVERIFY(!QFileInfo::exists(env.context.attachmentFolder()));
    Windows windows(env.context);
    windows.form1();
    QVERIFY(QFileInfo(env.context.attachmentFolder()).isDir());
}

void TestForm1::startUpLeavesAnExistingAllegatiAlone_data()
{
    QTest::addColumn<bool>("asFolder");
    QTest::newRow("folder with a file") << true;
    QTest::newRow("plain file") << false;
}

void TestForm1::startUpLeavesAnExistingAllegatiAlone()
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
    windows.form1();
    QCOMPARE(QFileInfo(allegati).isDir(), asFolder);
    QFile again(probe);
    QVERIFY(again.open(QIODevice::ReadOnly));
    QCOMPARE(again.readAll(), QByteArray("contenuto"));
    QCOMPARE(env.dialogs.shown.size(), 0);
}

void TestForm1::startUpFillsTheListsInDatabaseOrder_data()
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

void TestForm1::startUpFillsTheListsInDatabaseOrder()
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
    const Form1Ui f(windows.form1());
    for (const QString &name : {entryList, frameList}) {
        auto *combo = f.findChild<QComboBox *>(name);
        QVERIFY2(combo, qPrintable(name));
        QCOMPARE(itemTexts(combo), expected);
        QCOMPARE(itemIds(combo), expectedIds);
        QCOMPARE(combo->currentText(), QString());
        QVERIFY(combo->isEditable());
    }
}

void TestForm1::deletionFrameCoversTheFields()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Form1Ui f(windows.form1());
    const QPoint onTesto = f.Text5->geometry().center();
    QCOMPARE(f.Frame3->childAt(onTesto), f.Text5);
    f.Frame7->show();
    QCOMPARE(f.Frame3->childAt(onTesto), f.Frame7);
    // The publication frame lies over the entry screen on the window.
    f.Frame3->show();
    f.Frame5->show();
    QCOMPARE(f.childAt(f.Frame5->geometry().topLeft() + QPoint(2, 2)), f.Frame5);
}

void TestForm1::entryScreenOffersTheNextNumber_data()
{
    QTest::addColumn<qint64>("progressivo");
    QTest::addColumn<QString>("offered");
    QTest::newRow("fresh catalogue") << qint64(0) << QStringLiteral("1");
    QTest::newRow("41") << qint64(41) << QStringLiteral("42");
    QTest::newRow("five digits") << qint64(99999) << QStringLiteral("100000");
}

void TestForm1::entryScreenOffersTheNextNumber()
{
    QFETCH(qint64, progressivo);
    QFETCH(QString, offered);
    TestEnvironment env;
    Windows windows(env.context);
    const Form1Ui f(windows.form1());
    f.show();
    // Changed after start-up (as the service window does): entering reads it again.
    testdata::setCounter(env, progressivo);
    f.Check5->click();
    QVERIFY(f.Frame3->isVisible());
    QVERIFY(!f.Frame2->isVisible());
    QCOMPARE(f.Text10->text(), offered);
    QVERIFY(f.Text10->isReadOnly());

    f.Check5->click(); // unchecking does nothing
    QVERIFY(f.Frame3->isVisible());
    QVERIFY(!f.Frame2->isVisible());
}

void TestForm1::salvaProgressivoStoresTheShownNumber()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Form1Ui f(windows.form1());
    QCOMPARE(f.Text10->text(), QStringLiteral("1"));
    f.SalvaProgressivo();
    QCOMPARE(storedCounter(env), QVariant(qint64(1)));
    f.LeggiProgressivo();
    QCOMPARE(f.Text10->text(), QStringLiteral("2"));

    // Never a non-number as the counter.
    f.Text10->setText(QStringLiteral("2a"));
    QVERIFY_THROWS_EXCEPTION(db::Refusal, f.SalvaProgressivo());
    QCOMPARE(storedCounter(env), QVariant(qint64(1)));
}

void TestForm1::counterWithoutRowIsReported()
{
    TestEnvironment env;
    addLookupRows(env, QStringLiteral("Chiave"), {QStringLiteral("arte")});
    testdata::removeCounterRow(env);
    Windows windows(env.context);
    const Form1Ui f(windows.form1());

    // Start-up went on to the end: lists filled, menu shown.
    QCOMPARE(itemTexts(f.Combo3), QStringList{QStringLiteral("arte")});
    QVERIFY(f.Frame3->isHidden());
    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY(env.dialogs.last().text.contains(QStringLiteral("contatore")));
    QVERIFY(env.dialogs.last().text.contains(env.catalogPath()));
    QCOMPARE(env.dialogs.last().icon, QMessageBox::Warning);
    QCOMPARE(f.Text10->text(), QString());

    QVERIFY_THROWS_EXCEPTION(db::Refusal, f.SalvaProgressivo());
    f.Text10->setText(QStringLiteral("7"));
    f.SalvaProgressivo(); // no row: nothing is written, none is made up
    QVERIFY(!storedCounter(env).isValid());
}

void TestForm1::counterWithoutWholeNumberIsReported()
{
    TestEnvironment env;
    replaceCounterWithText(env, QStringLiteral("dodici"));
    Windows windows(env.context);
    const Form1Ui f(windows.form1());

    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY(env.dialogs.last().text.contains(QStringLiteral("\"dodici\"")));
    QVERIFY(env.dialogs.last().text.contains(QStringLiteral("non è un numero intero")));
    QCOMPARE(f.Text10->text(), QString());

    env.dialogs.clear();
    f.Check5->click(); // the entry screen still opens, and says it again
    QVERIFY(f.Frame3->isVisibleTo(&f.window));
    QCOMPARE(env.dialogs.shown.size(), 1);
    QCOMPARE(f.Text10->text(), QString());
    QVERIFY_THROWS_EXCEPTION(db::Refusal, f.SalvaProgressivo());
    QCOMPARE(storedCounter(env), QVariant(QStringLiteral("dodici")));
}

void TestForm1::loaderReplacesItsListsOnly()
{
    TestEnvironment env;
    addLookupRows(env, QStringLiteral("Chiave"), {QStringLiteral("uno"), QStringLiteral("due")});
    addLookupRows(env, QStringLiteral("Pubblicazione"), {QStringLiteral("Focus")});
    Windows windows(env.context);
    const Form1Ui f(windows.form1());
    f.Combo3->setCurrentIndex(1);
    f.Combo2->setEditText(QStringLiteral("scritto"));
    f.Combo1->setEditText(QStringLiteral("digitato"));

    f.CaricaChiave();
    f.CaricaChiave();
    QCOMPARE(itemTexts(f.Combo3), (QStringList{QStringLiteral("uno"), QStringLiteral("due")}));
    QCOMPARE(itemTexts(f.Combo2), (QStringList{QStringLiteral("uno"), QStringLiteral("due")}));
    QCOMPARE(f.Combo3->currentText(), QString());
    QCOMPARE(f.Combo2->currentText(), QString());
    QCOMPARE(f.Combo1->currentText(), QStringLiteral("digitato"));
    QCOMPARE(itemTexts(f.Combo1), QStringList{QStringLiteral("Focus")});
}

void TestForm1::ricercaShowsTheSearchWindowAtEveryClick()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Form1Ui f(windows.form1());
    f.show();
    f.Check4->click();
    QVERIFY(f.Check4->isChecked());
    QVERIFY(windows.loadedForm7() && windows.loadedForm7()->isVisible());
    windows.loadedForm7()->hide();

    f.Check4->click();
    QVERIFY(!f.Check4->isChecked());
    QVERIFY(windows.loadedForm7() && windows.loadedForm7()->isVisible());
}

void TestForm1::interrogazioneOnlyWhenChecked()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Form1Ui f(windows.form1());
    f.show();
    f.Check5->click();
    f.Check7->click();
    QVERIFY(windows.loadedForm7() && windows.loadedForm7()->isVisible());
    QVERIFY(!f.Check7->isChecked()); // the search window clears it when it loads
    windows.loadedForm7()->hide();

    f.Check7->click(); // checked again: the loaded window is shown again
    QVERIFY(f.Check7->isChecked());
    QVERIFY(windows.loadedForm7()->isVisible());
    windows.loadedForm7()->hide();

    f.Check7->click();
    QVERIFY(!f.Check7->isChecked());
    QVERIFY(!windows.loadedForm7()->isVisible());
}

void TestForm1::stampaGeneraleUnchecksItself()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Form1Ui f(windows.form1());
    bool shownWhileChecked = false;
    int pages = 0;
    QTimer::singleShot(0, &f.window, [&] {
        rptBooks &report = windows.report();
        shownWhileChecked = report.isVisible() && f.Check6->isChecked();
        pages = report.report() ? report.report()->pageCount() : -1;
        report.close();
    });
    f.Check6->click();
    QVERIFY(shownWhileChecked);
    QCOMPARE(pages, 1); // an empty catalogue still has its one page
    QVERIFY(!f.Check6->isChecked());
    if (env.onServer())
        return;

    // A catalogue that cannot be read: a message, and the entry still ends cleared.
    QFile::remove(env.catalogPath());
    f.Check6->click();
    QVERIFY(!f.Check6->isChecked());
    QCOMPARE(env.dialogs.last().icon, QMessageBox::Critical);
    QVERIFY(!windows.report().isVisible());
}

void TestForm1::serviziHidesTheMainWindow()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Form1Ui f(windows.form1());
    f.show();
    f.Check10->click();
    QVERIFY(!f.isVisible());
    QVERIFY(windows.loadedForm2() && windows.loadedForm2()->isVisible());
}

void TestForm1::istruzioniShowsTheSameMessageAtEveryClick()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Form1Ui f(windows.form1());
    f.Check12->click();
    f.Check12->click();
    QCOMPARE(env.dialogs.shown.size(), 2);
    for (const ShownBox &box : env.dialogs.shown) {
        QCOMPARE(box.text, instructions);
        QCOMPARE(box.title, QStringLiteral(" Rudozuzurivaz versione 1"));
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box.icon, QMessageBox::NoIcon);
    }
}

void TestForm1::esciEndsTheProgramWhenChecked()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Form1Ui f(windows.form1());
    f.Check4->click(); // the search window is open: it does not matter
    f.Check11->click();
    QCOMPARE(env.endProgramCalls, 1);
    f.Check11->click();
    QCOMPARE(env.endProgramCalls, 1);
}

void TestForm1::closeIsRefused()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Form1Ui f(windows.form1());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    QVERIFY(!f.close());
    QVERIFY(f.isVisible());
    QCOMPARE(env.endProgramCalls, 0);
    QCOMPARE(env.dialogs.shown.size(), 0);
}

void TestForm1::pulisciEmptiesEveryFieldButTheNumber()
{
    TestEnvironment env;
    addLookupRows(env, QStringLiteral("Chiave"), {QStringLiteral("arte")});
    Windows windows(env.context);
    const Form1Ui f(windows.form1());
    f.show();
    f.Check5->click();
    for (QLineEdit *box : {f.Text3, f.Text4, f.Text5, f.Text1, f.Text2, f.Text7, f.Text8})
        box->setText(QStringLiteral("12"));
    f.Text9->setPlainText(QStringLiteral("note\nsu due righe"));
    for (QComboBox *combo : {f.Combo3, f.Combo1, f.Combo6, f.Combo7, f.Combo2, f.Combo4, f.Combo5})
        combo->setEditText(QStringLiteral("scritto"));
    for (QCheckBox *box : {f.Check1, f.Check2, f.Check3, f.Check7, f.Check8, f.Check9})
        box->setChecked(true);
    if (windows.loadedForm7())
        windows.loadedForm7()->hide();
    // Changes made elsewhere meanwhile show after the clearing.
    addLookupRows(env, QStringLiteral("Chiave"), {QStringLiteral("storia")});
    testdata::setCounter(env, 9);

    // "Pulisci" is disabled in deletion mode; its routine clears the screen all the same.
    QVERIFY(!f.Command3->isEnabled());
    f.PulisciCampi();

    for (QLineEdit *box : {f.Text3, f.Text4, f.Text5, f.Text1, f.Text2, f.Text7, f.Text8})
        QVERIFY2(box->text().isEmpty(), qPrintable(box->objectName()));
    QCOMPARE(f.Text9->toPlainText(), QString());
    for (QComboBox *combo : {f.Combo3, f.Combo1, f.Combo6, f.Combo7, f.Combo2, f.Combo4, f.Combo5})
        QVERIFY2(combo->currentText().isEmpty(), qPrintable(combo->objectName()));
    QCOMPARE(f.Text10->text(), QStringLiteral("10"));
    QCOMPARE(itemTexts(f.Combo3), (QStringList{QStringLiteral("arte"), QStringLiteral("storia")}));
    QCOMPARE(itemTexts(f.Combo2), (QStringList{QStringLiteral("arte"), QStringLiteral("storia")}));
    for (QCheckBox *box : {f.Check1, f.Check2, f.Check3, f.Check4, f.Check5, f.Check6, f.Check7, f.Check8})
        QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
    QVERIFY(f.Check9->isChecked()); // not one of the clearing's boxes
    QVERIFY(f.Frame3->isVisible()); // "Pulisci" stays on the entry screen
    QCOMPARE(env.dialogs.shown.size(), 0);
}

void TestForm1::pulisciShowsTheSearchWindowWhileRicercaIsChecked()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Form1Ui f(windows.form1());
    f.Check4->click();
    windows.loadedForm7()->hide();
    f.PulisciCampi();
    QVERIFY(!f.Check4->isChecked());
    QVERIFY(windows.loadedForm7()->isVisible());
}

void TestForm1::pulisciGoesOnWhenAStepFails()
{
    TestEnvironment env;
    addLookupRows(env, QStringLiteral("Pubblicazione"), {QStringLiteral("Focus")});
    addLookupRows(env, QStringLiteral("Allocazione"), {QStringLiteral("scaffale")});
    Windows windows(env.context);
    const Form1Ui f(windows.form1());
    runSql(env, {QStringLiteral("DROP TABLE Chiave"), QStringLiteral("UPDATE contatore SET Progressivo = 4")});
    f.Text4->setText(QStringLiteral("argomento"));

    f.PulisciCampi();

    QCOMPARE(f.Text4->text(), QString());
    QCOMPARE(f.Combo3->count(), 0);
    QCOMPARE(itemTexts(f.Combo1), QStringList{QStringLiteral("Focus")});
    QCOMPARE(itemTexts(f.Combo6), QStringList{QStringLiteral("scaffale")});
    QCOMPARE(f.Text10->text(), QStringLiteral("5"));
    QCOMPARE(env.dialogs.shown.size(), 0);
}

void TestForm1::menuReturnsToTheMenuScreen()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Form1Ui f(windows.form1());
    f.show();
    f.Check5->click();
    f.Text4->setText(QStringLiteral("argomento"));
    f.Check9->setChecked(true);
    f.Frame5->show();

    f.Command4->click();

    QVERIFY(f.Frame2->isVisible());
    QVERIFY(!f.Frame3->isVisible());
    for (QWidget *frame :
         {static_cast<QWidget *>(f.Frame4), static_cast<QWidget *>(f.Frame5), static_cast<QWidget *>(f.Frame6)})
        QVERIFY(frame->isHidden());
    QVERIFY(!f.Check9->isChecked());
    QVERIFY(!f.Check5->isChecked());
    QCOMPARE(f.Text4->text(), QString());
    QCOMPARE(f.Command4->text(), QStringLiteral("&Menù"));

    f.Check5->click(); // and back to the entry screen
    QVERIFY(f.Frame3->isVisible());
    QCOMPARE(f.Text10->text(), QStringLiteral("1"));
}

void TestForm1::entryButtonsOpenTheirWindows_data()
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

void TestForm1::entryButtonsOpenTheirWindows()
{
    QFETCH(QString, command);
    QFETCH(QString, caption);
    QFETCH(QString, window);
    TestEnvironment env;
    Windows windows(env.context);
    const Form1Ui f(windows.form1());
    f.show();
    f.Check5->click();
    auto *button = f.findChild<QPushButton *>(command);
    QVERIFY(button);
    QCOMPARE(button->text(), caption);
    button->click();
    QWidget *opened = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->objectName() == window && top->isVisible())
            opened = top;
    QVERIFY2(opened, qPrintable(window));
    QVERIFY(f.isVisible());
}

void TestForm1::databaseFailureIsReportedAndWindowStaysUsable()
{
    TestEnvironment env;
    if (env.onServer())
        QSKIP("breaks the catalogue file itself");
    Windows windows(env.context);
    const Form1Ui f(windows.form1());
    f.show();
    QVERIFY(QFile::rename(env.catalogPath(), env.catalogPath() + QStringLiteral(".via")));

    f.Check5->click();
    QCOMPARE(env.dialogs.shown.size(), 1);
    QCOMPARE(env.dialogs.last().icon, QMessageBox::Critical);
    QCOMPARE(env.dialogs.last().title, texts::applicationTitle());
    QVERIFY(env.dialogs.last().text.contains(env.catalogPath()));
    QVERIFY(f.Frame3->isVisible());
    QVERIFY(!f.Frame2->isVisible());
    QCOMPARE(f.Text10->text(), QString()); // no old number left on offer

    QVERIFY(QFile::rename(env.catalogPath() + QStringLiteral(".via"), env.catalogPath()));
    f.Command3->click();
    QCOMPARE(f.Text10->text(), QStringLiteral("1"));
}

void TestForm1::linkPictureOpensTheMakersSite()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Form1Ui f(windows.form1());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    QCOMPARE(f.Image1->frameShape(), QFrame::NoFrame);
    QTest::mouseClick(f.Image1, Qt::RightButton);
    QCOMPARE(env.shell.openedUrls, QStringList{texts::makerWebAddress()});
    QCOMPARE(f.Image1->frameShape(), QFrame::Box);
    QTest::mouseClick(f.Image1, Qt::LeftButton);
    QCOMPARE(env.shell.openedUrls.size(), 2);
    QCOMPARE(f.Image1->frameShape(), QFrame::Box);
}

void TestForm1::clockRunsOnceASecond()
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    TestEnvironment env;
    Windows windows(env.context);
    const Form1Ui f(windows.form1());
    QVERIFY(f.Timer1->isActive());
    QCOMPARE(f.Timer1->interval(), 1000);
    QTRY_VERIFY(!f.Label2->text().isEmpty());
    QVERIFY(f.Label2->text().startsWith(QStringLiteral("Ore...")));
    QVERIFY(f.Label2->text().endsWith(QLocale().toString(QDate::currentDate(), QStringLiteral("dd/MM/yyyy")))
            || f.Label2->text().endsWith(
                QLocale().toString(QDate::currentDate().addDays(1), QStringLiteral("dd/MM/yyyy"))));
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
