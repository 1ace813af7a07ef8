#include "CatalogueFiles.h"

#include "CatalogueRows.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace testdata {

namespace {

// Runs `work` on a connection of its own to the file.
template <typename Work> void onFile(const QString &path, const QString &options, Work &&work)
{
    static int connections = 0;
    const QString name = QStringLiteral("catalogue-files-%1").arg(++connections);
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        database.setDatabaseName(path);
        database.setConnectOptions(options);
        if (!database.open())
            QTest::qFail(qPrintable(database.lastError().text()), __FILE__, __LINE__);
        else
            work(database);
        database.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

QByteArray fingerprint(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QStringList columnOf(const QString &path, const QString &statement)
{
    QStringList values;
    onFile(path, QStringLiteral("QSQLITE_OPEN_READONLY"), [&](QSqlDatabase &database) {
        QSqlQuery query(database);
        if (!query.exec(statement)) {
            values.append(QStringLiteral("<errore: %1>").arg(query.lastError().text()));
            return;
        }
        while (query.next())
            values.append(query.value(0).toString());
    });
    return values;
}

QString counterOf(const QString &path)
{
    return columnOf(path, QStringLiteral("SELECT Progressivo FROM contatore")).join(QLatin1Char(','));
}

QStringList keywordsOf(const QString &path)
{
    return columnOf(path, QStringLiteral("SELECT Chiave FROM Tabella ORDER BY ID"));
}

void addLongRecords(const CatalogueFolder &env, int count, int textLength)
{
    runSql(env,
           QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                          "INSERT INTO Tabella (Chiave, Argomento, Testo) "
                          "SELECT 'lunga' || i, 'argomento', substr(replace(hex(zeroblob(?)), '0', 'x'), 1, ?) FROM n"),
           {count, textLength, textLength});
}

void damageTabella(const QString &path)
{
    int page = 0;
    int pageSize = 0;
    onFile(path, QString(), [&](QSqlDatabase &database) {
        QSqlQuery query(database);
        QVERIFY(query.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")));
        QVERIFY(query.exec(QStringLiteral("SELECT rootpage FROM sqlite_schema WHERE name = 'Tabella'")));
        QVERIFY(query.next());
        page = query.value(0).toInt();
        QVERIFY(query.exec(QStringLiteral("PRAGMA page_size")));
        QVERIFY(query.next());
        pageSize = query.value(0).toInt();
    });
    QVERIFY(page > 1 && pageSize > 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(qint64(page - 1) * pageSize + 8));
    QCOMPARE(file.write(QByteArray(64, '\xFF')), 64);
}

QStringList filesIn(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

QByteArray journalBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(18))
        return {};
    return file.read(2);
}

} // namespace testdata
