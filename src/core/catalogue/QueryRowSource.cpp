#include "core/catalogue/QueryRowSource.h"

#include "core/catalogue/DbError.h"
#include "core/engines/SearchIndex.h"
#include "core/engines/Server.h"
#include "core/engines/Statements.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <sqlite3.h>

namespace db {

namespace {
constexpr int pageSize = 128;
constexpr int pagesKept = 64;

// "select * from tabella;": the statement is nested in others, where a closing
// ";" would be a syntax error.
QString withoutClosingSemicolons(QString statement)
{
    static const QRegularExpression closing(QStringLiteral("[;\\s]+$"));
    return statement.remove(closing);
}

const QRegularExpression &likePattern()
{
    static const QRegularExpression like(QStringLiteral("\\bLIKE\\s+'((?:[^']|'')*)'"),
                                         QRegularExpression::CaseInsensitiveOption);
    return like;
}

// Whether the statement looks for a pattern (a search of the search window).
bool isSearch(const QString &statement)
{
    return likePattern().match(statement).hasMatch();
}

// Whether the statement's LIKE pattern has no run of three plain characters.
bool hasShortPattern(const QString &statement)
{
    const auto match = likePattern().match(statement);
    if (!match.hasMatch())
        return false;
    int run = 0;
    int longest = 0;
    for (const QChar c : match.captured(1)) {
        run = (c == QLatin1Char('%') || c == QLatin1Char('_')) ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest < 3;
}

} // namespace

QueryRowSource::QueryRowSource(const QString &connectionText, const QString &statement, bool snapshot)
    : m_statement(withoutClosingSemicolons(translateSource(statement))), m_snapshot(snapshot)
{
    m_table = singleTableOf(m_statement);
    if (m_table.isEmpty())
        throw DbError(QStringLiteral("L'istruzione \"%1\" non legge una sola tabella.").arg(statement));
    m_connection.open(connectionText);
    // A read transaction: what the index says and the rows it points to are of the
    // same moment. It lasts as long as the snapshot, or while the ids are read.
    m_connection.beginReadTrans();

    static const QRegularExpression selectList(QStringLiteral("^\\s*SELECT\\s+.*?\\s+FROM\\s+"),
                                               QRegularExpression::CaseInsensitiveOption
                                                   | QRegularExpression::DotMatchesEverythingOption);
    QString idStatement;
    if (m_connection.isServer()) {
        if (isSearch(m_statement)) {
            // Through the field's narrow search table, when triggers keep it in step.
            idStatement = serverSearchIdStatement(m_connection.database(), m_connection.path(), m_statement);
            // The ids of a search are sorted in memory; a fragment found in many
            // records is looked for by every processor at once, never by walking
            // the whole table in the order of the IDs (the planner's pick to spare
            // the sort, twice as slow). A fragment of one or two letters has no
            // trigram: the index would be walked whole, slower than the table.
            QSqlQuery plan(m_connection.database());
            QStringList settings{QStringLiteral("work_mem = '64MB'"), QStringLiteral("parallel_setup_cost = 0"),
                                 QStringLiteral("parallel_tuple_cost = 0"), QStringLiteral("enable_indexscan = off")};
            if (hasShortPattern(m_statement))
                settings.append(QStringLiteral("enable_bitmapscan = off"));
            for (const QString &setting : settings)
                plan.exec(QStringLiteral("SET LOCAL ") + setting);
        }
    } else if (!indexedIdStatement(m_statement).isEmpty()) {
        IndexState state = searchIndexState(m_connection.database());
        if (state == IndexState::ChangesPending) {
            // Rows changed since the last search: brought into the index first, when
            // the catalogue can be written at once.
            m_connection.rollbackTrans();
            catchUpSearchIndex(m_connection.database().databaseName());
            m_connection.beginReadTrans();
            state = searchIndexState(m_connection.database());
        }
        if (state != IndexState::Missing)
            idStatement = indexedIdStatement(m_statement, state == IndexState::ChangesPending);
    }
    if (idStatement.isEmpty()) {
        idStatement = m_statement;
        idStatement.replace(selectList, QStringLiteral("SELECT rowid FROM "));
        idStatement = m_connection.sql(idStatement);
    }
    readIds(idStatement);
    if (!m_snapshot)
        m_connection.rollbackTrans();

    QSqlQuery columns(m_connection.database());
    if (!columns.exec(m_connection.sql(QStringLiteral("SELECT * FROM (") + m_statement
                                       + QStringLiteral(") AS righe LIMIT 0"))))
        throw m_connection.failure(columns);
    const QSqlRecord record = columns.record();
    for (int i = 0; i < record.count(); ++i)
        m_fields.append(record.fieldName(i));
}

// The ids are read straight from the engine: a million of them in a few tens of
// milliseconds, where a value object a row would take several times as long.
void QueryRowSource::readIds(const QString &idStatement)
{
    if (m_connection.isServer()) {
        readServerIds(m_connection.database(), m_connection.path(), idStatement, m_ids);
        return;
    }
    auto *handle = *static_cast<sqlite3 *const *>(m_connection.database().driver()->handle().data());
    sqlite3_stmt *statement = nullptr;
    const QByteArray sql = idStatement.toUtf8();
    if (sqlite3_prepare_v2(handle, sql.constData(), int(sql.size()), &statement, nullptr) != SQLITE_OK) {
        const DbError error = engineError(sqlite3_extended_errcode(handle), QString::fromUtf8(sqlite3_errmsg(handle)),
                                          m_connection.path());
        sqlite3_finalize(statement);
        throw error;
    }
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
        m_ids.push_back(sqlite3_column_int64(statement, 0));
    const DbError error
        = engineError(sqlite3_extended_errcode(handle), QString::fromUtf8(sqlite3_errmsg(handle)), m_connection.path());
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE)
        throw error;
}

QueryRowSource::~QueryRowSource()
{
    m_connection.rollbackTrans();
}

QVariant QueryRowSource::value(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= m_fields.size())
        return QVariant();
    const Page &rows = page(row / pageSize);
    const auto &values = rows.at(size_t(row % pageSize));
    return values.value(column);
}

