// Deletion from the entry screen: the switch between the two modes, the deletion
// list and its entries, the confirmation, and texts that name no record.
#include "EntryScreenHelpers.h"
#include "gui/kit/Texts.h"
#include "gui/kit/RowWindow.h"
#include "gui/mainwindow/DeletionList.h"

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

using namespace entrytest;

namespace {

const QString confirmation = QStringLiteral("Sei sicuro di voler procedere all' eliminazione ? ");

// Three records: ID 1-3, the second without Testo.
void addThreeRecords(const TestEnvironment &env)
{
    addRecord(env,
              {QStringLiteral("arte"), QStringLiteral("Giotto"), QStringLiteral("affreschi"), QStringLiteral("Focus"),
               QStringLiteral("1")});
    addRecord(env, {QStringLiteral("storia"), QStringLiteral("Roma"), QString(), QStringLiteral("Qui Touring")});
    addRecord(env,
              {QStringLiteral("città"), QStringLiteral("Perché è così"), QStringLiteral("più"), QStringLiteral("Geo")});
}

QList<qint64> storedIds(const TestEnvironment &env)
{
    QList<qint64> ids;
    for (const QVariantMap &row : storedRows(env))
        ids << row.value(QStringLiteral("ID")).toLongLong();
    return ids;
}

// The fields deletion mode covers with the deletion list, with their labels.
QList<QWidget *> fieldsCoveredByDeletion(const Ui &ui)
{
    return {ui.lineEdit(u"Text4"), ui.comboBox(u"Combo3"), ui.lineEdit(u"Text3"), ui.label(u"Label6"),
            ui.label(u"Label7"),   ui.label(u"Label8"),    ui.checkBox(u"Check2")};
}

// The commands deletion mode disables.
QList<QPushButton *> commandsOffInDeletion(const Ui &ui)
{
    return {ui.button(u"Command3"), ui.button(u"Command5"), ui.button(u"Command6"), ui.button(u"Command20")};
}

Ui openDeletionMode(Windows &windows)
{
    const Ui ui = openEntryScreen(windows);
    ui.click(u"Check9");
    return ui;
}

} // namespace

class TestDeletion : public QObject {
    Q_OBJECT

private slots:
    // The two modes
    void deletionModeCoversTheFields();
    void leavingDeletionModeRestoresInsertMode();
    void menuLeavesDeletionMode();

    // The deletion list
    void listHasOneEntryPerRecord();
    void listOfAnEmptyCatalogueIsEmpty();
    void listModelIsConsistent();
    void listDoesNotMeasureItsEntries();
    void recordNumberOfText_data();
    void recordNumberOfText();

    // Confirmation and deletion
    void nothingChosenDoesNothing();
    void answeringNoDeletesNothing();
    void answeringYesDeletesTheChosenRecordOnly();
    void typedNumberDeletesThatRecord();
    void textNamingNoRecordDeletesNothing_data();
    void textNamingNoRecordDeletesNothing();
    void recordDeletedElsewhereIsNotFound();
    void engineFailureIsReportedAndNotConfirmed();
};

void TestDeletion::deletionModeCoversTheFields()
{
    TestEnvironment env;
    addThreeRecords(env);
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    ui.lineEdit(u"Text5")->setText(QStringLiteral("scritto prima"));

    ui.click(u"Check9");

    for (QWidget *hidden : fieldsCoveredByDeletion(ui))
        QVERIFY2(hidden->isHidden(), qPrintable(hidden->objectName()));
    QVERIFY(ui.comboBox(u"Combo7")->isVisible());
    QVERIFY(ui.frame(u"Frame7")->isVisible());
    QCOMPARE(ui.frame(u"Frame3")->childAt(ui.lineEdit(u"Text5")->geometry().center()), ui.frame(u"Frame7"));
    for (QPushButton *disabled : commandsOffInDeletion(ui))
        QVERIFY2(!disabled->isEnabled(), qPrintable(disabled->objectName()));
    for (const char16_t *usable : {u"Command4", u"Check7", u"Command1", u"Check9"})
        QVERIFY2(ui.find(usable)->isEnabled(), qPrintable(QString::fromUtf16(usable)));
    QCOMPARE(ui.button(u"Command1")->text(), QStringLiteral("Elimina"));
    QCOMPARE(ui.comboBox(u"Combo7")->count(), 3);
    QCOMPARE(ui.comboBox(u"Combo7")->currentText(), QString()); // nothing chosen yet
    QCOMPARE(env.dialogs.shown.size(), 0);
}

