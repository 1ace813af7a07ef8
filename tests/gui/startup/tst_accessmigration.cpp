// The question at start when db1.mdb is the old program's Access catalogue:
// Sì converts it through the catalogue tool and keeps the original as
// db1-access.mdb, No ends the program with nothing changed; refusals and
// failures change nothing either. After converting, the entry screen goes on
// from the old numbers. A start refused for any reason leaves the folder as it
// was; a start that goes on clears what a killed restore left.
#include "AccessFixtures.h"
#include "EntryScreenHelpers.h"
#include "core/catalogue/Catalogue.h"
#include "gui/kit/Texts.h"
#include "core/catalogue/CatalogueLock.h"
#include "gui/startup/AccessMigration.h"
#include "gui/startup/Startup.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

using namespace entrytest;

namespace {

const QString converter = QStringLiteral(CREA_CATALOGO);

QStringList entriesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Puts an Access file in the program folder as its db1.mdb; returns its hash.
QByteArray placeAccessCatalogue(const TestEnvironment &env, const QByteArray &bytes)
{
    accessdata::write(env.catalogPath(), bytes);
    return accessdata::sha256(env.catalogPath());
}

QByteArray fixtureBytes()
{
    return accessdata::bytesOf(accessdata::fixture(accessdata::fixtureNames().first()));
}

// A stand-in for the tool: a shell script with `body`.
QString fakeConverter(const TestEnvironment &env, const QByteArray &body)
{
    const QString path = env.filePath(QStringLiteral("finto_crea_catalogo"));
    accessdata::write(path, "#!/bin/sh\n" + body + "\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QProgressDialog *visibleProgress()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<QProgressDialog *>(widget);
            dialog && dialog->isVisible() && dialog->objectName() == QLatin1String("ConversioneAccess"))
            return dialog;
    return nullptr;
}

} // namespace

class TestAccessMigration : public QObject {
    Q_OBJECT

private slots:
    void catalogueOfThisProgramIsNotQuestioned();
    void yesConvertsKeepsTheOriginalAndEntryGoesOn();
    void noEndsWithNothingChanged();
    void keptNameAlreadyTakenIsRefused();
    void failedConversionChangesNothing();
    void crashOfTheConverterChangesNothing();
    void progressShowsAndAnnullaEndsTheConversion();
    void refusedStartLeavesTheFolderAsItWas_data();
    void refusedStartLeavesTheFolderAsItWas();
    void startClearsWhatAKilledRestoreLeft();
};

void TestAccessMigration::catalogueOfThisProgramIsNotQuestioned()
{
    TestEnvironment env;
    const QByteArray hash = accessdata::sha256(env.catalogPath());
    QVERIFY(accessmigration::offerConversion(env.folder(), env.dialogs, converter));
    QVERIFY(env.dialogs.shown.isEmpty());
    QCOMPARE(accessdata::sha256(env.catalogPath()), hash);

    TestEnvironment empty(false); // no catalogue at all: the usual check reports it later
    QVERIFY(accessmigration::offerConversion(empty.folder(), empty.dialogs, converter));
    QVERIFY(empty.dialogs.shown.isEmpty());
}

