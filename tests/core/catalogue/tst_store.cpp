// The store's rules for what it writes: document numbers that cannot be given
// twice, not even by two programs inserting side by side; the counter as one
// single row; the write lock waited for and an Italian word when it is not
// given; texts stored without NUL characters; the catalogue kept in write-ahead
// log mode so that no reader holds up a writer; a grid's change of a record that
// another copy of the program changed or deleted meanwhile not stored over it.
// And what it gives back: the same rows in the same order on a file and on a
// server (the suite runs on both).
#include "CatalogueFolder.h"
#include "CatalogueRows.h"
#include "TestServer.h"
#include "Tools.h"
#include "core/catalogue/Catalogue.h"
#include "core/engines/Engine.h"
#include "core/engines/Workstations.h"
#include "core/engines/DbError.h"
#include "core/catalogue/Diagnosis.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/catalogue/Store.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSet>
#include <QSqlQuery>
#include <QTest>
#include <unistd.h>

#include <functional>

using namespace db;

namespace {
NewRecord record(const QString &chiave, const QString &argomento = QStringLiteral("argomento"))
{
    NewRecord fields;
    fields.chiave = chiave;
    fields.argomento = argomento;
    return fields;
}

// A row of the browse grid's rows as the grid reads it: field name -> value.
QMap<QString, QVariant> rowAsShown(const QueryRowSource &rows, int row)
{
    QMap<QString, QVariant> values;
    const QStringList fields = rows.fieldNames();
    for (int column = 0; column < fields.size(); ++column)
        values.insert(fields.at(column), rows.value(row, column));
    return values;
}

QVariantMap onlyRow(const CatalogueFolder &env)
{
    const QList<QVariantMap> rows = testdata::rowsOf(env, QStringLiteral("SELECT * FROM Tabella"));
    return rows.size() == 1 ? rows.first() : QVariantMap();
}

QString journalMode(const CatalogueFolder &env)
{
    return testdata::rowsOf(env, QStringLiteral("SELECT * FROM pragma_journal_mode"))
        .value(0)
        .value(QStringLiteral("journal_mode"))
        .toString();
}
} // namespace

class TestStore : public QObject {
    Q_OBJECT
private slots:
    void numberTakenMeanwhileStoresNothingAndNamesTheNextOne();
    void counterChangeWaitsForTheValueTheUserSaw();
    void counterOfTwoRowsIsNeitherReadNorWritten();
    void twoProgramsInsertingSideBySideNeverShareANumber();
    void lockHeldByAnotherProgramIsWaitedForThenTold();
    void nulCharactersAreLeftOut();
    void catalogueIsSwitchedToWriteAheadLog();
    void searchSnapshotDoesNotHoldUpAnInsertion();
    void searchIgnoresLetterCaseButNotAccents_data();
    void searchIgnoresLetterCaseButNotAccents();
    void rowsComeInTheOrderOfTheirNumbers();
    void serverSearchFollowsWhatOtherProgramsWrite();
    void lookupListsKeepOrderAndDuplicates();
    void gridChangesAddAndDelete();
    void numberingRestartsAboveTheNumbersInUse();
    void everyRecordIsKeptWhileAnotherWorkstationIsOpen();
    void recordChangedMeanwhileIsRefusedUnlessOverwritten();
    void recordAsSeenIsStoredMissingAndEmptyValuesKeptApart();
    void recordDeletedMeanwhileIsRefusedEvenWhenOverwriting();
    void serverThatWentAwayIsReachedAgain();
    void permissionRefusedNamesTheGrantThatGivesIt();
};

void TestStore::numberTakenMeanwhileStoresNothingAndNamesTheNextOne()
{
    CatalogueFolder env;
    testdata::setCounter(env, 11); // the screen offers 12 ...
    const qint64 offered = *env.store.readCounter().next();
    env.store.addRecord(record(QStringLiteral("altra copia")), offered); // ... another copy takes it
    try {
        env.store.addRecord(record(QStringLiteral("questa copia")), offered);
        QFAIL("a number given twice");
    } catch (const NumberTaken &taken) {
        QCOMPARE(taken.next(), qint64(13));
        QVERIFY2(taken.message().contains(QStringLiteral("12")) && taken.message().contains(QStringLiteral("13")),
                 qPrintable(taken.message()));
    }
    QCOMPARE(testdata::storedField(env, QStringLiteral("Chiave")), QStringList{QStringLiteral("altra copia")});
    QCOMPARE(testdata::storedCounter(env), QVariant(qint64(12)));
    // With the number offered now, it goes in.
    env.store.addRecord(record(QStringLiteral("questa copia")), 13);
    QCOMPARE(testdata::storedField(env, QStringLiteral("Prog")),
             (QStringList{QStringLiteral("12"), QStringLiteral("13")}));
}

