#include "core/engines/ServerEngine.h"

#include "core/engines/ServerCatalogue.h"
#include "core/engines/ServerCopy.h"
#include "core/engines/ServerLocation.h"
#include "core/engines/ServerSearchTables.h"
#include "core/engines/Workstations.h"

#include <QSqlError>

namespace db {

// ---- the engine ----

std::unique_ptr<Connection> ServerEngine::connect(const QString &location) const
{
    return std::make_unique<ServerConnection>(location);
}

void ServerEngine::createCatalogue(const QString &location) const
{
    createServerCatalogue(location);
}

CatalogueCheck ServerEngine::checkCatalogue(const QString &location) const
{
    const QString problem = checkServerCatalogue(location);
    if (problem.isEmpty())
        return {};
    return {CatalogueCheck::Problem::Other, problem};
}

IndexRepair ServerEngine::checkSearchIndex(const QString &, const IndexProgress &) const
{
    return IndexRepair::None;
}

QString ServerEngine::shown(const QString &location) const
{
    return serverLabel(location);
}

std::unique_ptr<WorkstationMark> ServerEngine::markWorkstation(const QString &location) const
{
    return std::make_unique<WorkstationMark>(location);
}

// ---- a connection ----

ServerConnection::ServerConnection(const QString &uri) : Connection(uri, QStringLiteral("QPSQL"))
{
    try {
        openServerDatabase(database(), uri);
    } catch (...) {
        close();
        throw;
    }
}

bool ServerConnection::answers()
{
    return Connection::answers() && connectionAnswers(database());
}

DbError ServerConnection::errorOf(const QSqlError &error) const
{
    return serverError(error, location(), connectionBroken(database()));
}

// One change at a time, each waiting for the one before (lock_timeout, then
// Busy), as BEGIN IMMEDIATE does on the file. The counter's table is the lock,
// so a document number read in the transaction is still free at its end.
void ServerConnection::beginChange()
{
    begin({QStringLiteral("BEGIN"),
           QStringLiteral("LOCK TABLE %1 IN SHARE ROW EXCLUSIVE MODE").arg(name(schema::counterTable().name))});
}

void ServerConnection::beginSnapshot()
{
    begin({QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ")});
}

qint64 ServerConnection::nextId(const QString &table)
{
    const schema::Table &which = tableOf(table);
    QSqlQuery next
        = run(QStringLiteral("SELECT nextval(pg_get_serial_sequence(?, ?))"), {name(which.name), which.counter()});
    if (!next.next())
        throw failure(next);
    return next.value(0).toLongLong();
}

// The table's sequence: the next row gets the first number above `lastUsed` and
// those in use. A sequence cannot be set below 1: "not yet used" says 1 is next.
void ServerConnection::numberAfter(const QString &table, qint64 lastUsed)
{
    const schema::Table &which = tableOf(table);
    const QString used = QStringLiteral("GREATEST(CAST(? AS bigint), (SELECT COALESCE(MAX(%1), 0) FROM %2))")
                             .arg(name(which.counter()), name(which.name));
    run(QStringLiteral("SELECT setval(pg_get_serial_sequence(?, ?), GREATEST(%1, 1), %1 >= 1)").arg(used),
        {name(which.name), which.counter(), lastUsed, lastUsed});
}

QString ServerConnection::searchSelect(const Search &search)
{
    const QString fragment = QStringLiteral("$1");
    // Through the field's narrow search table, when triggers keep it in step;
    // otherwise Tabella itself, exact but slower.
    if (searchTableTrusted(database(), location(), search.fieldName()))
        return QStringLiteral("SELECT \"ID\" FROM %1 WHERE \"Valore\" LIKE lower(%2) ESCAPE ''")
            .arg(name(searchTable(search.fieldName())), fragment);
    const schema::Table &tabella = schema::tabella();
    return QStringLiteral("SELECT %1 FROM %2 WHERE %3 ILIKE %4 ESCAPE ''")
        .arg(name(tabella.counter()), name(tabella.name), name(search.fieldName()), fragment);
}

qint64 ServerConnection::readIds(const std::optional<Search> &search, const IdRange &range, const IdSink &take)
{
    const auto inRange = [&](const QString &select, QStringList values) {
        const auto mark = [&values](qint64 bound) {
            values.append(QString::number(bound));
            return QStringLiteral("$%1").arg(values.size());
        };
        const QString id = name(schema::tabella().counter());
        const QString sql = QStringLiteral("%1 AND %2 > %3 AND %2 <= %4 ORDER BY %2 LIMIT %5")
                                .arg(select, id, mark(range.after), mark(range.upTo), mark(range.limit));
        return selectIds(database(), location(), sql, values, take);
    };
    if (!search) {
        const schema::Table &tabella = schema::tabella();
        return inRange(QStringLiteral("SELECT %1 FROM %2 WHERE TRUE").arg(name(tabella.counter()), name(tabella.name)),
                       {});
    }
    // The plan setting holds for this batch's transaction only.
    return inSnapshot(*this, [&] {
        // A fragment of one or two letters has no trigram: the index would be
        // walked whole, slower than the table.
        if (!search->hasIndexableRun())
            run(QStringLiteral("SET LOCAL enable_bitmapscan = off"));
        return inRange(searchSelect(*search), {search->pattern()});
    });
}

void ServerConnection::dropSearchIndex()
{
    runAll(searchTableStatements(false));
}

void ServerConnection::buildSearchIndex()
{
    runAll(searchTableStatements(true));
}

bool ServerConnection::hasSearchIndex()
{
    for (const QString &field : schema::searchableFields())
        if (!searchTableTrusted(database(), location(), field))
            return false;
    return true;
}

int ServerConnection::otherWorkstations()
{
    return db::otherWorkstations(database(), location());
}

} // namespace db