void TestAccessMigration::yesConvertsKeepsTheOriginalAndEntryGoesOn()
{
    TestEnvironment env(false);
    const QByteArray original = placeAccessCatalogue(env, fixtureBytes());
    env.dialogs.answerButton(QMessageBox::Yes);
    env.dialogs.answerButton(QMessageBox::Ok);

    QVERIFY(accessmigration::offerConversion(env.folder(), env.dialogs, converter));

    QCOMPARE(env.dialogs.shown.size(), 2);
    const ShownBox question = env.dialogs.shown.at(0);
    QCOMPARE(question.text,
             QStringLiteral("Il catalogo \"%1\" è un database di Access del vecchio programma.\n\n"
                            "Convertirlo nel nuovo formato? Il file originale viene conservato così "
                            "com'è, con il nome \"db1-access.mdb\".")
                 .arg(env.catalogPath()));
    QCOMPARE(question.title, texts::applicationTitle());
    QCOMPARE(question.buttons, QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No));
    QCOMPARE(question.icon, QMessageBox::Question);
    const ShownBox done = env.dialogs.shown.at(1);
    QVERIFY(done.text.startsWith(QStringLiteral("Il catalogo di Access è stato convertito nel nuovo formato; ")));
    QVERIFY(done.text.contains(QStringLiteral("  Tabella: 300 righe (il prossimo record avrà ID 313)\n")));
    // Where the files are now: the catalogue in place, the Access file under its kept name.
    QVERIFY(done.text.contains(QStringLiteral("Catalogo convertito: \"%1\"\ndal file Access \"%2\"")
                                   .arg(env.catalogPath(), env.filePath(QStringLiteral("db1-access.mdb")))));
    QVERIFY(!done.text.contains(QStringLiteral(".conversione-")));
    QVERIFY(!done.text.contains(QStringLiteral("al secondo")));
    QCOMPARE(done.title, texts::applicationTitle());
    QCOMPARE(done.icon, QMessageBox::Information);
    QCOMPARE(env.dialogs.unexpected, 0);

    QCOMPARE(entriesIn(env.folder()), (QStringList{QStringLiteral("db1-access.mdb"), QStringLiteral("db1.mdb")}));
    QCOMPARE(accessdata::sha256(env.filePath(QStringLiteral("db1-access.mdb"))), original);
    QCOMPARE(db::checkCatalogue(env.catalogPath()), QString());

    // The entry screen offers the next document number and the record gets the next ID.
    env.dialogs.clear();
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("321"));
    QVERIFY(itemTexts(ui.comboBox(u"Combo3")).contains(QStringLiteral("informatica")));
    ui.comboBox(u"Combo3")->setEditText(QStringLiteral("storia"));
    ui.lineEdit(u"Text4")->setText(QStringLiteral("Il primo record dopo la conversione"));
    QString idWhileConfirming;
    env.dialogs.duringNextBox([&] { idWhileConfirming = ui.lineEdit(u"Text3")->text(); });
    env.dialogs.answerButton(QMessageBox::Ok);
    ui.click(u"Command1");
    QCOMPARE(env.dialogs.last().text, QStringLiteral("Inserimento effettuato"));
    QCOMPARE(idWhileConfirming, QStringLiteral("313"));
    const QList<QVariantMap> rows = testdata::rowsOf(env, QStringLiteral("SELECT * FROM Tabella WHERE ID = 313"));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().value(QStringLiteral("Prog")).toString(), QStringLiteral("321"));
    QCOMPARE(rows.first().value(QStringLiteral("Argomento")).toString(),
             QStringLiteral("Il primo record dopo la conversione"));
    QCOMPARE(storedCounter(env), QVariant(qint64(321)));
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("322"));
    QCOMPARE(testdata::rowCount(env, QStringLiteral("Tabella")), 301);
}

void TestAccessMigration::noEndsWithNothingChanged()
{
    TestEnvironment env(false);
    const QByteArray original = placeAccessCatalogue(env, fixtureBytes());
    env.dialogs.answerButton(QMessageBox::No);

    QVERIFY(!accessmigration::offerConversion(env.folder(), env.dialogs, converter));

    QCOMPARE(env.dialogs.shown.size(), 1);
    QCOMPARE(env.dialogs.last().buttons, QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No));
    QCOMPARE(entriesIn(env.folder()), QStringList{QStringLiteral("db1.mdb")});
    QCOMPARE(accessdata::sha256(env.catalogPath()), original);
}

