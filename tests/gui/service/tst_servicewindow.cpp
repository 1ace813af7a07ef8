// The service window against a real catalogue: its three actions with No and Yes,
// the counter values it refuses, the backup copy made just before each action,
// and the main window hidden while it is open.
#include "CatalogueFiles.h"
#include "CatalogueRows.h"
#include "GuiTest.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "core/catalogue/Backup.h"
#include "core/catalogue/Store.h"
#include "core/settings/Twips.h"
#include "gui/Windows.h"
#include "gui/kit/Texts.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/service/ServiceWindow.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include <utility>

using namespace testdata;

namespace {
const QString question1 = QStringLiteral("Si desidera cambiare il Progressivo Documento ");
const QString question2 = QStringLiteral("ATTENZIONE :Per procedere all'azzeramento del contatore  delle registrazioni "
                                         "è necessario PRIMA \nEliminare le registrazioni , Vuoi Proseguire ? ");
const QString question3 = QStringLiteral("Siete sicuri di cancellare tutti i dati registrati ? ");

// Adds one catalogue row as the entry screen does; returns the ID it received.
qint64 addRecord(const TestEnvironment &env, const QString &chiave)
{
    return testdata::addRecord(
        env, {{QStringLiteral("Chiave"), chiave}, {QStringLiteral("Argomento"), QStringLiteral("argomento")}});
}

// The main window shown on its menu, then "Funzioni di Servizio" checked.
Ui openService(Windows &windows)
{
    const Ui main(windows.mainWindow());
    main.window.show();
    main.checkBox(u"Check10")->setChecked(true);
    Q_ASSERT(windows.loadedServiceWindow());
    return Ui(*windows.loadedServiceWindow());
}

// A message box of the program's title without icon, as the service window shows them.
void compareBox(const ShownBox &box, const QString &text, QMessageBox::StandardButtons buttons)
{
    QVERIFY_BOX(box, .text = text, .title = texts::applicationTitle(), .buttons = buttons);
}

void compareQuestion(const ShownBox &box, const QString &text)
{
    compareBox(box, text, QMessageBox::Yes | QMessageBox::No);
}

// A question whose "Sì" destroys records: Enter answers "No".
void compareDestroyingQuestion(const ShownBox &box, const QString &text)
{
    compareQuestion(box, text);
    QCOMPARE(box.defaultButton, QMessageBox::No);
}

void compareNotice(const ShownBox &box, const QString &text)
{
    compareBox(box, text, QMessageBox::Ok);
}

void processDeletions()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
} // namespace

class TestServiceWindow : public QObject {
    Q_OBJECT

private slots:
    void tabOrderFollowsTheBoxesAsMade();
    void mainWindowHiddenWhileOpen();

    // "Cambia Progressivo Documento"
    void cambiaProgressivoNo();
    void cambiaProgressivoYes_data();
    void cambiaProgressivoYes();
    void cambiaProgressivoRefuses_data();
    void cambiaProgressivoRefuses();
    void cambiaProgressivoWithoutCounterRow();
    void cambiaProgressivoAfterAnotherCopyInserted();

    // "Azzera Contatore Registrazioni" and "Elimina Registrazioni"
    void azzeraContatoreNo();
    void eliminaRegistrazioniNo();
    void eliminaRegistrazioniYesKeepsTheNumbering();
    void eliminaThenAzzeraRestartsAtOne();
    void databaseFailureIsReported();

    // The backup copy made just before each action
    void eachActionIsPrecededByACopy_data();
    void eachActionIsPrecededByACopy();
    void failingCopyAsksWhetherToGoOn_data();
    void failingCopyAsksWhetherToGoOn();
};

