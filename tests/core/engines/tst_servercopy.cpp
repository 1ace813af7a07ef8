// An office moving its catalogue file onto a server with the creation tool:
// every row of the five tables with its ID, the counter, the numbers the file
// would have given next; a server that is not empty, or not there, left as it is.
#include "CatalogueFolder.h"
#include "CatalogueRows.h"
#include "TestServer.h"
#include "Tools.h"
#include "core/catalogue/Catalogue.h"
#include "core/engines/Engine.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/catalogue/Store.h"

#include <QProcess>
#include <QTest>
#include <QThread>
#include <QUrl>

#include <unistd.h>

using namespace db;

namespace {
// A catalogue file with what a years-old one holds: gaps left by deletions,
// numbers given and deleted at the end, accents, quotes, line ends, tabs and
// backslashes, empty and missing fields, a counter ahead of the records.
void fillFile(const CatalogueFolder &file)
{
    testdata::addRecords(file, {{{QStringLiteral("Chiave"), QStringLiteral("Èra")},
                                 {QStringLiteral("Testo"), QStringLiteral("riga uno\nriga due\r\n\tcon tab")}},
                                {{QStringLiteral("Chiave"), QStringLiteral("città")},
                                 {QStringLiteral("N\u00B0"), QStringLiteral("12")}},
                                {{QStringLiteral("Chiave"), QStringLiteral("C:\\archivio\\N")},
                                 {QStringLiteral("Note"), QStringLiteral("l'\"arte\"")}},
                                {{QStringLiteral("Chiave"), QStringLiteral("da eliminare")}},
                                {{QStringLiteral("Chiave"), QStringLiteral("ultimo")}},
                                {{QStringLiteral("Chiave"), QStringLiteral("eliminato in coda")}}});
    testdata::runSql(file, {QStringLiteral("DELETE FROM Tabella WHERE ID IN (4, 6)"),
                            QStringLiteral("UPDATE Tabella SET Argomento = NULL WHERE ID = 2")});
    testdata::addLookupRows(file, QStringLiteral("Chiave"), {QStringLiteral("Zeta"), QStringLiteral("alfa")});
    testdata::addLookupRows(file, QStringLiteral("Pubblicazione"), {QStringLiteral("Rivista d'arte")});
    testdata::setCounter(file, 40);
}

QList<QVariantMap> everyRow(const CatalogueFolder &catalogue, const QString &table)
{
    return testdata::rowsOf(catalogue, QStringLiteral("SELECT * FROM %1 ORDER BY ID").arg(table));
}
NewRecord withKey(const QString &chiave)
{
    NewRecord record;
    record.chiave = chiave;
    return record;
}
} // namespace

class TestServerCopy : public QObject {
    Q_OBJECT
private slots:
    void init();
    void everyRowNumberAndCounterArrive();
    void serverThatIsNotEmptyIsLeftAsItIs();
    void serverThatCannotBeReachedIsNamed();
    void copyCutShortLeavesNothing_data();
    void copyCutShortLeavesNothing();
    void refusedCreationsAdviceWorks_data();
    void refusedCreationsAdviceWorks();
};

void TestServerCopy::init()
{
    if (!testserver::wanted())
        QSKIP("needs the test server (CATALOGO_DI_PROVA=server)");
}