void TestStore::counterChangeWaitsForTheValueTheUserSaw()
{
    CatalogueFolder env;
    testdata::setCounter(env, 41);
    // Another copy inserted after the user saw 41: the change is not made.
    const counter::Reading found = env.store.storeCounter(100, 40);
    QCOMPARE(found.problem, counter::Reading::None);
    QCOMPARE(found.last, qint64(41));
    QCOMPARE(testdata::storedCounter(env), QVariant(qint64(41)));
    QCOMPARE(env.store.storeCounter(100, 41).last, qint64(41));
    QCOMPARE(testdata::storedCounter(env), QVariant(qint64(100)));
}

void TestStore::counterOfTwoRowsIsNeitherReadNorWritten()
{
    // Start-up reading the last row while the insertion wrote the first gave the
    // same number to three records in a row.
    CatalogueFolder env;
    testdata::runSql(env, {QStringLiteral("INSERT INTO contatore (Progressivo) VALUES (5)")});
    const counter::Reading reading = env.store.readCounter();
    QCOMPARE(reading.problem, counter::Reading::SeveralRows);
    QVERIFY(!reading.next());
    QVERIFY_THROWS_EXCEPTION(Refusal, env.store.addRecord(record(QStringLiteral("a")), 6));
    QCOMPARE(env.store.storeCounter(50).problem, counter::Reading::SeveralRows);
    QCOMPARE(testdata::rowCount(env, QStringLiteral("Tabella")), 0);
    QCOMPARE(testdata::storedField(env, QStringLiteral("Chiave")), QStringList());
    const QList<QVariantMap> rows = testdata::rowsOf(env, QStringLiteral("SELECT Progressivo FROM contatore"));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0).value(QStringLiteral("Progressivo")), QVariant(qint64(0)));
    QCOMPARE(rows.at(1).value(QStringLiteral("Progressivo")), QVariant(qint64(5)));
}

void TestStore::twoProgramsInsertingSideBySideNeverShareANumber()
{
    CatalogueFolder env;
    const int each = env.onServer() ? 1000 : 300;
    QProcess first, second;
    first.start(QStringLiteral(INSERTER), {env.catalogPath(), QString::number(each), QStringLiteral("primo")});
    second.start(QStringLiteral(INSERTER), {env.catalogPath(), QString::number(each), QStringLiteral("secondo")});
    QVERIFY(first.waitForFinished(240000));
    QVERIFY(second.waitForFinished(240000));
    QVERIFY2(first.exitCode() == 0, first.readAllStandardError().constData());
    QVERIFY2(second.exitCode() == 0, second.readAllStandardError().constData());
    qInfo("numbers found taken meanwhile: %s / %s", first.readAllStandardOutput().trimmed().constData(),
          second.readAllStandardOutput().trimmed().constData());

    const QStringList numbers = testdata::storedField(env, QStringLiteral("Prog"));
    QCOMPARE(numbers.size(), 2 * each);
    QCOMPARE(QSet<QString>(numbers.cbegin(), numbers.cend()).size(), 2 * each); // no number twice
    QSet<QString> expected;
    for (int n = 1; n <= 2 * each; ++n)
        expected.insert(QString::number(n));
    QCOMPARE(QSet<QString>(numbers.cbegin(), numbers.cend()), expected); // and none skipped
    QCOMPARE(testdata::storedCounter(env), QVariant(qint64(2 * each)));
}