// The place, size and captions are in the layout file (tst_layouts); the tab
// order goes as the boxes were made, Check3 standing between the other two.
void TestServiceWindow::tabOrderFollowsTheBoxesAsMade()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui service = openService(windows);
    for (QCheckBox *box : {service.checkBox(u"Check1"), service.checkBox(u"Check2"), service.checkBox(u"Check3")})
        QVERIFY(!box->isChecked());
    QCOMPARE(service.checkBox(u"Check1")->nextInFocusChain(), service.checkBox(u"Check2"));
    QCOMPARE(service.checkBox(u"Check2")->nextInFocusChain(), service.checkBox(u"Check3"));
}

void TestServiceWindow::mainWindowHiddenWhileOpen()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui service = openService(windows);
    QVERIFY(service.window.isVisible());
    QVERIFY(!windows.mainWindow().isVisible());

    service.window.close();
    processDeletions();
    QVERIFY(!windows.loadedServiceWindow());
    QVERIFY(windows.mainWindow().isVisible());
    QVERIFY(!Ui(windows.mainWindow()).checkBox(u"Check10")->isChecked());
    QVERIFY(env.dialogs.shown.isEmpty());

    openService(windows); // loaded anew from the menu
    QVERIFY(windows.loadedServiceWindow()->isVisible());
    QVERIFY(!windows.mainWindow().isVisible());
}

void TestServiceWindow::cambiaProgressivoNo()
{
    TestEnvironment env;
    testdata::setCounter(env, 41);
    Windows windows(env.context);
    const Ui service = openService(windows);
    env.dialogs.answerButton(QMessageBox::No);
    service.checkBox(u"Check1")->setChecked(true);
    QCOMPARE(env.dialogs.shown.size(), 1);
    compareQuestion(env.dialogs.last(), question1);
    QCOMPARE(env.dialogs.last().defaultButton, QMessageBox::No); // Enter leaves the counter as it is
    QVERIFY(!service.checkBox(u"Check1")->isChecked());
    QCOMPARE(storedCounter(env).toLongLong(), 41);
}

void TestServiceWindow::cambiaProgressivoYes_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<qint64>("stored");
    QTest::newRow("100") << QStringLiteral("100") << qint64(100);
    QTest::newRow("zero") << QStringLiteral("0") << qint64(0);
    QTest::newRow("blanks around") << QStringLiteral(" 42 ") << qint64(42);
    QTest::newRow("leading zeros") << QStringLiteral("007") << qint64(7);
    QTest::newRow("large") << QStringLiteral("123456789012") << qint64(123456789012);
}

void TestServiceWindow::cambiaProgressivoAfterAnotherCopyInserted()
{
    TestEnvironment env;
    testdata::setCounter(env, 41);
    Windows windows(env.context);
    const Ui service = openService(windows);
    env.dialogs.answerButton(QMessageBox::Yes);
    // While the user types, another copy of the program inserts record number 42.
    env.dialogs.duringNextBox([&env] {
        db::NewRecord elsewhere;
        elsewhere.chiave = QStringLiteral("altrove");
        elsewhere.argomento = QStringLiteral("altra copia");
        env.store.addRecord(elsewhere, 42);
    });
    env.dialogs.answerInput(QStringLiteral("100"));
    env.dialogs.answerButton(QMessageBox::Ok);
    service.checkBox(u"Check1")->setChecked(true);

    QCOMPARE(env.dialogs.shown.size(), 3);
    QCOMPARE(env.dialogs.last().icon, QMessageBox::Warning);
    QVERIFY2(env.dialogs.last().text.contains(QStringLiteral("cambiato nel frattempo"))
                 && env.dialogs.last().text.contains(QStringLiteral("42")),
             qPrintable(env.dialogs.last().text));
    QCOMPARE(storedCounter(env), QVariant(qint64(42))); // not overwritten: 43 stays the next number
    QVERIFY(!service.checkBox(u"Check1")->isChecked());
}

