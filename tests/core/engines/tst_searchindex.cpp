// The search index against other programs: rows written by the real sqlite3 shell
// are found by the next search exactly as the plain LIKE statement finds them; the
// start-up check restores what was removed or left behind and upgrades older
// catalogues.
#include "CatalogueFolder.h"
#include "CatalogueRows.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/catalogue/Store.h"
#include "core/engines/Engine.h"
#include "core/engines/FileSearchIndex.h"

#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTest>

using namespace db;

namespace {

// Searches of every kind: a fragment the index answers alone, one with a
// wildcard, one of two letters it cannot help with, apostrophes and accents.
const QList<Search> searches
    = {{SearchField::Chiave, QStringLiteral("città")},     {SearchField::Chiave, QStringLiteral("CIT_À")},
       {SearchField::Chiave, QStringLiteral("ci")},        {SearchField::Argomento, QStringLiteral("perché")},
       {SearchField::Testo, QStringLiteral("o'brien")},    {SearchField::Pubblicazione, QStringLiteral("rivista")},
       {SearchField::Chiave, QStringLiteral("nuovo tema")}};

// The rows of a search as the search window gets them.
QList<qint64> searched(const CatalogueFolder &env, const Search &search)
{
    const auto rows = env.store.search(search);
    QList<qint64> ids;
    for (int i = 0; i < rows->rowCount(); ++i)
        ids.append(rows->rowId(i));
    return ids;
}

// The rows of the plain LIKE statement, reading the whole table.
QList<qint64> scanned(const CatalogueFolder &env, const Search &search)
{
    const auto catalogue = db::connect(env.catalogPath());
    QSqlQuery query = catalogue->run(QStringLiteral("SELECT ID FROM Tabella WHERE %1 LIKE ?").arg(search.fieldName()),
                                     {search.pattern()});
    QList<qint64> ids;
    while (query.next())
        ids.append(query.value(0).toLongLong());
    return ids;
}

IndexState state(const CatalogueFolder &env)
{
    return searchIndexState(db::connect(env.catalogPath())->database());
}

int noted(const CatalogueFolder &env)
{
    return testdata::rowCount(env, QStringLiteral("Tabella_modifiche"));
}

// Runs statements in the sqlite3 shell, which knows nothing of the program's tokenizer.
QString shell(const CatalogueFolder &env, const QString &sql)
{
    QProcess process;
    process.start(QStringLiteral("sqlite3"), {QStringLiteral("-bail"), env.catalogPath(), sql});
    if (!process.waitForFinished(30000))
        return QStringLiteral("sqlite3 non ha finito");
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    return process.exitCode() == 0 && errors.isEmpty()
        ? QString()
        : errors + QStringLiteral(" (uscita %1)").arg(process.exitCode());
}

// The database's count of commits by other connections, as one connection sees it.
class CommitWatch {
public:
    explicit CommitWatch(const CatalogueFolder &env) : m_connection(db::connect(env.catalogPath())) {}
    qint64 version()
    {
        QSqlQuery query(m_connection->database());
        return query.exec(QStringLiteral("PRAGMA data_version")) && query.next() ? query.value(0).toLongLong() : -1;
    }

private:
    std::unique_ptr<Connection> m_connection;
};

void addSampleRecords(const CatalogueFolder &env)
{
    const QStringList keys = {QStringLiteral("Città d'arte"),
                              QStringLiteral("CITTÀ"),
                              QStringLiteral("cittadino"),
                              QStringLiteral("ab"),
                              QString(),
                              QStringLiteral("Perché"),
                              QStringLiteral("ittà e citt"),
                              QStringLiteral("o'brien"),
                              QStringLiteral("circo")};
    QList<QVariantMap> records;
    for (const QString &k : keys)
        records.append(QVariantMap{{QStringLiteral("Chiave"), k},
                                   {QStringLiteral("Argomento"), k.toUpper()},
                                   {QStringLiteral("Testo"), k.toLower()},
                                   {QStringLiteral("Pubblicazione"), QString(QStringLiteral("Rivista di ") + k)}});
    testdata::addRecords(env, records);
}

} // namespace

class tst_searchindex : public QObject {
    Q_OBJECT