void TestStore::lockHeldByAnotherProgramIsWaitedForThenTold()
{
    CatalogueFolder env;
    // The engine's own shell in a change that does not end, as another program
    // (another workstation) could be.
    QProcess holder;
    if (env.onServer()) {
        holder.start(QStringLiteral("psql"), {QStringLiteral("-q"), env.catalogPath()});
        QVERIFY(holder.waitForStarted());
        holder.write("BEGIN;\nINSERT INTO \"Chiave\" (\"Chiave\") VALUES ('altrove');\n"
                     "LOCK TABLE contatore IN EXCLUSIVE MODE;\nSELECT 'pronto';\n");
    } else {
        holder.start(QStringLiteral("sqlite3"), {env.catalogPath()});
        QVERIFY(holder.waitForStarted());
        holder.write("BEGIN IMMEDIATE;\nINSERT INTO Chiave (Chiave) VALUES ('altrove');\nSELECT 'pronto';\n");
    }
    QVERIFY(holder.waitForReadyRead(10000));

    QElapsedTimer waited;
    waited.start();
    try {
        env.store.addRecord(record(QStringLiteral("a")), 1);
        QFAIL("stored past another program's write lock");
    } catch (const DbError &error) {
        QCOMPARE(error.kind(), DbError::Kind::Busy);
        QVERIFY2(waited.elapsed() >= busyWaitMilliseconds - 500, "the lock was not waited for");
        const QString message = failureMessage(error);
        QVERIFY2(message.contains(env.onServer() ? QStringLiteral("in uso da un'altra postazione")
                                                 : QStringLiteral("in uso da un altro programma"))
                     && message.contains(QStringLiteral("Nulla è stato modificato")),
                 qPrintable(message));
        // The engine's words ("database is locked") come after what happened, in Italian.
        QVERIFY2(message.endsWith(QStringLiteral("non si è liberato entro 5 secondi.\n\n") + error.engineWords()),
                 qPrintable(message));
    }
    holder.write(env.onServer() ? "ROLLBACK;\n\\q\n" : "ROLLBACK;\n.quit\n");
    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished());
    QCOMPARE(testdata::rowCount(env, QStringLiteral("Tabella")), 0);
    QCOMPARE(testdata::storedCounter(env), QVariant(qint64(0)));
    // Let go: the same insertion goes through.
    QCOMPARE(env.store.addRecord(record(QStringLiteral("a")), 1), qint64(1));
}

void TestStore::nulCharactersAreLeftOut()
{
    CatalogueFolder env;
    const QString pasted = QStringLiteral("inc") + QChar(0) + QStringLiteral("ollato");
    env.store.addRecord(record(pasted, pasted), 1);
    env.store.addLookupEntry(lookups::List::Chiave, pasted);
    QCOMPARE(testdata::storedField(env, QStringLiteral("Chiave")), QStringList{QStringLiteral("incollato")});
    QCOMPARE(testdata::storedField(env, QStringLiteral("Argomento")), QStringList{QStringLiteral("incollato")});
    QCOMPARE(env.store.lookupEntries(lookups::List::Chiave).value(0).text, QStringLiteral("incollato"));
    // Found by a search, and the catalogue stays sound.
    QCOMPARE(
        env.store.search({SearchField::Chiave, QStringLiteral("incoll")})->rowCount(), 1);
    if (env.onServer())
        return; // a server has no NUL in its texts at all
    QCOMPARE(testdata::rowsOf(env, QStringLiteral("SELECT * FROM pragma_quick_check")).value(0).first().toString(),
             QStringLiteral("ok"));
}

void TestStore::catalogueIsSwitchedToWriteAheadLog()
{
    CatalogueFolder env;
    if (env.onServer())
        QSKIP("the write-ahead log is the file's");
    // As a catalogue restored from a dump comes: with a rollback journal.
    QVERIFY(
        testdata::runTool(QStringLiteral("sqlite3"), {env.catalogPath(), QStringLiteral("PRAGMA journal_mode=DELETE;")})
            .ok());
    QCOMPARE(testdata::runTool(QStringLiteral("sqlite3"), {env.catalogPath(), QStringLiteral("PRAGMA journal_mode;")})
                 .output.trimmed(),
             QByteArray("delete"));
    env.store.readCounter();
    QCOMPARE(journalMode(env), QStringLiteral("wal"));
}

void TestStore::searchSnapshotDoesNotHoldUpAnInsertion()
{
    CatalogueFolder env;
    if (!env.onServer())
        QVERIFY(testdata::runTool(QStringLiteral("sqlite3"),
                                  {env.catalogPath(), QStringLiteral("PRAGMA journal_mode=DELETE;")})
                    .ok());
    env.store.addRecord(record(QStringLiteral("prima")), 1);
    const auto shown = env.store.catalogueSnapshot(); // the search window holds it open
    QElapsedTimer took;
    took.start();
    env.store.addRecord(record(QStringLiteral("dopo")), 2);
    QVERIFY2(took.elapsed() < busyWaitMilliseconds / 2, "the insertion waited for the search window");
    QCOMPARE(shown->rowCount(), 1); // the snapshot stays as it was
    QCOMPARE(testdata::rowCount(env, QStringLiteral("Tabella")), 2);
}