void TestServiceWindow::cambiaProgressivoYes()
{
    QFETCH(QString, typed);
    QFETCH(qint64, stored);
    TestEnvironment env;
    Windows windows(env.context);
    const Ui service = openService(windows);
    env.dialogs.answerButton(QMessageBox::Yes);
    env.dialogs.answerInput(typed);
    env.dialogs.answerButton(QMessageBox::Ok);
    service.checkBox(u"Check1")->setChecked(true);

    QCOMPARE(env.dialogs.shown.size(), 3);
    compareQuestion(env.dialogs.shown.at(0), question1);
    const ShownBox &input = env.dialogs.shown.at(1);
    QCOMPARE(input.kind, ShownBox::Input);
    QCOMPARE(input.text, QStringLiteral("Digita il nuovo Progressivo documento "));
    QVERIFY(input.defaultText.isEmpty());
    compareNotice(env.dialogs.last(),
                  QStringLiteral(" Il  Progressivo Documento è stato aggiornato con il nuovo :")
                      + QString::number(stored));
    QVERIFY(!service.checkBox(u"Check1")->isChecked());
    QCOMPARE(storedCounter(env).toLongLong(), stored);
    QCOMPARE(env.dialogs.unexpected, 0);

    // Back on the main window, the entry screen offers the next number.
    service.window.close();
    Ui(windows.mainWindow()).checkBox(u"Check5")->setChecked(true);
    QCOMPARE(Ui(windows.mainWindow()).lineEdit(u"Text10")->text(), QString::number(stored + 1));
}

void TestServiceWindow::cambiaProgressivoRefuses_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("typed");
    QTest::newRow("Cancel") << true << QString();
    QTest::newRow("empty") << false << QString();
    QTest::newRow("blanks") << false << QStringLiteral("   ");
    QTest::newRow("letters") << false << QStringLiteral("abc");
    QTest::newRow("digits and letters") << false << QStringLiteral("12abc");
    QTest::newRow("negative") << false << QStringLiteral("-5");
    QTest::newRow("plus sign") << false << QStringLiteral("+5");
    QTest::newRow("fraction") << false << QStringLiteral("1,5");
    QTest::newRow("exponent") << false << QStringLiteral("1e3");
    QTest::newRow("largest, no next number") << false << QStringLiteral("9223372036854775807");
    QTest::newRow("too large") << false << QStringLiteral("99999999999999999999");
}

void TestServiceWindow::cambiaProgressivoRefuses()
{
    QFETCH(bool, cancel);
    QFETCH(QString, typed);
    TestEnvironment env;
    testdata::setCounter(env, 41);
    Windows windows(env.context);
    const Ui service = openService(windows);
    env.dialogs.answerButton(QMessageBox::Yes);
    cancel ? env.dialogs.answerCancel() : env.dialogs.answerInput(typed);
    env.dialogs.answerButton(QMessageBox::Ok);
    service.checkBox(u"Check1")->setChecked(true);

    QCOMPARE(env.dialogs.shown.size(), 3);
    const ShownBox &refusal = env.dialogs.last();
    QVERIFY2(refusal.text.endsWith(QStringLiteral("Il Progressivo Documento deve essere un numero intero da 0 in su: "
                                                  "non è stato cambiato.")),
             qPrintable(refusal.text));
    if (!typed.trimmed().isEmpty())
        QVERIFY(refusal.text.startsWith(QStringLiteral("Il valore \"%1\" non è valido.").arg(typed)));
    QCOMPARE(refusal.icon, QMessageBox::Warning);
    QVERIFY(!refusal.text.contains(QStringLiteral("aggiornato")));
    QVERIFY(!service.checkBox(u"Check1")->isChecked());
    QCOMPARE(storedCounter(env).toLongLong(), 41);
    QCOMPARE(env.dialogs.unexpected, 0);
}