void TestDeletion::leavingDeletionModeRestoresInsertMode()
{
    TestEnvironment env;
    addThreeRecords(env);
    testdata::setCounter(env, 3);
    Windows windows(env.context);
    const Ui ui = openDeletionMode(windows);
    ui.comboBox(u"Combo7")->setCurrentIndex(1);

    ui.click(u"Check9");

    for (QWidget *shown : fieldsCoveredByDeletion(ui))
        QVERIFY2(shown->isVisible(), qPrintable(shown->objectName()));
    QVERIFY(ui.comboBox(u"Combo7")->isHidden());
    QVERIFY(ui.frame(u"Frame7")->isHidden());
    for (QPushButton *command : commandsOffInDeletion(ui))
        QVERIFY2(command->isEnabled(), qPrintable(command->objectName()));
    QCOMPARE(ui.button(u"Command1")->text(), QStringLiteral("Inserisci"));
    QCOMPARE(ui.comboBox(u"Combo7")->currentText(), QString());
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("4"));
    QCOMPARE(storedIds(env), (QList<qint64>{1, 2, 3}));
    QCOMPARE(env.dialogs.shown.size(), 0);
}

void TestDeletion::menuLeavesDeletionMode()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui = openDeletionMode(windows);
    ui.click(u"Command4");
    QVERIFY(ui.frame(u"Frame2")->isVisible());
    QVERIFY(!ui.checkBox(u"Check9")->isChecked());
    QCOMPARE(ui.button(u"Command1")->text(), QStringLiteral("Inserisci"));
    QVERIFY(ui.frame(u"Frame7")->isHidden());
    QVERIFY(ui.button(u"Command3")->isEnabled());
    ui.click(u"Check5");
    QVERIFY(ui.lineEdit(u"Text4")->isVisible());
}

void TestDeletion::listHasOneEntryPerRecord()
{
    TestEnvironment env;
    addThreeRecords(env);
    runSql(env,
           {QStringLiteral("DELETE FROM Tabella WHERE ID = 1"),
            // A record whose fields hold no value at all.
            QStringLiteral("INSERT INTO Tabella (Chiave) VALUES (NULL)")});
    Windows windows(env.context);
    const Ui ui = openDeletionMode(windows);
    QCOMPARE(itemTexts(ui.comboBox(u"Combo7")),
             (QStringList{QStringLiteral("2-- storia-- Roma-- -- Qui Touring"),
                          QStringLiteral("3-- città-- Perché è così-- più-- Geo"), QStringLiteral("4-- -- -- -- ")}));
}

void TestDeletion::listOfAnEmptyCatalogueIsEmpty()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui = openDeletionMode(windows);
    QCOMPARE(ui.comboBox(u"Combo7")->count(), 0);
    ui.click(u"Command1"); // nothing to choose: nothing happens
    QCOMPARE(env.dialogs.shown.size(), 0);
}

