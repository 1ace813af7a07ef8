#include "core/engines/ServerCopy.h"

#include "core/engines/DbError.h"
#include "core/engines/Engine.h"
#include "core/engines/ServerLocation.h"

#include <QSqlDatabase>
#include <QVariant>
#include <libpq-fe.h>

#include <optional>
#include <vector>

namespace db {

namespace {
// A DbError for a failure libpq reported on `connection`: of `result` when there
// is one, otherwise of the connection itself.
DbError failureOf(PGconn *connection, const PGresult *result, const QString &uri)
{
    const char *state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const char *words = result ? PQresultErrorMessage(result) : PQerrorMessage(connection);
    return serverError(QString::fromLatin1(state ? state : ""), QString::fromUtf8(words).trimmed(), uri,
                       PQstatus(connection) == CONNECTION_BAD);
}

// A whole number written in decimal digits.
qint64 idOf(const char *digits, int length)
{
    qint64 id = 0;
    for (int i = 0; i < length && digits[i] >= '0' && digits[i] <= '9'; ++i)
        id = id * 10 + (digits[i] - '0');
    return id;
}

// A value as text in COPY's format: backslash, tab and line ends escaped, NULL as \N.
void appendCopyValue(QByteArray &line, const QVariant &value)
{
    if (value.isNull()) {
        line += "\\N";
        return;
    }
    const QByteArray text = value.toString().remove(QChar(0)).toUtf8();
    for (const char c : text) {
        switch (c) {
        case '\\':
            line += "\\\\";
            break;
        case '\t':
            line += "\\t";
            break;
        case '\n':
            line += "\\n";
            break;
        case '\r':
            line += "\\r";
            break;
        default:
            line += c;
        }
    }
}
// How a COPY ended, once its data has gone through: nothing when it succeeded,
// otherwise the server's failure. Every result is taken, so that the connection
// is ready for the next statement.
std::optional<DbError> copyOutcome(PGconn *connection, const QString &uri)
{
    std::optional<DbError> failure;
    while (PGresult *result = PQgetResult(connection)) {
        if (PQresultStatus(result) != PGRES_COMMAND_OK)
            failure = failureOf(connection, result, uri);
        PQclear(result);
    }
    return failure;
}
} // namespace

CopyIn::CopyIn(QSqlDatabase &database, QString uri, QString table, const QStringList &columns)
    : m_connection(libpqOf(database)), m_uri(std::move(uri)), m_table(std::move(table))
{
    QStringList names;
    for (const QString &column : columns)
        names.append(quotedName(column));
    const QByteArray start
        = QStringLiteral("COPY %1 (%2) FROM STDIN").arg(quotedName(m_table), names.join(QLatin1Char(','))).toUtf8();
    PGresult *result = PQexec(m_connection, start.constData());
    if (PQresultStatus(result) != PGRES_COPY_IN) {
        const DbError error = failureOf(m_connection, result, m_uri);
        PQclear(result);
        fail(error);
    }
    PQclear(result);
}

void CopyIn::fail(const DbError &error) const
{
    throw DbError(error.kind(),
                  QStringLiteral("La copia della tabella \"%1\" sul server si è interrotta. ").arg(m_table)
                      + error.reason(),
                  QString(), m_uri);
}

void CopyIn::add(const QVariantList &row)
{
    for (int i = 0; i < row.size(); ++i) {
        if (i > 0)
            m_buffer += '\t';
        appendCopyValue(m_buffer, row.at(i));
    }
    m_buffer += '\n';
    if (m_buffer.size() > (1 << 20))
        send();
}

void CopyIn::send()
{
    if (PQputCopyData(m_connection, m_buffer.constData(), int(m_buffer.size())) != 1)
        fail(failureOf(m_connection, nullptr, m_uri));
    m_buffer.clear();
}

void CopyIn::finish()
{
    if (!m_buffer.isEmpty())
        send();
    if (PQputCopyEnd(m_connection, nullptr) != 1)
        fail(failureOf(m_connection, nullptr, m_uri));
    if (const std::optional<DbError> failure = copyOutcome(m_connection, m_uri))
        fail(*failure);
}

qint64 selectIds(QSqlDatabase &database, const QString &uri, const QString &select, const QStringList &values,
                 const std::function<void(qint64)> &take)
{
    std::vector<QByteArray> texts;
    std::vector<const char *> parameters;
    for (const QString &value : values)
        texts.push_back(value.toUtf8());
    for (const QByteArray &text : texts)
        parameters.push_back(text.constData());
    const QByteArray sql = select.toUtf8();
    PGresult *result = PQexecParams(libpqOf(database), sql.constData(), int(parameters.size()), nullptr,
                                    parameters.data(), nullptr, nullptr, 0);
    if (PQresultStatus(result) != PGRES_TUPLES_OK) {
        const DbError error = failureOf(libpqOf(database), result, uri);
        PQclear(result);
        throw error;
    }
    const int rows = PQntuples(result);
    try {
        for (int row = 0; row < rows; ++row)
            take(idOf(PQgetvalue(result, row, 0), PQgetlength(result, row, 0)));
    } catch (...) {
        PQclear(result);
        throw;
    }
    PQclear(result);
    return rows;
}

} // namespace db