    // Every search gives the rows of the plain statement, in its order.
    void verifySearchesExact(const CatalogueFolder &env)
    {
        for (const Search &search : searches) {
            const QList<qint64> expected = scanned(env, search);
            QCOMPARE(searched(env, search), expected);
        }
    }

    // The index itself agrees with the table (nothing left to bring in).
    void verifyIndexExact(const CatalogueFolder &env)
    {
        QCOMPARE(state(env), IndexState::UpToDate);
        for (const Search &search : searches)
            if (!indexedSearch(search).sql.isEmpty())
                QCOMPARE(testdata::indexedIds(env, search), scanned(env, search));
        const auto c = db::connect(env.catalogPath());
        QSqlQuery check(c->database());
        QVERIFY2(check.exec(QStringLiteral("INSERT INTO Tabella_ricerca(Tabella_ricerca) VALUES ('integrity-check')")),
                 qPrintable(check.lastError().text()));
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty())
            QSKIP("the sqlite3 shell is not installed (Debian package sqlite3)");
    }

    // The shell inserts, changes, replaces and deletes rows; the next search of
    // the program finds them as they are now.
    void rowsWrittenByTheShellAreFoundByTheNextSearch()
    {
        CatalogueFolder env;
        addSampleRecords(env);
        verifySearchesExact(env);
        QCOMPARE(
            shell(env,
                  QStringLiteral("INSERT INTO Tabella (Chiave, Argomento) VALUES ('Nuovo tema, città', 'PERCHÉ sì');"
                                 "UPDATE Tabella SET Chiave = 'nessuna' WHERE ID = 1;"
                                 "UPDATE Tabella SET Testo = 'O''BRIEN e altri' WHERE ID = 4;"
                                 "DELETE FROM Tabella WHERE ID = 2;")),
            QString());
        QVERIFY(noted(env) > 0);
        QCOMPARE(searched(env, {SearchField::Chiave, QStringLiteral("città")}), QList<qint64>({10}));
        QCOMPARE(searched(env, {SearchField::Testo, QStringLiteral("o'brien")}), QList<qint64>({4, 8}));
        verifySearchesExact(env);
        QCOMPARE(noted(env), 0);
        verifyIndexExact(env);

        // Rows that take the place of others: REPLACE removes a row without a
        // delete trigger; a row moved to another ID.
        QCOMPARE(shell(env,
                       QStringLiteral("INSERT OR REPLACE INTO Tabella (ID, Chiave) VALUES (3, 'sostituita');"
                                      "UPDATE Tabella SET ID = 50 WHERE ID = 6;"
                                      "UPDATE OR REPLACE Tabella SET ID = 7 WHERE ID = 9;"
                                      "INSERT INTO Tabella (ID, Chiave) VALUES (2, 'di nuovo città');")),
                 QString());
        QCOMPARE(searched(env, {SearchField::Chiave, QStringLiteral("città")}), QList<qint64>({2, 10}));
        QCOMPARE(searched(env, {SearchField::Chiave, QStringLiteral("perché")}), QList<qint64>({50}));
        QCOMPARE(searched(env, {SearchField::Chiave, QStringLiteral("circo")}), QList<qint64>({7}));
        verifySearchesExact(env);
        verifyIndexExact(env);

        QCOMPARE(shell(env, QStringLiteral("DELETE FROM Tabella;")), QString());
        QVERIFY(searched(env, {SearchField::Chiave, QStringLiteral("città")}).isEmpty());
        verifyIndexExact(env);
    }

    // A NUL written by another program must not break the index.
    void fieldWithANulCharacter()
    {
        CatalogueFolder env;
        addSampleRecords(env);
        QCOMPARE(shell(env,
                       QStringLiteral(
                           "INSERT INTO Tabella (Chiave) VALUES ('abc' || char(0) || 'città' || char(0) || 'xyz');"
                           "UPDATE Tabella SET Argomento = char(0) || 'perché' WHERE ID = 1;")),
                 QString());
        verifySearchesExact(env);
        verifyIndexExact(env);
        QCOMPARE(shell(env, QStringLiteral("DELETE FROM Tabella WHERE ID IN (1, 10);")), QString());
        verifySearchesExact(env);
        verifyIndexExact(env);
    }

    // While another program holds the write lock the index cannot be brought up
    // to date: the search takes the noted rows from the table, and is exact.
    void searchIsExactWhileTheCatalogueIsBeingWritten()
    {
        CatalogueFolder env;
        addSampleRecords(env);
        verifySearchesExact(env);
        QCOMPARE(shell(env,
                       QStringLiteral("UPDATE Tabella SET Chiave = 'città nuova' WHERE ID = 9;"
                                      "DELETE FROM Tabella WHERE ID = 1;")),
                 QString());
        {
            const auto writer = db::connect(env.catalogPath());
            writer->beginChange();
            writer->insert(QStringLiteral("Tabella"), {{QStringLiteral("Chiave"), QStringLiteral("non ancora salvata: città")}});
            QCOMPARE(searched(env, {SearchField::Chiave, QStringLiteral("città")}), QList<qint64>({2, 9}));
            verifySearchesExact(env);
            QCOMPARE(noted(env), 2);
            writer->rollback();
        }
        verifySearchesExact(env);
        QCOMPARE(noted(env), 0);
        verifyIndexExact(env);
    }

    // A search with nothing noted writes nothing; with rows noted it writes once.
    void catchUpWritesOnlyWhenRowsWereNoted()
    {
        CatalogueFolder env;
        addSampleRecords(env);
        verifySearchesExact(env);
        CommitWatch watch(env);
        const qint64 before = watch.version();
        verifySearchesExact(env);
        QCOMPARE(watch.version(), before);
        QCOMPARE(shell(env, QStringLiteral("UPDATE Tabella SET Chiave = 'città' WHERE ID = 5;")), QString());
        const qint64 changed = watch.version();
        QVERIFY(changed != before);
        QCOMPARE(state(env), IndexState::ChangesPending);
        searched(env, searches.first());
        const qint64 caughtUp = watch.version();
        QVERIFY(caughtUp != changed);
        QCOMPARE(state(env), IndexState::UpToDate);
        verifySearchesExact(env);
        QCOMPARE(watch.version(), caughtUp);
        // A search the index cannot help with does not bring it up to date.
        QCOMPARE(shell(env, QStringLiteral("UPDATE Tabella SET Chiave = 'città' WHERE ID = 6;")), QString());
        const Search twoLetters{SearchField::Chiave, QStringLiteral("it")};
        QCOMPARE(searched(env, twoLetters), scanned(env, twoLetters));
        QCOMPARE(state(env), IndexState::ChangesPending);
    }

    // Triggers dropped by hand: until the program starts again the index is not
    // trusted (searches read the table); at start it is restored and rebuilt.
    void startUpRestoresDroppedTriggers()
    {
        CatalogueFolder env;
        addSampleRecords(env);
        QCOMPARE(shell(env,
                       QStringLiteral("DROP TRIGGER Tabella_modifiche_aggiunta;"
                                      "DROP TRIGGER Tabella_modifiche_modifica;"
                                      "INSERT INTO Tabella (Chiave) VALUES ('città mai vista');"
                                      "UPDATE Tabella SET Chiave = 'niente' WHERE ID = 2;")),
                 QString());
        QCOMPARE(state(env), IndexState::Missing);
        verifySearchesExact(env);
        QCOMPARE(env.store.checkSearchIndex(), IndexRepair::Rebuilt);
        verifyIndexExact(env);
        verifySearchesExact(env);
        QCOMPARE(env.store.checkSearchIndex(), IndexRepair::None);
    }

    void startUpRebuildsAnIndexThatIsNotWhole_data()
    {
        QTest::addColumn<QStringList>("damage");
        QTest::newRow("note cleared by hand") << QStringList{QStringLiteral("DELETE FROM Tabella WHERE ID = 9"),
                                                             QStringLiteral("DELETE FROM Tabella_modifiche")};
        QTest::newRow("note cleared after an insertion")
            << QStringList{QStringLiteral("INSERT INTO Tabella (Chiave) VALUES ('città nuova')"),
                           QStringLiteral("DELETE FROM Tabella_modifiche")};
        QTest::newRow("note table dropped") << QStringList{QStringLiteral("DROP TABLE Tabella_modifiche")};
        QTest::newRow("index dropped") << QStringList{QStringLiteral("DROP TABLE Tabella_ricerca")};
        // The index's own storage, dropped or emptied by another client.
        for (const char *table : {"data", "idx", "docsize", "config"})
            QTest::addRow("index storage %s dropped", table)
                << QStringList{QStringLiteral("DROP TABLE Tabella_ricerca_%1").arg(QLatin1String(table))};
        QTest::newRow("index storage emptied") << QStringList{QStringLiteral("DELETE FROM Tabella_ricerca_data")};

        QTest::newRow("trigger changed") << QStringList{
            QStringLiteral("DROP TRIGGER Tabella_modifiche_eliminazione"),
            QStringLiteral(
                "CREATE TRIGGER Tabella_modifiche_eliminazione AFTER DELETE ON Tabella BEGIN SELECT 1; END")};
    }

    // A search meets the damage first, while the program runs; the next start repairs it.
    void startUpRebuildsAnIndexThatIsNotWhole()
    {
        QFETCH(QStringList, damage);
        CatalogueFolder env;
        addSampleRecords(env);
        verifySearchesExact(env);
        testdata::runSql(env, damage);
        verifySearchesExact(env); // before the repair too: through Tabella itself
        QCOMPARE(env.store.checkSearchIndex(), IndexRepair::Rebuilt);
        verifyIndexExact(env);
        verifySearchesExact(env);
        QCOMPARE(shell(env, QStringLiteral("INSERT INTO Tabella (Chiave) VALUES ('città');")), QString());
        verifySearchesExact(env);
    }

    // Triggers dropped, a row added, the triggers put back as they were: only the
    // rows the index holds tell.
    void startUpNoticesRowsAddedWhileTheTriggersWereAway()
    {
        CatalogueFolder env;
        addSampleRecords(env);
        verifySearchesExact(env);
        const auto triggers = testdata::rowsOf(
            env, QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'Tabella_modifiche_aggiunta'"));
        QCOMPARE(triggers.size(), 1);
        testdata::runSql(env,
                         {QStringLiteral("DROP TRIGGER Tabella_modifiche_aggiunta"),
                          QStringLiteral("INSERT INTO Tabella (Chiave) VALUES ('città')"),
                          triggers.first().value(QStringLiteral("sql")).toString()});
        // A search sees a row above the index's highest and reads Tabella itself.
        QCOMPARE(state(env), IndexState::Missing);
        verifySearchesExact(env);
        QCOMPARE(env.store.checkSearchIndex(), IndexRepair::Rebuilt);
        verifyIndexExact(env);
        verifySearchesExact(env);
    }

    // At start the rows noted are brought in, in steps when they are many; a long
    // piece of work reports its progress from 0 up to 100.
    void startUpBringsInNotedRowsWithProgress()
    {
        CatalogueFolder env;
        addSampleRecords(env); // noted, as any row the program adds
        QCOMPARE(env.store.checkSearchIndex(), IndexRepair::CaughtUp);
        QCOMPARE(env.store.checkSearchIndex(), IndexRepair::None);
        QCOMPARE(shell(env, QStringLiteral("UPDATE Tabella SET Chiave = 'città' WHERE ID = 4;")), QString());
        QCOMPARE(env.store.checkSearchIndex(), IndexRepair::CaughtUp);
        verifyIndexExact(env);

        auto verifyProgress = [](const QList<int> &reported) {
            QVERIFY(reported.size() > 2);
            QCOMPARE(reported.first(), 0);
            QCOMPARE(reported.last(), 100);
            QVERIFY(std::is_sorted(reported.cbegin(), reported.cend()));
        };
        QList<int> reported;
        const auto report = [&](int percent) { reported.append(percent); };
        // Thirty thousand rows written by the shell: more than the index holds, so
        // it is filled anew.
        QCOMPARE(
            shell(env,
                  QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 30000)"
                                 " INSERT INTO Tabella (Chiave, Testo) SELECT 'voce ' || i, 'città ' || i FROM n;")),
            QString());
        QCOMPARE(env.store.checkSearchIndex(report), IndexRepair::CaughtUp);
        verifyProgress(reported);
        verifyIndexExact(env);
        // A quarter of them changed and one in thirty deleted: brought in a part at a time.
        reported.clear();
        QCOMPARE(shell(env,
                       QStringLiteral("UPDATE Tabella SET Testo = 'perché ' || ID WHERE ID % 4 = 0;"
                                      "DELETE FROM Tabella WHERE ID % 30 = 1;")),
                 QString());
        QVERIFY(noted(env) > 8000);
        QCOMPARE(env.store.checkSearchIndex(report), IndexRepair::CaughtUp);
        verifyProgress(reported);
        verifyIndexExact(env);
        const Search numbered{SearchField::Testo, QStringLiteral("città 1199")};
        QCOMPARE(searched(env, numbered), scanned(env, numbered));
        QCOMPARE(searched(env, numbered).size(), 6); // 1199 and 11990 to 11999, less those changed or deleted

        // The triggers lost: filled anew.
        reported.clear();
        testdata::runSql(env, {QStringLiteral("DROP TRIGGER Tabella_modifiche_sostituzione")});
        QCOMPARE(env.store.checkSearchIndex(report), IndexRepair::Rebuilt);
        verifyProgress(reported);
        verifyIndexExact(env);
    }

    // A catalogue of the older kind, whose triggers fill the index through the
    // program's tokenizer, is upgraded without rebuilding: its index was exact.
    void olderCatalogueIsUpgraded()
    {
        CatalogueFolder env;
        testdata::runSql(
            env,
            {QStringLiteral("DROP TRIGGER Tabella_modifiche_sostituzione"),
             QStringLiteral("DROP TRIGGER Tabella_modifiche_aggiunta"),
             QStringLiteral("DROP TRIGGER Tabella_modifiche_modifica"),
             QStringLiteral("DROP TRIGGER Tabella_modifiche_eliminazione"),
             QStringLiteral("DROP TABLE Tabella_modifiche"),
             QStringLiteral(
                 "CREATE TRIGGER Tabella_ricerca_aggiunta AFTER INSERT ON Tabella BEGIN INSERT INTO "
                 "Tabella_ricerca(rowid, Chiave, Argomento, Testo, Pubblicazione) VALUES (new.ID, new.Chiave, "
                 "new.Argomento, new.Testo, new.Pubblicazione); END"),
             QStringLiteral(
                 "CREATE TRIGGER Tabella_ricerca_eliminazione AFTER DELETE ON Tabella BEGIN INSERT INTO "
                 "Tabella_ricerca(Tabella_ricerca, rowid, Chiave, Argomento, Testo, Pubblicazione) VALUES ('delete', "
                 "old.ID, old.Chiave, old.Argomento, old.Testo, old.Pubblicazione); END"),
             QStringLiteral(
                 "CREATE TRIGGER Tabella_ricerca_modifica AFTER UPDATE OF ID, Chiave, Argomento, Testo, Pubblicazione "
                 "ON "
                 "Tabella BEGIN INSERT INTO Tabella_ricerca(Tabella_ricerca, rowid, Chiave, Argomento, Testo, "
                 "Pubblicazione) VALUES ('delete', old.ID, old.Chiave, old.Argomento, old.Testo, old.Pubblicazione); "
                 "INSERT INTO Tabella_ricerca(rowid, Chiave, Argomento, Testo, Pubblicazione) VALUES (new.ID, "
                 "new.Chiave, new.Argomento, new.Testo, new.Pubblicazione); END")});
        addSampleRecords(env);
        testdata::runSql(env,
                         {QStringLiteral("UPDATE Tabella SET Chiave = 'città' WHERE ID = 4"),
                          QStringLiteral("DELETE FROM Tabella WHERE ID = 1")});
        QCOMPARE(state(env), IndexState::Missing);
        QVERIFY(!shell(env, QStringLiteral("DELETE FROM Tabella WHERE ID = 2;")).isEmpty()); // no such tokenizer

        QCOMPARE(env.store.checkSearchIndex(), IndexRepair::Upgraded);
        verifyIndexExact(env);
        QCOMPARE(testdata::rowCount(env,
                                    QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger'"
                                                   " AND name LIKE 'Tabella_ricerca%'")),
                 0);
        QCOMPARE(shell(env, QStringLiteral("DELETE FROM Tabella WHERE ID = 2;")), QString());
        verifySearchesExact(env);
        verifyIndexExact(env);
    }
};

QTEST_GUILESS_MAIN(tst_searchindex)
#include "tst_searchindex.moc"