void TestDeletion::listModelIsConsistent()
{
    TestEnvironment env;
    addThreeRecords(env);
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    QAbstractItemModelTester tester(ui.comboBox(u"Combo7")->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    ui.click(u"Check9");
    QCOMPARE(ui.comboBox(u"Combo7")->model()->rowCount(), 3);
    ui.click(u"Check9");
    QCOMPARE(ui.comboBox(u"Combo7")->model()->rowCount(), 0);

    DeletionList list;
    QAbstractItemModelTester own(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    list.setSource(std::make_shared<db::MemoryRowSource>(
        QStringList{QStringLiteral("Pubblicazione"), QStringLiteral("id"), QStringLiteral("Testo")},
        QVector<QVector<QVariant>>{{QStringLiteral("Geo"), 7, QStringLiteral("t")}}));
    // Found by name in any order and letter case; a missing field gives the empty text.
    QCOMPARE(list.data(list.index(0, 0)).toString(), QStringLiteral("7-- -- -- t-- Geo"));
    list.clear();
    QCOMPARE(list.rowCount(), 0);
}

void TestDeletion::listDoesNotMeasureItsEntries()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui(windows.mainWindow());
    auto *view = qobject_cast<QListView *>(ui.comboBox(u"Combo7")->view());
    QVERIFY(view);
    QVERIFY(view->uniformItemSizes());
    QVERIFY(ui.comboBox(u"Combo7")->sizeAdjustPolicy() != QComboBox::AdjustToContents);
    QVERIFY(ui.comboBox(u"Combo7")->sizeAdjustPolicy() != QComboBox::AdjustToContentsOnFirstShow);
    QVERIFY(qobject_cast<DeletionList *>(RowWindow::rowsOf(ui.comboBox(u"Combo7")->model())));
}

void TestDeletion::recordNumberOfText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("number"); // -1: none
    QTest::newRow("entry") << QStringLiteral("12-- arte-- Giotto-- -- Focus") << qint64(12);
    QTest::newRow("number alone") << QStringLiteral("7") << qint64(7);
    QTest::newRow("first separator counts") << QStringLiteral("3-- a-- 5-- b") << qint64(3);
    QTest::newRow("empty") << QString() << qint64(-1);
    QTest::newRow("words") << QStringLiteral("arte") << qint64(-1);
    QTest::newRow("number then words") << QStringLiteral("12 arte") << qint64(-1);
    QTest::newRow("leading blank") << QStringLiteral(" 12-- arte") << qint64(-1);
    QTest::newRow("blank before separator") << QStringLiteral("12 -- arte") << qint64(-1);
    QTest::newRow("sign") << QStringLiteral("-3-- arte") << qint64(-1);
    QTest::newRow("plus") << QStringLiteral("+3") << qint64(-1);
    QTest::newRow("statement") << QStringLiteral("1 OR 1=1") << qint64(-1);
    QTest::newRow("statement after number") << QStringLiteral("1; DELETE FROM Tabella") << qint64(-1);
    QTest::newRow("decimal") << QStringLiteral("1,5") << qint64(-1);
    QTest::newRow("too large") << QStringLiteral("99999999999999999999") << qint64(-1);
    QTest::newRow("other digits") << QStringLiteral("١٢") << qint64(-1);
}

void TestDeletion::recordNumberOfText()
{
    QFETCH(QString, text);
    QFETCH(qint64, number);
    const auto found = DeletionList::recordNumberOf(text);
    QCOMPARE(found.has_value(), number >= 0);
    if (found)
        QCOMPARE(*found, number);
}

void TestDeletion::nothingChosenDoesNothing()
{
    TestEnvironment env;
    addThreeRecords(env);
    Windows windows(env.context);
    const Ui ui = openDeletionMode(windows);
    ui.click(u"Command1");
    QCOMPARE(env.dialogs.shown.size(), 0);
    QCOMPARE(storedIds(env), (QList<qint64>{1, 2, 3}));
    QVERIFY(ui.checkBox(u"Check9")->isChecked());
}

void TestDeletion::answeringNoDeletesNothing()
{
    TestEnvironment env;
    addThreeRecords(env);
    Windows windows(env.context);
    const Ui ui = openDeletionMode(windows);
    ui.comboBox(u"Combo7")->setCurrentIndex(1);
    env.dialogs.answerButton(QMessageBox::No);

    ui.click(u"Command1");

    QCOMPARE(env.dialogs.shown.size(), 1);
    QCOMPARE(env.dialogs.last().text, confirmation);
    QCOMPARE(env.dialogs.last().defaultButton, QMessageBox::No); // Enter keeps the record
    QCOMPARE(env.dialogs.last().title, QStringLiteral("CONFERMA"));
    QCOMPARE(env.dialogs.last().buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(env.dialogs.last().icon, QMessageBox::NoIcon);
    QCOMPARE(storedIds(env), (QList<qint64>{1, 2, 3}));
    QVERIFY(!ui.checkBox(u"Check9")->isChecked());
    QCOMPARE(ui.button(u"Command1")->text(), QStringLiteral("Inserisci"));
    QVERIFY(ui.lineEdit(u"Text3")->isVisible());
    QVERIFY(ui.comboBox(u"Combo7")->isHidden());
    QVERIFY(ui.frame(u"Frame7")->isHidden());
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("1"));
}