void TestAccessMigration::keptNameAlreadyTakenIsRefused()
{
    TestEnvironment env(false);
    const QByteArray original = placeAccessCatalogue(env, fixtureBytes());
    const QString kept = env.filePath(QStringLiteral("db1-access.mdb"));
    QVERIFY(accessdata::write(kept, "una copia di prima"));
    env.dialogs.answerButton(QMessageBox::Yes);
    env.dialogs.answerButton(QMessageBox::Ok);

    QVERIFY(!accessmigration::offerConversion(env.folder(), env.dialogs, converter));

    QCOMPARE(env.dialogs.shown.size(), 2);
    QCOMPARE(env.dialogs.last().text,
             QStringLiteral("Il catalogo di Access non è stato convertito: esiste già il file \"%1\", che non viene "
                            "sovrascritto.\nSpostare o rinominare quel file e avviare di nuovo il programma. "
                            "Il file db1.mdb non è stato modificato.")
                 .arg(kept));
    QCOMPARE(env.dialogs.last().icon, QMessageBox::Critical);
    QCOMPARE(env.dialogs.last().title, texts::applicationTitle());
    QCOMPARE(accessdata::sha256(env.catalogPath()), original);
    QCOMPARE(accessdata::bytesOf(kept), QByteArray("una copia di prima"));
    QCOMPARE(entriesIn(env.folder()), (QStringList{QStringLiteral("db1-access.mdb"), QStringLiteral("db1.mdb")}));
}

void TestAccessMigration::failedConversionChangesNothing()
{
    TestEnvironment env(false);
    QByteArray damaged = fixtureBytes();
    const int tabella = accessdata::definitionPage(damaged, 300, 312);
    QVERIFY(tabella > 0);
    accessdata::zeroPage(damaged, accessdata::dataPagesOf(damaged, tabella).first());
    const QByteArray original = placeAccessCatalogue(env, damaged);
    env.dialogs.answerButton(QMessageBox::Yes);
    env.dialogs.answerButton(QMessageBox::Ok);

    QVERIFY(!accessmigration::offerConversion(env.folder(), env.dialogs, converter));

    QCOMPARE(env.dialogs.shown.size(), 2);
    const QString text = env.dialogs.last().text;
    QVERIFY2(text.startsWith(QStringLiteral("La conversione del catalogo di Access non è riuscita.\n\n"
                                            "Il file Access \"%1\" è danneggiato: dalla tabella \"Tabella\" sono "
                                            "state lette ")
                                 .arg(env.catalogPath())),
             qPrintable(text));
    QVERIFY(text.endsWith(QStringLiteral(" righe su 300. Nessun catalogo è stato creato.\n\n"
                                         "Il file db1.mdb non è stato modificato.")));
    QCOMPARE(env.dialogs.last().icon, QMessageBox::Critical);
    QCOMPARE(entriesIn(env.folder()), QStringList{QStringLiteral("db1.mdb")}); // the work folder is gone too
    QCOMPARE(accessdata::sha256(env.catalogPath()), original);
}

void TestAccessMigration::crashOfTheConverterChangesNothing()
{
    TestEnvironment env(false);
    const QByteArray original = placeAccessCatalogue(env, fixtureBytes());
    // Leaves half a file in the work folder, then dies as a crashing reader would.
    const QString crashing = fakeConverter(env, "echo mezzo > \"$3/db1.mdb\"; kill -SEGV $$");
    env.dialogs.answerButton(QMessageBox::Yes);
    env.dialogs.answerButton(QMessageBox::Ok);

    QVERIFY(!accessmigration::offerConversion(env.folder(), env.dialogs, crashing));

    QCOMPARE(env.dialogs.shown.size(), 2);
    QVERIFY2(env.dialogs.last().text.contains(QStringLiteral("si è interrotto in modo anomalo")),
             qPrintable(env.dialogs.last().text));
    QCOMPARE(entriesIn(env.folder()), (QStringList{QStringLiteral("db1.mdb"), QStringLiteral("finto_crea_catalogo")}));
    QCOMPARE(accessdata::sha256(env.catalogPath()), original);

    // A tool that is missing is named, and nothing changes either.
    env.dialogs.clear();
    env.dialogs.answerButton(QMessageBox::Yes);
    env.dialogs.answerButton(QMessageBox::Ok);
    const QString missing = env.filePath(QStringLiteral("crea_catalogo"));
    QVERIFY(!accessmigration::offerConversion(env.folder(), env.dialogs, missing));
    QVERIFY(env.dialogs.last().text.contains(QStringLiteral("manca il programma di conversione \"%1\"").arg(missing)));
    QCOMPARE(accessdata::sha256(env.catalogPath()), original);
}