namespace {
// Every row of a result, those arriving later too.
QList<qint64> idsOf(QueryRowSource &rows)
{
    rows.readAll();
    QList<qint64> ids;
    for (int row = 0; row < rows.rowCount(); ++row)
        ids.append(rows.value(row, 0).toLongLong());
    return ids;
}

QList<qint64> found(const Store &store, SearchField field, const QString &fragment)
{
    return idsOf(*store.search({field, fragment}));
}

const QStringList searchTexts{
    QStringLiteral("Èra moderna"),    // 1
    QStringLiteral("era antica"),     // 2
    QStringLiteral("ÈRA NUOVA"),      // 3
    QStringLiteral("Città"),          // 4
    QStringLiteral("CITTÀ"),          // 5
    QStringLiteral("citta"),          // 6
    QStringLiteral("sconto 100%"),    // 7
    QStringLiteral("a_b"),            // 8
    QStringLiteral("C:\\archivio"),   // 9
    QStringLiteral("l'arte"),         // 10
    QStringLiteral("Ünità ŒUVRE"),   // 11
    QString(),                        // 12: empty
    QStringLiteral("\"virgolette\" e 'apici'"), // 13
};
} // namespace

void TestStore::searchIgnoresLetterCaseButNotAccents_data()
{
    QTest::addColumn<QString>("fragment");
    QTest::addColumn<QList<qint64>>("ids");
    QTest::newRow("È finds è and È") << QStringLiteral("è") << QList<qint64>{1, 3};
    QTest::newRow("e does not find è") << QStringLiteral("era") << QList<qint64>{2};
    QTest::newRow("à and À, not a") << QStringLiteral("CITTÀ") << QList<qint64>{4, 5};
    QTest::newRow("plain letters") << QStringLiteral("citt") << QList<qint64>{4, 5, 6};
    QTest::newRow("one letter") << QStringLiteral("Ü") << QList<qint64>{11};
    QTest::newRow("two letters") << QStringLiteral("œu") << QList<qint64>{11};
    QTest::newRow("percent is a wildcard") << QStringLiteral("10%") << QList<qint64>{7};
    QTest::newRow("underscore is a wildcard") << QStringLiteral("a_b") << QList<qint64>{8};
    QTest::newRow("backslash is a character") << QStringLiteral(":\\arc") << QList<qint64>{9};
    QTest::newRow("apostrophe") << QStringLiteral("l'a") << QList<qint64>{10};
    QTest::newRow("nothing") << QStringLiteral("zzz") << QList<qint64>{};
    QTest::newRow("empty fragment: every record with a text")
        << QString() << QList<qint64>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    QTest::newRow("NUL left out") << QString(QStringLiteral("CIT") + QChar(0) + QStringLiteral("TÀ"))
                                  << QList<qint64>{4, 5};
    QTest::newRow("NUL alone") << QString(QChar(0)) << QList<qint64>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    QTest::newRow("quotes") << QStringLiteral("\"virgolette\" e 'a") << QList<qint64>{13};
    QTest::newRow("wildcards inside a longer fragment") << QStringLiteral("sconto 1_0%") << QList<qint64>{7};
    QTest::newRow("backslash before a wildcard") << QStringLiteral("\\%") << QList<qint64>{9};
}

void TestStore::searchIgnoresLetterCaseButNotAccents()
{
    QFETCH(QString, fragment);
    QFETCH(QList<qint64>, ids);
    CatalogueFolder env;
    qint64 number = 0;
    for (const QString &text : searchTexts)
        env.store.addRecord(record(text, text), ++number);
    QCOMPARE(found(env.store, SearchField::Chiave, fragment), ids);
    QCOMPARE(found(env.store, SearchField::Argomento, fragment), ids);
}

void TestStore::rowsComeInTheOrderOfTheirNumbers()
{
    CatalogueFolder env;
    for (int n = 1; n <= 300; ++n)
        env.store.addRecord(record(QStringLiteral("voce %1").arg(n)), n);
    // Rows changed after they were written are moved by some engines: never in
    // what the windows show.
    for (qint64 id : {qint64(1), qint64(150), qint64(2)})
        env.store.updateRecordFields(id, {{QStringLiteral("Chiave"), QStringLiteral("voce cambiata %1").arg(id)}},
                                     std::nullopt);
    QList<qint64> all;
    for (qint64 id = 1; id <= 300; ++id)
        all.append(id);
    QCOMPARE(idsOf(*env.store.catalogueSnapshot()), all);
    QCOMPARE(idsOf(*env.store.browseRows()), all);
    QCOMPARE(idsOf(*env.store.reportRows()), all);
    QCOMPARE(idsOf(*env.store.recordList()), all);
    QCOMPARE(found(env.store, SearchField::Chiave, QStringLiteral("voce")), all);
    QCOMPARE(found(env.store, SearchField::Chiave, QStringLiteral("cambiata")), (QList<qint64>{1, 2, 150}));
    // The fields under the names the grids show and save their widths by.
    QCOMPARE(env.store.browseRows()->fieldNames(), db::tabellaFields());
    QCOMPARE(env.store.reportRows()->value(149, 1).toString(), QStringLiteral("voce cambiata 150"));
}