void TestDeletion::answeringYesDeletesTheChosenRecordOnly()
{
    TestEnvironment env;
    addThreeRecords(env);
    testdata::setCounter(env, 3);
    Windows windows(env.context);
    const Ui ui = openDeletionMode(windows);
    ui.comboBox(u"Combo7")->setCurrentIndex(1);
    QCOMPARE(ui.comboBox(u"Combo7")->currentText(), QStringLiteral("2-- storia-- Roma-- -- Qui Touring"));
    env.dialogs.answerButton(QMessageBox::Yes);
    int entriesWhileConfirming = -1;
    env.dialogs.duringNextBox([&] { entriesWhileConfirming = ui.comboBox(u"Combo7")->count(); });
    env.dialogs.answerButton(QMessageBox::Ok);

    ui.click(u"Command1");

    QCOMPARE(env.dialogs.shown.size(), 2);
    QCOMPARE(env.dialogs.shown.at(0).text, confirmation);
    QVERIFY_BOX(env.dialogs.last(), .icon = QMessageBox::NoIcon, .text = QStringLiteral("Eliminazione avvenuta !"),
                .title = QStringLiteral("CONFERMA"), .buttons = QMessageBox::Ok);
    QCOMPARE(entriesWhileConfirming, 0); // the list is emptied before the message
    QCOMPARE(storedIds(env), (QList<qint64>{1, 3}));
    QCOMPARE(storedCounter(env), QVariant(qint64(3)));
    QVERIFY(!ui.checkBox(u"Check9")->isChecked());
    QCOMPARE(ui.button(u"Command1")->text(), QStringLiteral("Inserisci"));
    QVERIFY(ui.lineEdit(u"Text4")->isVisible());
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("4"));
    for (QCheckBox *toggle :
         {ui.checkBox(u"Check1"), ui.checkBox(u"Check2"), ui.checkBox(u"Check3"), ui.checkBox(u"Check8")})
        QVERIFY2(toggle->isVisible(), qPrintable(toggle->objectName()));
    QCOMPARE(env.dialogs.unexpected, 0);

    // Entering deletion mode again lists what is left.
    ui.click(u"Check9");
    QCOMPARE(ui.comboBox(u"Combo7")->count(), 2);
    QVERIFY(ui.comboBox(u"Combo7")->itemText(1).startsWith(QStringLiteral("3-- ")));
}

void TestDeletion::typedNumberDeletesThatRecord()
{
    TestEnvironment env;
    addThreeRecords(env);
    Windows windows(env.context);
    const Ui ui = openDeletionMode(windows);
    QTest::keyClicks(ui.comboBox(u"Combo7")->lineEdit(), QStringLiteral("3-- scritto a mano"));
    env.dialogs.answerButton(QMessageBox::Yes);
    env.dialogs.answerButton(QMessageBox::Ok);
    ui.click(u"Command1");
    QCOMPARE(storedIds(env), (QList<qint64>{1, 2}));
    QCOMPARE(env.dialogs.last().text, QStringLiteral("Eliminazione avvenuta !"));
}

void TestDeletion::textNamingNoRecordDeletesNothing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("named"); // what the message quotes
    QTest::newRow("number of no record") << QStringLiteral("999") << QStringLiteral("999");
    QTest::newRow("entry of no record") << QStringLiteral("42-- arte-- Giotto") << QStringLiteral("42");
    QTest::newRow("words") << QStringLiteral("arte") << QStringLiteral("\"arte\"");
    QTest::newRow("statement") << QStringLiteral("1 OR 1=1") << QStringLiteral("\"1 OR 1=1\"");
    QTest::newRow("statement after number")
        << QStringLiteral("1; DELETE FROM Tabella") << QStringLiteral("\"1; DELETE FROM Tabella\"");
    QTest::newRow("blank before separator") << QStringLiteral("2 -- storia") << QStringLiteral("\"2 -- storia\"");
}