void TestAccessMigration::progressShowsAndAnnullaEndsTheConversion()
{
    TestEnvironment env(false);
    const QByteArray original = placeAccessCatalogue(env, fixtureBytes());
    const QString slow = fakeConverter(env, "echo mezzo > \"$3/db1.mdb\"; sleep 30");
    env.dialogs.answerButton(QMessageBox::Yes);
    env.dialogs.answerButton(QMessageBox::Ok);
    QString title, label;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (QProgressDialog *progress = visibleProgress()) {
            title = progress->windowTitle();
            label = progress->labelText();
            const auto buttons = progress->findChildren<QPushButton *>();
            QCOMPARE(buttons.size(), 1);
            QCOMPARE(buttons.first()->text(), QStringLiteral("Annulla"));
            buttons.first()->click();
        }
    });
    watcher.start(20);
    QElapsedTimer clock;
    clock.start();

    QVERIFY(!accessmigration::offerConversion(env.folder(), env.dialogs, slow, 100));

    QVERIFY(clock.elapsed() < 20000); // ended by Annulla, not by the script
    QCOMPARE(title, texts::applicationTitle());
    QCOMPARE(label, QStringLiteral("Conversione del catalogo di Access nel nuovo formato in corso..."));
    QCOMPARE(env.dialogs.shown.size(), 2);
    QCOMPARE(env.dialogs.last().text, QStringLiteral("Conversione annullata. Il file db1.mdb non è stato modificato."));
    QVERIFY(!visibleProgress());
    QCOMPARE(entriesIn(env.folder()), (QStringList{QStringLiteral("db1.mdb"), QStringLiteral("finto_crea_catalogo")}));
    QCOMPARE(accessdata::sha256(env.catalogPath()), original);
}

void TestAccessMigration::refusedStartLeavesTheFolderAsItWas_data()
{
    QTest::addColumn<QByteArray>("standing"); // what stands under the catalogue's name
    QTest::newRow("file di testo") << QByteArray("Articoli da catalogare\n");
    QTest::newRow("file vuoto") << QByteArray();
    QTest::newRow("catalogo troncato") << QByteArray("cut");
    QTest::newRow("catalogo di Access, risposta No") << QByteArray("access");
}

void TestAccessMigration::refusedStartLeavesTheFolderAsItWas()
{
    QFETCH(QByteArray, standing);
    TestEnvironment env(standing == "cut");
    if (standing == "cut") {
        QFile catalogue(env.catalogPath());
        QVERIFY(catalogue.resize(1024));
    } else if (standing == "access") {
        placeAccessCatalogue(env, fixtureBytes());
        env.dialogs.answerButton(QMessageBox::No);
    } else {
        QVERIFY(accessdata::write(env.catalogPath(), standing));
    }
    const QStringList before = entriesIn(env.folder());

    QVERIFY(!startup::openCatalogueFile(env.context));
    QVERIFY(!env.dialogs.shown.isEmpty());
    QCOMPARE(entriesIn(env.folder()), before);
}

void TestAccessMigration::startClearsWhatAKilledRestoreLeft()
{
    TestEnvironment env;
    QProcess ended; // a process that is gone: its leftovers are nobody's
    ended.start(QStringLiteral("sleep"), {QStringLiteral("0.1")});
    QVERIFY(ended.waitForStarted());
    const qint64 pid = ended.processId();
    QVERIFY(ended.waitForFinished());
    const QString leftover = env.filePath(QStringLiteral(".db1.mdb.%1.ripristino").arg(pid));
    QVERIFY(accessdata::write(leftover, "metà di una copia"));

    const std::unique_ptr<db::CatalogueLock> inUse = startup::openCatalogueFile(env.context);
    QVERIFY(inUse && inUse->held());
    QVERIFY(!QFileInfo::exists(leftover));
}

QTEST_MAIN(TestAccessMigration)
#include "tst_accessmigration.moc"