// The server looks for fragments in search tables that triggers keep in step
// with Tabella, whatever program writes it: psql here, as any other client. A
// search table without its triggers is not trusted, and the search stays exact.
void TestStore::serverSearchFollowsWhatOtherProgramsWrite()
{
    CatalogueFolder env;
    if (!env.onServer())
        QSKIP("the file's search index has suites of its own");
    for (const QString &text : {QStringLiteral("Èra moderna"), QStringLiteral("era antica"), QStringLiteral("Città")})
        env.store.addRecord(record(text, text), testdata::rowCount(env, QStringLiteral("Tabella")) + 1);
    const auto psql = [&](const QByteArray &statements) {
        const testdata::ToolRun run = testdata::runTool(
            QStringLiteral("psql"),
            {QStringLiteral("-qAt"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), env.catalogPath()},
            statements);
        if (!run.ok())
            qWarning("%s", run.errorOutput.constData());
        return run.ok() ? run.output : QByteArray("psql failed");
    };
    QCOMPARE(psql("INSERT INTO \"Tabella\" (\"Chiave\", \"Argomento\") VALUES ('ERA GLACIALE', 'x'), ('nuova', 'ÈRA');\n"
                  "UPDATE \"Tabella\" SET \"Chiave\" = 'epoca' WHERE \"ID\" = 1;\n"
                  "DELETE FROM \"Tabella\" WHERE \"ID\" = 2;\n"),
             QByteArray());
    QCOMPARE(found(env.store, SearchField::Chiave, QStringLiteral("era")), QList<qint64>{4});
    QCOMPARE(found(env.store, SearchField::Chiave, QStringLiteral("èra")), QList<qint64>{});
    QCOMPARE(found(env.store, SearchField::Argomento, QStringLiteral("èra")), (QList<qint64>{1, 5}));
    QCOMPARE(found(env.store, SearchField::Chiave, QStringLiteral("ep")), QList<qint64>{1});

    const auto connection = db::connect(env.catalogPath());
    QVERIFY(connection->hasSearchIndex());

    // Triggers off, then a change the search tables do not see: Tabella is searched.
    QCOMPARE(psql("ALTER TABLE \"Tabella\" DISABLE TRIGGER \"Tabella_ricerca_modifica\";\n"
                  "UPDATE \"Tabella\" SET \"Chiave\" = 'era di mezzo' WHERE \"ID\" = 3;\n"),
             QByteArray());
    QVERIFY(!connection->hasSearchIndex());
    QCOMPARE(found(env.store, SearchField::Chiave, QStringLiteral("ERA")), (QList<qint64>{3, 4}));
    QCOMPARE(psql("DROP TRIGGER \"Tabella_ricerca_modifica\" ON \"Tabella\";\n"), QByteArray());
    QVERIFY(!connection->hasSearchIndex());
    QCOMPARE(found(env.store, SearchField::Chiave, QStringLiteral("di mezzo")), QList<qint64>{3});

    // Emptied by another program: nothing is found any more.
    QCOMPARE(psql("TRUNCATE \"Tabella\";\nSELECT count(*) FROM \"Tabella_ricerca_Chiave\";\n"), QByteArray("0\n"));
}

void TestStore::lookupListsKeepOrderAndDuplicates()
{
    CatalogueFolder env;
    for (const QString &text : {QStringLiteral("Zeta"), QStringLiteral("alfa"), QStringLiteral("Zeta")})
        env.store.addLookupEntry(lookups::List::Pubblicazione, text);
    QList<LookupEntry> entries = env.store.lookupEntries(lookups::List::Pubblicazione);
    QCOMPARE(entries.size(), 3);
    QCOMPARE(entries.at(0).text, QStringLiteral("Zeta"));
    QCOMPARE(entries.at(2).text, QStringLiteral("Zeta"));
    QVERIFY(env.store.renameLookupEntry(lookups::List::Pubblicazione, entries.at(0).id, QStringLiteral("Omega")));
    QVERIFY(env.store.deleteLookupEntry(lookups::List::Pubblicazione, entries.at(1).id));
    QVERIFY(!env.store.deleteLookupEntry(lookups::List::Pubblicazione, entries.at(1).id)); // gone already
    entries = env.store.lookupEntries(lookups::List::Pubblicazione);
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries.at(0).text, QStringLiteral("Omega"));
    QCOMPARE(entries.at(1).text, QStringLiteral("Zeta"));
    QVERIFY(env.store.lookupEntries(lookups::List::Chiave).isEmpty());
}