void TestDeletion::textNamingNoRecordDeletesNothing()
{
    QFETCH(QString, typed);
    QFETCH(QString, named);
    TestEnvironment env;
    addThreeRecords(env);
    Windows windows(env.context);
    const Ui ui = openDeletionMode(windows);
    ui.comboBox(u"Combo7")->setEditText(typed);
    env.dialogs.answerButton(QMessageBox::Yes);
    env.dialogs.answerButton(QMessageBox::Ok);

    ui.click(u"Command1");

    QCOMPARE(storedIds(env), (QList<qint64>{1, 2, 3}));
    QCOMPARE(env.dialogs.shown.size(), 2);
    const ShownBox &box = env.dialogs.last();
    QVERIFY2(box.text.startsWith(QStringLiteral("Registrazione non trovata")), qPrintable(box.text));
    QVERIFY2(box.text.contains(named), qPrintable(box.text));
    QVERIFY(box.text.contains(QStringLiteral("Nessuna registrazione è stata eliminata")));
    QCOMPARE(box.title, texts::applicationTitle());
    QCOMPARE(box.icon, QMessageBox::Warning);
    // Still in deletion mode, with the list as the catalogue is now and nothing chosen.
    QVERIFY(ui.checkBox(u"Check9")->isChecked());
    QCOMPARE(ui.button(u"Command1")->text(), QStringLiteral("Elimina"));
    QCOMPARE(ui.comboBox(u"Combo7")->count(), 3);
    QCOMPARE(ui.comboBox(u"Combo7")->currentText(), QString());
}

void TestDeletion::recordDeletedElsewhereIsNotFound()
{
    TestEnvironment env;
    addThreeRecords(env);
    Windows windows(env.context);
    const Ui ui = openDeletionMode(windows);
    ui.comboBox(u"Combo7")->setCurrentIndex(0);
    QVERIFY(ui.comboBox(u"Combo7")->currentText().startsWith(QStringLiteral("1-- ")));
    runSql(env, {QStringLiteral("DELETE FROM Tabella WHERE ID = 1")}); // as the browse window may
    env.dialogs.answerButton(QMessageBox::Yes);
    env.dialogs.answerButton(QMessageBox::Ok);

    ui.click(u"Command1");

    QCOMPARE(storedIds(env), (QList<qint64>{2, 3}));
    QVERIFY(env.dialogs.last().text.startsWith(QStringLiteral("Registrazione non trovata")));
    QCOMPARE(itemTexts(ui.comboBox(u"Combo7")).size(), 2);
    QVERIFY(ui.comboBox(u"Combo7")->itemText(0).startsWith(QStringLiteral("2-- ")));
}

void TestDeletion::engineFailureIsReportedAndNotConfirmed()
{
    TestEnvironment env;
    if (env.onServer())
        QSKIP("the failure is made by a trigger of the file's engine");
    addThreeRecords(env);
    Windows windows(env.context);
    const Ui ui = openDeletionMode(windows);
    ui.comboBox(u"Combo7")->setCurrentIndex(0);
    runSql(env,
           {QStringLiteral("CREATE TRIGGER blocco BEFORE DELETE ON Tabella "
                           "BEGIN SELECT RAISE(ABORT, 'eliminazione bloccata'); END")});
    env.dialogs.answerButton(QMessageBox::Yes);
    env.dialogs.answerButton(QMessageBox::Ok);

    ui.click(u"Command1");

    QCOMPARE(storedIds(env), (QList<qint64>{1, 2, 3}));
    QCOMPARE(env.dialogs.shown.size(), 2);
    QCOMPARE(env.dialogs.last().icon, QMessageBox::Critical);
    QVERIFY(env.dialogs.last().text.contains(QStringLiteral("eliminazione bloccata")));
    QVERIFY(ui.checkBox(u"Check9")->isChecked()); // the user can try again or leave
}

QTEST_MAIN(TestDeletion)
#include "tst_deletion.moc"