void TestServerCopy::everyRowNumberAndCounterArrive()
{
    qputenv("CATALOGO_DI_PROVA", "file");
    const CatalogueFolder file;
    qputenv("CATALOGO_DI_PROVA", "server");
    fillFile(file);
    const CatalogueFolder server(false);
    const testdata::ToolRun run = testdata::runTool(QStringLiteral(CREA_CATALOGO),
                                                    {QStringLiteral("--copia-su"), server.catalogPath(), file.folder()});
    QVERIFY2(run.ok(), run.errorOutput.constData());
    QVERIFY2(run.output.contains("tutte le righe sono state controllate"), run.output.constData());

    for (const QString &table : {QStringLiteral("Tabella"), QStringLiteral("Chiave"), QStringLiteral("Pubblicazione"),
                                 QStringLiteral("Allocazione")})
        QCOMPARE(everyRow(server, table), everyRow(file, table));
    QCOMPARE(testdata::storedCounter(server).toLongLong(), qint64(40));
    // The server goes on where the file would have: ID 7, never 6 again.
    QCOMPARE(server.store.addRecord(withKey(QStringLiteral("sul server")), 41), qint64(7));
    // Searches find the copied rows and the new one through the search tables.
    const auto found = [&](const QString &fragment) {
        if (!db::connect(server.catalogPath())->hasSearchIndex())
            return QList<qint64>{-1}; // the search tables are not in use
        const auto rows = server.store.search({SearchField::Chiave, fragment});
        QList<qint64> ids;
        for (int row = 0; row < rows->rowCount(); ++row)
            ids.append(rows->value(row, 0).toLongLong());
        return ids;
    };
    QCOMPARE(found(QStringLiteral("è")), QList<qint64>{1});
    QCOMPARE(found(QStringLiteral("ARCHIVIO")), QList<qint64>{3});
    QCOMPARE(found(QStringLiteral("server")), QList<qint64>{7});
    QCOMPARE(found(QStringLiteral("eliminat")), QList<qint64>{});
}

void TestServerCopy::serverThatIsNotEmptyIsLeftAsItIs()
{
    qputenv("CATALOGO_DI_PROVA", "file");
    const CatalogueFolder file;
    qputenv("CATALOGO_DI_PROVA", "server");
    fillFile(file);
    const CatalogueFolder server; // a catalogue already
    server.store.addRecord(withKey(QStringLiteral("già sul server")), 1);
    const testdata::ToolRun run = testdata::runTool(QStringLiteral(CREA_CATALOGO),
                                                    {QStringLiteral("--copia-su"), server.catalogPath(), file.folder()});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(QString::fromUtf8(run.errorOutput).contains(QStringLiteral("non è vuoto")), run.errorOutput.constData());
    QCOMPARE(testdata::storedField(server, QStringLiteral("Chiave")), QStringList{QStringLiteral("già sul server")});
    // Nor does --server make a second catalogue there.
    QCOMPARE(testdata::runTool(QStringLiteral(CREA_CATALOGO), {QStringLiteral("--server"), server.catalogPath()})
                 .exitCode,
             1);
}

void TestServerCopy::serverThatCannotBeReachedIsNamed()
{
    const QString nowhere = QStringLiteral("postgresql://archivio@/catalogo?host=/nessuna/cartella");
    QCOMPARE(checkCatalogue(nowhere).contains(QStringLiteral("postgresql://archivio@/catalogo")), true);
    const testdata::ToolRun run
        = testdata::runTool(QStringLiteral(CREA_CATALOGO), {QStringLiteral("--server"), nowhere});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(QString::fromUtf8(run.errorOutput).contains(QStringLiteral("Impossibile collegarsi al catalogo sul server")),
             run.errorOutput.constData());
}

void TestServerCopy::copyCutShortLeavesNothing_data()
{
    QTest::addColumn<int>("killedAfterMs");
    for (int ms : {50, 150, 300, 450, 1500})
        QTest::addRow("killed after %d ms", ms) << ms;
}