void TestServiceWindow::cambiaProgressivoWithoutCounterRow()
{
    TestEnvironment env;
    testdata::removeCounterRow(env);
    Windows windows(env.context);
    const Ui service = openService(windows);
    env.dialogs.clear(); // the main window's own report of the missing row
    env.dialogs.answerButton(QMessageBox::Yes);
    env.dialogs.answerInput(QStringLiteral("100"));
    env.dialogs.answerButton(QMessageBox::Ok);
    service.checkBox(u"Check1")->setChecked(true);

    QCOMPARE(env.dialogs.shown.size(), 3);
    QVERIFY(env.dialogs.last().text.contains(QStringLiteral("non contiene la riga del Progressivo Documento")));
    QVERIFY(!env.dialogs.last().text.contains(QStringLiteral("aggiornato")));
    QCOMPARE(rowCount(env, QStringLiteral("contatore")), 0);
    QVERIFY(!service.checkBox(u"Check1")->isChecked());
}

void TestServiceWindow::azzeraContatoreNo()
{
    TestEnvironment env;
    addRecord(env, QStringLiteral("uno"));
    runSql(env, {QStringLiteral("DELETE FROM Tabella")});
    Windows windows(env.context);
    const Ui service = openService(windows);
    env.dialogs.answerButton(QMessageBox::No);
    service.checkBox(u"Check2")->setChecked(true);
    QCOMPARE(env.dialogs.shown.size(), 1);
    compareDestroyingQuestion(env.dialogs.last(), question2);
    QVERIFY(!service.checkBox(u"Check2")->isChecked());
    QCOMPARE(addRecord(env, QStringLiteral("due")), 2); // numbering not restarted
}

void TestServiceWindow::eliminaRegistrazioniNo()
{
    TestEnvironment env;
    addRecord(env, QStringLiteral("uno"));
    addRecord(env, QStringLiteral("due"));
    Windows windows(env.context);
    const Ui service = openService(windows);
    env.dialogs.answerButton(QMessageBox::No);
    service.checkBox(u"Check3")->setChecked(true);
    QCOMPARE(env.dialogs.shown.size(), 1);
    compareDestroyingQuestion(env.dialogs.last(), question3);
    QVERIFY(!service.checkBox(u"Check3")->isChecked());
    QCOMPARE(rowCount(env, QStringLiteral("Tabella")), 2);
}

void TestServiceWindow::eliminaRegistrazioniYesKeepsTheNumbering()
{
    TestEnvironment env;
    runSql(env,
           {QStringLiteral("UPDATE contatore SET Progressivo = 7"),
            QStringLiteral("INSERT INTO Chiave (Chiave) VALUES ('storia')")});
    for (int i = 0; i < 3; ++i)
        addRecord(env, QStringLiteral("storia"));
    Windows windows(env.context);
    const Ui service = openService(windows);
    env.dialogs.answerButton(QMessageBox::Yes);
    env.dialogs.answerButton(QMessageBox::Ok);
    service.checkBox(u"Check3")->setChecked(true);

    QCOMPARE(env.dialogs.shown.size(), 2);
    compareNotice(env.dialogs.last(), QStringLiteral("Registrazioni cancellate !"));
    QVERIFY(!service.checkBox(u"Check3")->isChecked());
    QCOMPARE(rowCount(env, QStringLiteral("Tabella")), 0);
    QCOMPARE(rowCount(env, QStringLiteral("Chiave")), 1);
    QCOMPARE(storedCounter(env).toLongLong(), 7);
    QCOMPARE(addRecord(env, QStringLiteral("storia")), 4);
}