const QueryRowSource::Page &QueryRowSource::page(int index) const
{
    if (auto found = m_pages.find(index); found != m_pages.end()) {
        m_order.removeOne(index);
        m_order.append(index);
        return **found;
    }
    const size_t first = size_t(index) * pageSize;
    const size_t last = std::min(m_ids.size(), first + pageSize);
    QStringList idList;
    for (size_t i = first; i < last; ++i)
        idList.append(QString::number(m_ids[i]));
    QSqlQuery query(const_cast<Connection &>(m_connection).database());
    query.setForwardOnly(true);
    // The select list of the statement, read for the ids of this page only.
    static const QRegularExpression fromClause(QStringLiteral("\\s+FROM\\s+.*$"),
                                               QRegularExpression::CaseInsensitiveOption
                                                   | QRegularExpression::DotMatchesEverythingOption);
    QString selectPart = m_statement;
    selectPart.replace(fromClause, QString());
    const QString sql = m_connection.sql(selectPart + QStringLiteral(", rowid AS __riga__ FROM ") + m_table
                                         + QStringLiteral(" WHERE rowid IN (") + idList.join(QLatin1Char(','))
                                         + QLatin1Char(')'));
    auto rows = std::make_shared<Page>(last - first);
    // A page that cannot be read is an error, never blank rows: nothing is kept,
    // so the next read tries again.
    if (!query.exec(sql))
        throw m_connection.failure(query);
    QHash<qint64, QVector<QVariant>> byId;
    const int columns = int(m_fields.size());
    while (query.next()) {
        QVector<QVariant> values(columns);
        for (int c = 0; c < columns; ++c)
            values[c] = query.value(c);
        byId.insert(query.value(columns).toLongLong(), std::move(values));
    }
    if (query.lastError().isValid())
        throw m_connection.failure(query);
    for (size_t i = first; i < last; ++i)
        (*rows)[i - first] = byId.value(m_ids[i]);
    m_pages.insert(index, rows);
    m_order.append(index);
    while (m_order.size() > pagesKept)
        m_pages.remove(m_order.takeFirst());
    return *rows;
}

void QueryRowSource::removeRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    m_ids.erase(m_ids.begin() + row);
    invalidate();
}

void QueryRowSource::appendRow(qint64 id)
{
    m_ids.push_back(id);
    invalidate();
}

} // namespace db