// Whenever the copy is ended, the server holds the whole catalogue or none of it,
// and the program says which; a second copy then goes through.
void TestServerCopy::copyCutShortLeavesNothing()
{
    QFETCH(int, killedAfterMs);
    qputenv("CATALOGO_DI_PROVA", "file");
    const CatalogueFolder file;
    qputenv("CATALOGO_DI_PROVA", "server");
    testdata::runSql(file,
                     {QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                                     "30000) INSERT INTO Tabella (Chiave, Argomento) SELECT 'voce ' || i, "
                                     "'argomento ' || i FROM n")});
    const CatalogueFolder server(false);
    QProcess copy;
    copy.start(QStringLiteral(CREA_CATALOGO), {QStringLiteral("--copia-su"), server.catalogPath(), file.folder()});
    QVERIFY(copy.waitForStarted());
    QThread::msleep(ulong(killedAfterMs));
    copy.kill();
    QVERIFY(copy.waitForFinished());

    const QString problem = checkCatalogue(server.catalogPath());
    if (!problem.isEmpty()) {
        QVERIFY2(problem.contains(QStringLiteral("manca la tabella \"Tabella\").\nCrearlo con")), qPrintable(problem));
        const testdata::ToolRun again = testdata::runTool(
            QStringLiteral(CREA_CATALOGO), {QStringLiteral("--copia-su"), server.catalogPath(), file.folder()});
        QVERIFY2(again.ok(), again.errorOutput.constData());
    }
    QCOMPARE(checkCatalogue(server.catalogPath()), QString());
    QCOMPARE(everyRow(server, QStringLiteral("Tabella")), everyRow(file, QStringLiteral("Tabella")));
}

void TestServerCopy::refusedCreationsAdviceWorks_data()
{
    QTest::addColumn<QString>("role");  // the one the catalogue is created as, when not the superuser
    QTest::addColumn<QString>("setUp"); // run on the database by its administrator first
    QTest::addColumn<QString>("told");
    QTest::addColumn<QString>("madeIn"); // the database the advice makes the catalogue in, after this one's name
    const QString owner = QStringLiteral("proprietario_%1").arg(QCoreApplication::applicationPid());
    QTest::newRow("owner who may not install extensions")
        << owner
        << QStringLiteral("CREATE ROLE %1 LOGIN; ALTER DATABASE :db OWNER TO %1; REVOKE CREATE ON DATABASE :db FROM "
                          "%1, PUBLIC")
               .arg(owner)
        << QStringLiteral("CREATE EXTENSION pg_trgm") << QString();
    QTest::newRow("database of something else") << QString() << QStringLiteral("CREATE TABLE fatture (numero int)")
                                                << QStringLiteral("createdb") << QStringLiteral("_catalogo");
}

// The command a refusal names is the one that mends it.
void TestServerCopy::refusedCreationsAdviceWorks()
{
    QFETCH(QString, role);
    QFETCH(QString, setUp);
    QFETCH(QString, told);
    QFETCH(QString, madeIn);
    if (geteuid() != 0)
        QSKIP("the advice runs commands as the server's administrator (runuser)");
    const CatalogueFolder server(false);
    const QString database = QUrl(server.catalogPath()).path().mid(1);
    testserver::run(server.catalogPath(), QString(setUp).replace(QStringLiteral(":db"), database));
    const QString uri = role.isEmpty() ? server.catalogPath() : testserver::asUser(server.catalogPath(), role);
    const QStringList create{QStringLiteral("--server"), uri};
    const testdata::ToolRun refused = testdata::runTool(QStringLiteral(CREA_CATALOGO), create);
    const QString message = QString::fromUtf8(refused.errorOutput);
    QCOMPARE(refused.exitCode, 1);
    QVERIFY2(message.contains(told), qPrintable(message));
    if (role.isEmpty()) // the program starting on it is told the same
        QVERIFY(checkCatalogue(uri).contains(told));

    QCOMPARE(testserver::followAdvice(message, QStringLiteral(CREA_CATALOGO)), QString());
    if (madeIn.isEmpty()) // then the same creation again
        QVERIFY(testdata::runTool(QStringLiteral(CREA_CATALOGO), create).ok());
    QUrl made(uri);
    made.setPath(made.path() + madeIn);
    QCOMPARE(checkCatalogue(made.toString()), QString());
}

QTEST_MAIN(TestServerCopy)
#include "tst_servercopy.moc"