void TestServiceWindow::eliminaThenAzzeraRestartsAtOne()
{
    TestEnvironment env;
    for (int i = 0; i < 5; ++i)
        addRecord(env, QStringLiteral("storia"));
    Windows windows(env.context);
    const Ui service = openService(windows);
    env.dialogs.answerButton(QMessageBox::Yes);
    env.dialogs.answerButton(QMessageBox::Ok);
    service.checkBox(u"Check3")->setChecked(true);
    env.dialogs.answerButton(QMessageBox::Yes);
    env.dialogs.answerButton(QMessageBox::Ok);
    service.checkBox(u"Check2")->setChecked(true);

    QCOMPARE(env.dialogs.shown.size(), 4);
    compareDestroyingQuestion(env.dialogs.shown.at(2), question2);
    compareNotice(env.dialogs.last(), QStringLiteral("Contatore Registrazioni Azzerato"));
    QVERIFY(!service.checkBox(u"Check2")->isChecked());
    QCOMPARE(addRecord(env, QStringLiteral("nuova")), 1);
    QCOMPARE(addRecord(env, QStringLiteral("nuova")), 2);
}

void TestServiceWindow::databaseFailureIsReported()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui service = openService(windows);
    runSql(env, {QStringLiteral("DROP TABLE Tabella")});
    env.dialogs.answerButton(QMessageBox::Yes);
    env.dialogs.answerButton(QMessageBox::Ok);
    service.checkBox(u"Check3")->setChecked(true);

    QCOMPARE(env.dialogs.shown.size(), 2);
    QVERIFY(env.dialogs.last().text.startsWith(QStringLiteral("L'operazione non è stata eseguita")));
    QCOMPARE(env.dialogs.last().icon, QMessageBox::Critical);
    QVERIFY(!service.checkBox(u"Check3")->isChecked());
    QVERIFY(service.window.isVisible());
    QCOMPARE(env.dialogs.unexpected, 0);
}

namespace {
// The catalogue prepared for one action: three records, the counter at 41, and
// for the numbering restart the records already deleted (its ID counter at 3).
void prepareFor(const TestEnvironment &env, int action)
{
    for (const QString &chiave : {QStringLiteral("uno"), QStringLiteral("due"), QStringLiteral("tre")})
        addRecord(env, chiave);
    testdata::setCounter(env, 41);
    if (action == 2)
        runSql(env, {QStringLiteral("DELETE FROM Tabella")});
}

// Checks the action's box, answering "Sì" to its question (and typing 100 for the
// counter); `more` answers the boxes after it.
void runAction(const Ui &service, ScriptedDialogs &dialogs, int action, const std::function<void()> &more)
{
    dialogs.answerButton(QMessageBox::Yes);
    if (action == 1)
        dialogs.answerInput(QStringLiteral("100"));
    more();
    (action == 1       ? service.checkBox(u"Check1")
         : action == 2 ? service.checkBox(u"Check2")
                       : service.checkBox(u"Check3"))
        ->setChecked(true);
}

// Whether the action changed the catalogue, as the file says.
bool actionDone(const TestEnvironment &env, int action)
{
    switch (action) {
    case 1:
        return storedCounter(env).toLongLong() == 100;
    case 2:
        return columnOf(env.catalogPath(), QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'Tabella'"))
            != QStringList{QStringLiteral("3")};
    default:
        return rowCount(env, QStringLiteral("Tabella")) == 0;
    }
}
} // namespace

void TestServiceWindow::eachActionIsPrecededByACopy_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<backup::Kind>("kind");
    QTest::newRow("Cambia Progressivo Documento") << 1 << backup::Kind::BeforeChangingCounter;
    QTest::newRow("Azzera Contatore Registrazioni") << 2 << backup::Kind::BeforeRestartingNumbering;
    QTest::newRow("Elimina Registrazioni") << 3 << backup::Kind::BeforeDeletingRecords;
}

