#include "core/db/Connection.h"

#include "core/db/DbError.h"
#include "core/db/Like.h"
#include "core/db/SearchIndex.h"
#include "core/db/Statements.h"

#include <QAtomicInteger>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <sqlite3.h>

namespace db {

namespace {
QAtomicInteger<quint64> connectionCounter;

QString engineReason(const QSqlError &error)
{
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.isEmpty() ? QStringLiteral("errore sconosciuto del database") : text;
}
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
    const QFileInfo file(path);
    if (!file.exists() || !file.isFile())
        throw DbError(QStringLiteral("Il file del catalogo \"%1\" non esiste.").arg(path));

    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    m_db.setDatabaseName(path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!m_db.open()) {
        const QString reason = engineReason(m_db.lastError());
        close();
        throw DbError(QStringLiteral("Impossibile aprire il catalogo \"%1\": %2").arg(path, reason));
    }
    auto *handle = *static_cast<sqlite3 *const *>(m_db.driver()->handle().data());
    if (!handle || !installLike(handle) || !installTrigramTokenizer(handle)) {
        close();
        throw DbError(QStringLiteral("Impossibile preparare il confronto LIKE sul catalogo."));
    }
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
    if (const auto restart = parseCounterRestart(statement)) {
        // The next row added gets `seed`; numbers still in use are skipped, so that
        // the counter stays unique when rows remain.
        query.prepare(QStringLiteral("UPDATE sqlite_sequence SET seq = ? WHERE name = ? COLLATE NOCASE"));
        query.addBindValue(restart->seed - 1);
        query.addBindValue(restart->table);
        if (!query.exec())
            throw DbError(engineReason(query.lastError()));
        return;
    }
    if (!query.exec(translateStatement(statement)))
        throw DbError(engineReason(query.lastError()));
}

void Connection::beginTrans()
{
    if (!isOpen())
        throw DbError(QStringLiteral("La connessione al catalogo non è aperta."));
    if (!m_db.transaction())
        throw DbError(engineReason(m_db.lastError()));
    ++m_transactionDepth;
}

void Connection::commitTrans()
{
    if (m_transactionDepth == 0 || !m_db.commit())
        throw DbError(engineReason(m_db.lastError()));
    --m_transactionDepth;
}

void Connection::rollbackTrans()
{
    if (m_transactionDepth > 0 && isOpen()) {
        m_db.rollback();
        --m_transactionDepth;
    }
}

void Connection::close()
{
    if (m_db.isValid()) {
        if (m_transactionDepth > 0 && m_db.isOpen())
            m_db.rollback();
        m_transactionDepth = 0;
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
}

} // namespace db