void TestStore::gridChangesAddAndDelete()
{
    CatalogueFolder env;
    const qint64 first = env.store.addRecordFields({{QStringLiteral("Chiave"), QStringLiteral("uno")},
                                                    {QStringLiteral("N\u00B0"), QStringLiteral("12")}});
    const qint64 second = env.store.addRecordFields({{QStringLiteral("Chiave"), QStringLiteral("due")}});
    QCOMPARE(second, first + 1);
    env.store.updateRecordFields(first, {{QStringLiteral("Note"), QStringLiteral("nota")}}, std::nullopt);
    const QList<QVariantMap> rows = testdata::rowsOf(env, QStringLiteral("SELECT * FROM Tabella ORDER BY ID"));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0).value(QStringLiteral("N\u00B0")).toString(), QStringLiteral("12"));
    QCOMPARE(rows.at(0).value(QStringLiteral("Note")).toString(), QStringLiteral("nota"));
    env.store.deleteRecords({first});
    QCOMPARE(testdata::storedField(env, QStringLiteral("Chiave")), QStringList{QStringLiteral("due")});
    QVERIFY(env.store.deleteRecord(second));
    QVERIFY(!env.store.deleteRecord(second));
    QVERIFY_THROWS_EXCEPTION(Refusal, env.store.updateRecordFields(second, {{QStringLiteral("Note"), QString()}}, std::nullopt));
}

void TestStore::numberingRestartsAboveTheNumbersInUse()
{
    CatalogueFolder env;
    for (int n = 1; n <= 5; ++n)
        env.store.addRecord(record(QStringLiteral("r%1").arg(n)), n);
    QVERIFY(env.store.deleteRecord(5));
    env.store.restartNumbering(); // 1 to 4 still in use
    QCOMPARE(env.store.addRecord(record(QStringLiteral("dopo")), 6), qint64(5));
    env.store.deleteAllRecords();
    QCOMPARE(testdata::rowCount(env, QStringLiteral("Tabella")), 0);
    QCOMPARE(env.store.addRecord(record(QStringLiteral("senza riavvio")), 7), qint64(6)); // never given twice
    env.store.deleteAllRecords();
    env.store.restartNumbering();
    QCOMPARE(env.store.addRecord(record(QStringLiteral("da capo")), 8), qint64(1));
}

void TestStore::everyRecordIsKeptWhileAnotherWorkstationIsOpen()
{
    CatalogueFolder env;
    if (!env.onServer())
        QSKIP("workstations share a server catalogue only");
    env.store.addRecord(record(QStringLiteral("da tenere")), 1);
    const WorkstationMark mine(env.catalogPath()); // this program's own does not count
    QProcess other;
    other.start(QStringLiteral(INSERTER), {env.catalogPath(), QStringLiteral("postazione")});
    QVERIFY(other.waitForReadyRead(10000));
    QCOMPARE(other.readAllStandardOutput().trimmed(), QByteArray("pronto"));
    for (const auto &action : {std::function<void()>([&] { env.store.deleteAllRecords(); }),
                               std::function<void()>([&] { env.store.restartNumbering(); })}) {
        try {
            action();
            QFAIL("done while another workstation had the catalogue open");
        } catch (const Refusal &refusal) {
            QVERIFY2(refusal.message().contains(QStringLiteral("altre postazioni (1)")), qPrintable(refusal.message()));
        }
    }
    QCOMPARE(testdata::rowCount(env, QStringLiteral("Tabella")), 1);
    other.closeWriteChannel();
    QVERIFY(other.waitForFinished(10000));
    QTRY_COMPARE(db::connect(env.catalogPath())->otherWorkstations(), 0); // its session ends just after it
    env.store.deleteAllRecords();
    QCOMPARE(testdata::rowCount(env, QStringLiteral("Tabella")), 0);
}