// The copy holds the catalogue as it was just before the action; the boxes are
// those of the action alone.
void TestServiceWindow::eachActionIsPrecededByACopy()
{
    QFETCH(int, action);
    QFETCH(backup::Kind, kind);
    TestEnvironment env;
    prepareFor(env, action);
    Windows windows(env.context);
    const Ui service = openService(windows);
    env.dialogs.answerButton(QMessageBox::No);
    (action == 1       ? service.checkBox(u"Check1")
         : action == 2 ? service.checkBox(u"Check2")
                       : service.checkBox(u"Check3"))
        ->setChecked(true);
    QVERIFY(backup::copies(env.catalogPath()).isEmpty()); // "No": no copy either
    env.dialogs.clear();

    runAction(service, env.dialogs, action, [&] { env.dialogs.answerButton(QMessageBox::Ok); });
    QVERIFY(actionDone(env, action));
    QCOMPARE(env.dialogs.shown.size(), action == 1 ? 3 : 2);
    QCOMPARE(env.dialogs.last().text.contains(QStringLiteral("copia di sicurezza")), false);
    QCOMPARE(env.dialogs.unexpected, 0);

    const QList<backup::Copy> copies = backup::copies(env.catalogPath());
    QCOMPARE(copies.size(), 1);
    QCOMPARE(copies[0].kind, kind);
    QCOMPARE(counterOf(copies[0].path), QStringLiteral("41"));
    QCOMPARE(keywordsOf(copies[0].path).size(), action == 2 ? 0 : 3);
    QCOMPARE(columnOf(copies[0].path, QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'Tabella'")),
             QStringList{QStringLiteral("3")});
}

void TestServiceWindow::failingCopyAsksWhetherToGoOn_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<bool>("goOn");
    for (const auto &[action, name] : {std::pair{1, "Cambia Progressivo Documento"},
                                       {2, "Azzera Contatore Registrazioni"},
                                       {3, "Elimina Registrazioni"}}) {
        QTest::addRow("%s, No", name) << action << false;
        QTest::addRow("%s, Sì", name) << action << true;
    }
}

// "Backup" is a plain file, so no copy can be made: the user is told and asked,
// "No" being the default; "No" leaves everything as it was, "Sì" goes on.
void TestServiceWindow::failingCopyAsksWhetherToGoOn()
{
    QFETCH(int, action);
    QFETCH(bool, goOn);
    TestEnvironment env;
    prepareFor(env, action);
    testdata::writeBytes(env.filePath(QStringLiteral("Backup")), "un file, non una cartella");
    const QByteArray before = fingerprint(env.catalogPath());
    Windows windows(env.context);
    const Ui service = openService(windows);

    runAction(service, env.dialogs, action, [&] {
        env.dialogs.answerButton(goOn ? QMessageBox::Yes : QMessageBox::No);
        if (goOn)
            env.dialogs.answerButton(QMessageBox::Ok);
    });
    const int questionAt = action == 1 ? 2 : 1;
    QCOMPARE(env.dialogs.shown.size(), questionAt + (goOn ? 2 : 1));
    const ShownBox &question = env.dialogs.shown.at(questionAt);
    QCOMPARE(question.text,
             QStringLiteral("Non è stato possibile fare la copia di sicurezza del catalogo prima di procedere.\n"
                            "\"%1\" esiste ma non è una cartella: le copie di sicurezza non vi si possono mettere.\n\n"
                            "Proseguire senza copia di sicurezza?")
                 .arg(env.filePath(QStringLiteral("Backup"))));
    QCOMPARE(question.title, texts::applicationTitle());
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(question.defaultButton, QMessageBox::No);
    QCOMPARE(question.icon, QMessageBox::Warning);
    QCOMPARE(env.dialogs.unexpected, 0);
    for (QCheckBox *box : {service.checkBox(u"Check1"), service.checkBox(u"Check2"), service.checkBox(u"Check3")})
        QVERIFY(!box->isChecked());

    QCOMPARE(actionDone(env, action), goOn);
    if (!goOn)
        QCOMPARE(fingerprint(env.catalogPath()), before);
    QCOMPARE(fileBytes(env.filePath(QStringLiteral("Backup"))), QByteArray("un file, non una cartella"));
}

QTEST_MAIN(TestServiceWindow)
#include "tst_servicewindow.moc"
