#include "core/engines/Connection.h"

#include "core/catalogue/DbError.h"
#include "core/engines/Like.h"
#include "core/engines/SearchIndex.h"
#include "core/engines/Server.h"
#include "core/engines/Statements.h"

#include <QAtomicInteger>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <sqlite3.h>

namespace db {

namespace {
QAtomicInteger<quint64> connectionCounter;
} // namespace

QString dataSourceOf(const QString &connectionText)
{
    const QStringList parts = connectionText.split(QLatin1Char(';'));
    for (const QString &part : parts) {
        const int eq = part.indexOf(QLatin1Char('='));
        if (eq > 0 && part.left(eq).trimmed().compare(QLatin1String("Data Source"), Qt::CaseInsensitive) == 0)
            return part.mid(eq + 1).trimmed();
    }
    return QString();
}

QString connectionTextA(const QString &catalogPath)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + catalogPath;
}

QString connectionTextB(const QString &catalogPath)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;") + QStringLiteral("Data Source=") + catalogPath
        + QStringLiteral(";") + QStringLiteral("Persist Security Info=False");
}

Connection::Connection() : m_name(QStringLiteral("catalogo-%1").arg(connectionCounter.fetchAndAddRelaxed(1)))
{
}

Connection::~Connection()
{
    close();
}

void Connection::open(const QString &connectionText, const QString &, const QString &, int)
{
    if (!connectionText.isEmpty())
        ConnectionString = connectionText;
    close();
    const QString path = dataSourceOf(ConnectionString);
    if (path.isEmpty())
        throw DbError(QStringLiteral("Il testo di connessione non indica il file del catalogo."));
    if (isServerLocation(path)) {
        openServer(path);
        return;
    }
    const QFileInfo file(path);
    if (!file.exists() || !file.isFile())
        throw DbError(QStringLiteral("Il file del catalogo \"%1\" non esiste.").arg(path));

    m_path = path;
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    m_db.setDatabaseName(path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyWaitMilliseconds));
    if (!m_db.open()) {
        const DbError error = failure();
        close();
        throw DbError(QStringLiteral("Impossibile aprire il catalogo \"%1\": %2").arg(path, error.reason()),
                      error.kind(), path);
    }
    auto *handle = *static_cast<sqlite3 *const *>(m_db.driver()->handle().data());
    if (!handle || !installLike(handle) || !installTrigramTokenizer(handle)) {
        close();
        throw DbError(QStringLiteral("Impossibile preparare il confronto LIKE sul catalogo."));
    }
    useWriteAheadLog();
}

void Connection::openServer(const QString &uri)
{
    m_path = uri;
    m_server = true;
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
    if (!openServerDatabase(m_db, uri)) {
        const DbError error = failure();
        close();
        throw DbError(serverUnreachable(uri, error.reason()), error.kind(), uri);
    }
}

QString Connection::sql(const QString &statement) const
{
    const QString translated = translateStatement(statement);
    return m_server ? serverDialect(translated) : translated;
}

// In write-ahead-log mode a reader never holds up a writer: an open search
// window's snapshot cannot block an insertion. A catalogue restored from a dump,
// or made by another tool, is switched when the program first opens it; one
// that may not be written stays as it is.
void Connection::useWriteAheadLog()
{
    QSqlQuery mode(m_db);
    if (mode.exec(QStringLiteral("PRAGMA journal_mode")) && mode.next()
        && mode.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0)
        return;
    mode.finish();
    QSqlQuery(m_db).exec(QStringLiteral("PRAGMA journal_mode=WAL"));
}

DbError Connection::failure(const QSqlQuery &query) const
{
    return m_server ? serverError(query.lastError(), m_path) : engineError(query.lastError(), m_path);
}

DbError Connection::failure() const
{
    return m_server ? serverError(m_db.lastError(), m_path) : engineError(m_db.lastError(), m_path);
}

void Connection::run(const QString &statement)
{
    QSqlQuery query(m_db);
    if (!query.exec(statement))
        throw failure(query);
}

bool Connection::isOpen() const
{
    return m_db.isValid() && m_db.isOpen();
}

void Connection::execute(const QString &statement)
{
    if (!isOpen())
        throw DbError(QStringLiteral("La connessione al catalogo non è aperta."));
    QSqlQuery query(m_db);
    if (const auto restart = parseCounterRestart(statement); restart && m_server) {
        // The table's sequence: the next row gets `seed`, or the first number above
        // those in use. A sequence cannot be set below 1: "not yet used" says 1 is next.
        const QString table = serverDialect(restart->table);
        const QString used = QStringLiteral("GREATEST(%1, (SELECT COALESCE(MAX(\"ID\"), 0) FROM %2))")
                                 .arg(restart->seed - 1)
                                 .arg(table);
        if (!query.exec(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', 'ID'), GREATEST(%2, 1), %2 >= 1)")
                            .arg(table, used)))
            throw failure(query);
        return;
    } else if (restart) {
        // The next row added gets `seed`; numbers still in use are skipped, so that
        // the counter stays unique when rows remain.
        query.prepare(QStringLiteral("UPDATE sqlite_sequence SET seq = ? WHERE name = ? COLLATE NOCASE"));
        query.addBindValue(restart->seed - 1);
        query.addBindValue(restart->table);
        if (!query.exec())
            throw failure(query);
        return;
    }
    if (!query.exec(sql(statement)))
        throw failure(query);
}

void Connection::beginTrans()
{
    if (!isOpen())
        throw DbError(QStringLiteral("La connessione al catalogo non è aperta."));
    // The write lock first: a transaction that reads and then wants to write
    // could not wait for another writer without the risk of a deadlock, so the
    // engine would fail it at once.
    if (m_server) {
        // On the server the same rule: one change at a time, each waiting for the
        // one before (lock_timeout, then Busy). The counter's table is the lock,
        // so a document number read in the transaction is still free at its end.
        run(QStringLiteral("BEGIN"));
        QSqlQuery lock(m_db);
        if (!lock.exec(QStringLiteral("LOCK TABLE \"contatore\" IN SHARE ROW EXCLUSIVE MODE"))) {
            const DbError error = failure(lock);
            QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
            throw error;
        }
        ++m_transactionDepth;
        return;
    }
    run(QStringLiteral("BEGIN IMMEDIATE"));
    ++m_transactionDepth;
}

void Connection::beginReadTrans()
{
    if (!isOpen())
        throw DbError(QStringLiteral("La connessione al catalogo non è aperta."));
    run(m_server ? QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ") : QStringLiteral("BEGIN"));
    ++m_transactionDepth;
}

void Connection::commitTrans()
{
    if (m_transactionDepth == 0)
        throw DbError(QStringLiteral("Nessuna transazione da confermare."));
    run(QStringLiteral("COMMIT"));
    --m_transactionDepth;
}

void Connection::rollbackTrans()
{
    if (m_transactionDepth > 0 && isOpen()) {
        QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
        --m_transactionDepth;
    }
}

void Connection::close()
{
    if (m_db.isValid()) {
        if (m_transactionDepth > 0 && m_db.isOpen())
            QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
        m_transactionDepth = 0;
        m_server = false;
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
}

} // namespace db