void TestStore::recordChangedMeanwhileIsRefusedUnlessOverwritten()
{
    CatalogueFolder env;
    testdata::addRecord(
        env,
        {{QStringLiteral("Chiave"), QStringLiteral("a")}, {QStringLiteral("Argomento"), QStringLiteral("argomento")}});
    const auto rows = env.store.browseRows();
    const QMap<QString, QVariant> seen = rowAsShown(*rows, 0);
    const qint64 rowId = rows->rowId(0);

    // Another workstation, with its own store on the same file, changes another field.
    const Store elsewhere(env.catalogPath());
    elsewhere.updateRecordFields(rowId, {{QStringLiteral("Argomento"), QStringLiteral("altrui")}}, std::nullopt);

    const QMap<QString, QVariant> mine{{QStringLiteral("Chiave"), QStringLiteral("mia")}};
    try {
        env.store.updateRecordFields(rowId, mine, seen);
        QFAIL("stored over another workstation's change");
    } catch (const RecordChanged &changed) {
        QVERIFY2(changed.message().contains(QStringLiteral("modificato da un'altra postazione")),
                 qPrintable(changed.message()));
        QCOMPARE(changed.current().value(QStringLiteral("Argomento")), QVariant(QStringLiteral("altrui")));
        QCOMPARE(changed.current().value(QStringLiteral("Chiave")), QVariant(QStringLiteral("a")));
        QCOMPARE(changed.current().value(QStringLiteral("ID")).toLongLong(), rowId);
    }
    QCOMPARE(onlyRow(env).value(QStringLiteral("Chiave")), QVariant(QStringLiteral("a")));
    QCOMPARE(onlyRow(env).value(QStringLiteral("Argomento")), QVariant(QStringLiteral("altrui")));

    // Stored anyway: only the fields changed here are written.
    env.store.updateRecordFields(rowId, mine, std::nullopt);
    QCOMPARE(onlyRow(env).value(QStringLiteral("Chiave")), QVariant(QStringLiteral("mia")));
    QCOMPARE(onlyRow(env).value(QStringLiteral("Argomento")), QVariant(QStringLiteral("altrui")));

    // Compared with the record as it is now, a further change goes in as usual.
    env.store.updateRecordFields(rowId, {{QStringLiteral("Note"), QStringLiteral("n")}},
                                 rowAsShown(*env.store.browseRows(), 0));
    QCOMPARE(onlyRow(env).value(QStringLiteral("Note")), QVariant(QStringLiteral("n")));
}

// Fields never filled are missing (NULL) and the grid shows them empty: as seen,
// they match; an empty text stored meanwhile in their place is a change all the same.
void TestStore::recordAsSeenIsStoredMissingAndEmptyValuesKeptApart()
{
    CatalogueFolder env;
    testdata::addRecord(env, {{QStringLiteral("Chiave"), QStringLiteral("a")}});
    const auto rows = env.store.browseRows();
    QVERIFY(onlyRow(env).value(QStringLiteral("Testo")).isNull());
    env.store.updateRecordFields(rows->rowId(0), {{QStringLiteral("Chiave"), QStringLiteral("b")}},
                                 rowAsShown(*rows, 0));
    QCOMPARE(onlyRow(env).value(QStringLiteral("Chiave")), QVariant(QStringLiteral("b")));
    QVERIFY(onlyRow(env).value(QStringLiteral("Testo")).isNull());

    rows->invalidate();
    const QMap<QString, QVariant> seen = rowAsShown(*rows, 0);
    testdata::runSql(env, {QStringLiteral("UPDATE Tabella SET Testo = ''")});
    QVERIFY_THROWS_EXCEPTION(
        RecordChanged,
        env.store.updateRecordFields(rows->rowId(0), {{QStringLiteral("Chiave"), QStringLiteral("c")}}, seen));
    QCOMPARE(onlyRow(env).value(QStringLiteral("Chiave")), QVariant(QStringLiteral("b")));

    // And the other way round: an empty text seen, the field emptied to NULL since.
    rows->invalidate();
    const QMap<QString, QVariant> seenEmpty = rowAsShown(*rows, 0);
    QCOMPARE(seenEmpty.value(QStringLiteral("Testo")), QVariant(QString(QLatin1String(""))));
    testdata::runSql(env, {QStringLiteral("UPDATE Tabella SET Testo = NULL")});
    QVERIFY_THROWS_EXCEPTION(
        RecordChanged,
        env.store.updateRecordFields(rows->rowId(0), {{QStringLiteral("Chiave"), QStringLiteral("c")}}, seenEmpty));
    QCOMPARE(onlyRow(env).value(QStringLiteral("Chiave")), QVariant(QStringLiteral("b")));
}

void TestStore::recordDeletedMeanwhileIsRefusedEvenWhenOverwriting()
{
    CatalogueFolder env;
    testdata::addRecord(env, {{QStringLiteral("Chiave"), QStringLiteral("a")}});
    const auto rows = env.store.browseRows();
    const QMap<QString, QVariant> seen = rowAsShown(*rows, 0);
    QVERIFY(Store(env.catalogPath()).deleteRecord(rows->rowId(0)));
    for (const auto &expected : {std::optional(seen), std::optional<QMap<QString, QVariant>>()}) {
        try {
            env.store.updateRecordFields(rows->rowId(0), {{QStringLiteral("Chiave"), QStringLiteral("b")}}, expected);
            QFAIL("a record gone was stored");
        } catch (const RecordChanged &) {
            QFAIL("a record gone told as changed");
        } catch (const Refusal &refusal) {
            QVERIFY2(refusal.message().contains(QStringLiteral("non è più nel catalogo")),
                     qPrintable(refusal.message()));
        }
    }
    QCOMPARE(testdata::rowCount(env, QStringLiteral("Tabella")), 0);
}

// A server restarted under the program: what was reading says the connection
// broke, in Italian and without empty brackets; the next action reaches the
// server again and sees what the previous ones stored.
void TestStore::serverThatWentAwayIsReachedAgain()
{
    CatalogueFolder env;
    if (!env.onServer())
        QSKIP("a file has no connection to lose");
    env.store.addRecord(record(QStringLiteral("prima")), 1);
    const auto rows = env.store.browseRows();
    WorkstationMark mark(env.catalogPath());
    const auto marksHeld = [&env] {
        const auto server = db::connect(env.catalogPath());
        QSqlQuery held = server->run(QStringLiteral("SELECT count(*) FROM pg_locks WHERE locktype = 'advisory' AND "
                                                    "granted AND classid::bigint = x'52756430'::int AND database = "
                                                    "(SELECT oid FROM pg_database WHERE datname = current_database())"));
        return held.next() ? held.value(0).toInt() : -1;
    };
    QCOMPARE(marksHeld(), 1);
    testserver::run(env.catalogPath(),
                    QStringLiteral("SELECT pg_terminate_backend(pid, 5000) FROM pg_stat_activity WHERE "
                                   "datname = current_database() AND pid <> pg_backend_pid()"));
    try {
        rows->value(0, 1);
        QFAIL("a row read on a connection the server closed");
    } catch (const DbError &error) {
        QCOMPARE(error.kind(), DbError::Kind::ConnectionLost);
        const QString message = failureMessage(error);
        QVERIFY2(message.contains(QStringLiteral("\n\nIl collegamento con il server \"")) && !message.contains(u"()"),
                 qPrintable(message));
    }
    QCOMPARE(env.store.addRecord(record(QStringLiteral("dopo")), 2), qint64(2));
    QCOMPARE(testdata::storedField(env, QStringLiteral("Chiave")),
             QStringList({QStringLiteral("prima"), QStringLiteral("dopo")}));
    // The workstation's mark went with its session, and is taken again.
    QCOMPARE(marksHeld(), 0);
    mark.keep();
    QCOMPARE(marksHeld(), 1);
}

// A workstation whose user may only read is told the command that lets it write,
// and once it is run the same insertion goes through.
void TestStore::permissionRefusedNamesTheGrantThatGivesIt()
{
    CatalogueFolder env;
    if (!env.onServer() || geteuid() != 0)
        QSKIP("permissions of a server's users, granted as its administrator (runuser)");
    const QString reader = QStringLiteral("lettore_%1").arg(QCoreApplication::applicationPid());
    testserver::run(
        env.catalogPath(),
        QStringLiteral("CREATE ROLE %1 LOGIN; GRANT SELECT ON ALL TABLES IN SCHEMA public TO %1").arg(reader));
    const Store store(testserver::asUser(env.catalogPath(), reader));
    try {
        store.addRecord(record(QStringLiteral("nuovo")), 1);
        QFAIL("stored without the permission");
    } catch (const DbError &error) {
        QCOMPARE(error.kind(), DbError::Kind::Denied);
        const QString message = failureMessage(error);
        QVERIFY2(message.contains(QStringLiteral("GRANT")), qPrintable(message));
        QCOMPARE(testserver::followAdvice(message), QString());
    }
    QCOMPARE(store.addRecord(record(QStringLiteral("nuovo")), 1), qint64(1));
}

QTEST_MAIN(TestStore)
#include "tst_store.moc"
