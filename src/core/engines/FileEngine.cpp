#include "core/engines/FileEngine.h"

#include "core/engines/FileCatalogue.h"
#include "core/engines/FileSearchIndex.h"
#include "core/engines/Like.h"
#include "core/engines/Workstations.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <sqlite3.h>

namespace db {

namespace {
// A name as the file's statements have always written it: bare when it is a
// plain word, quoted otherwise ("N°").
QString bareOrQuoted(const QString &name)
{
    for (const QChar c : name)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('_'))
            return QLatin1Char('"') + name + QLatin1Char('"');
    return name;
}

QString columnType(const schema::Field &field)
{
    switch (field.type) {
    case schema::Type::Counter:
        return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    case schema::Type::Text:
        return QStringLiteral("TEXT");
    case schema::Type::WholeNumber:
        return QStringLiteral("INTEGER NOT NULL CHECK (typeof(%1) = 'integer')").arg(bareOrQuoted(field.name));
    }
    return QString();
}
} // namespace

QStringList fileTableStatements()
{
    QStringList statements;
    for (const schema::Table &table : schema::tables()) {
        QStringList columns;
        for (const schema::Field &field : table.fields)
            columns.append(bareOrQuoted(field.name) + QLatin1Char(' ') + columnType(field));
        statements.append(
            QStringLiteral("CREATE TABLE %1 (%2)").arg(bareOrQuoted(table.name), columns.join(QStringLiteral(", "))));
    }
    return statements;
}

// ---- the engine ----

std::unique_ptr<Connection> FileEngine::connect(const QString &location) const
{
    return std::make_unique<FileConnection>(location);
}

void FileEngine::createCatalogue(const QString &location) const
{
    createCatalogueFile(location);
}

CatalogueCheck FileEngine::checkCatalogue(const QString &location) const
{
    return checkCatalogueFile(location);
}

bool FileEngine::searchIndexWantsRepair(const QString &location) const
{
    return db::searchIndexWantsRepair(location);
}

IndexRepair FileEngine::checkSearchIndex(const QString &location, const IndexProgress &progress) const
{
    return db::checkSearchIndex(location, progress);
}

QString FileEngine::shown(const QString &location) const
{
    return QDir::toNativeSeparators(location);
}

std::unique_ptr<WorkstationMark> FileEngine::markWorkstation(const QString &) const
{
    return nullptr; // a file has one program: CatalogueLock marks it
}

// ---- a connection ----

FileConnection::FileConnection(const QString &path) : Connection(path, QStringLiteral("QSQLITE"))
{
    const QFileInfo file(path);
    if (!file.exists() || !file.isFile())
        throw DbError(QStringLiteral("Il file del catalogo \"%1\" non esiste.").arg(path));
    database().setDatabaseName(path);
    database().setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyWaitMilliseconds));
    if (!database().open()) {
        const DbError error = failure();
        close();
        throw DbError(error.kind(), QStringLiteral("Impossibile aprire il catalogo \"%1\".").arg(path),
                      error.engineWords(), path);
    }
    if (!handle() || !installLike(handle()) || !installTrigramTokenizer(handle())) {
        close();
        throw DbError(QStringLiteral("Impossibile preparare il confronto LIKE sul catalogo."));
    }
    useWriteAheadLog();
}

sqlite3 *FileConnection::handle()
{
    return *static_cast<sqlite3 *const *>(database().driver()->handle().data());
}

DbError FileConnection::errorOf(const QSqlError &error) const
{
    return engineError(error, location());
}

// In write-ahead-log mode a reader never holds up a writer: an open search
// window's snapshot cannot block an insertion. A catalogue restored from a dump,
// or made by another tool, is switched when the program first opens it; one
// that may not be written stays as it is.
void FileConnection::useWriteAheadLog()
{
    QSqlQuery mode(database());
    if (mode.exec(QStringLiteral("PRAGMA journal_mode")) && mode.next()
        && mode.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0)
        return;
    mode.finish();
    QSqlQuery(database()).exec(QStringLiteral("PRAGMA journal_mode=WAL"));
}

// The write lock first: a transaction that reads and then wants to write could
// not wait for another writer without the risk of a deadlock, so the engine
// would fail it at once.
void FileConnection::beginChange()
{
    begin({QStringLiteral("BEGIN IMMEDIATE")});
}

void FileConnection::beginSnapshot()
{
    begin({QStringLiteral("BEGIN")});
}

// The counter never hands out a number again: the next one is above both the
// highest number ever given and the highest one in use.
qint64 FileConnection::nextId(const QString &table)
{
    const QString which = tableOf(table).name;
    QSqlQuery next = run(QStringLiteral("SELECT MAX(COALESCE((SELECT seq FROM sqlite_sequence WHERE name = ? COLLATE"
                                        " NOCASE), 0), COALESCE((SELECT MAX(rowid) FROM %1), 0)) + 1")
                             .arg(name(which)),
                         {which});
    if (!next.next())
        throw failure(next);
    return next.value(0).toLongLong();
}

void FileConnection::numberAfter(const QString &table, qint64 lastUsed)
{
    // AUTOINCREMENT numbers the next row above the highest value kept in
    // sqlite_sequence and above every row present.
    const QString which = tableOf(table).name;
    QSqlQuery highest = run(QStringLiteral("SELECT COALESCE(MAX(rowid), 0) FROM %1").arg(name(which)));
    if (!highest.next())
        throw failure(highest);
    const qint64 seq = std::max(highest.value(0).toLongLong(), lastUsed);
    highest.finish();
    if (run(QStringLiteral("UPDATE sqlite_sequence SET seq = ? WHERE name = ? COLLATE NOCASE"), {seq, which})
            .numRowsAffected()
        == 0)
        run(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"), {which, seq});
}

qint64 FileConnection::readIds(const std::optional<Search> &search, const IdRange &range, const IdSink &take)
{
    if (!search)
        return streamIds(QStringLiteral("SELECT rowid FROM Tabella WHERE"), {}, range, take);
    // What the search index says and the rows it points to are read at one
    // moment: a read transaction for this batch alone.
    return inSnapshot(*this, [&] { return searchIds(*search, range, take); });
}

qint64 FileConnection::searchIds(const Search &search, const IdRange &range, const IdSink &take)
{
    if (search.hasIndexableRun()) {
        IndexState state = searchIndexState(database());
        if (state == IndexState::ChangesPending) {
            // Rows changed since the last search: brought into the index first, when
            // the catalogue can be written at once.
            const bool reading = inTransaction();
            rollback();
            catchUpSearchIndex(location());
            if (reading)
                beginSnapshot();
            state = searchIndexState(database());
        }
        if (state == IndexState::Missing)
            noteSearchIndexBroken(location());
        if (state != IndexState::Missing) {
            const IdQuery indexed = indexedSearch(search, state == IndexState::ChangesPending);
            if (!indexed.sql.isEmpty()) {
                // An index that breaks while the program runs (its tables dropped or
                // damaged by another client) is not the catalogue's fault: the search
                // goes on through Tabella itself, and the index is noted for repair.
                IdRange rest = range;
                qint64 handed = 0;
                try {
                    return streamIds(indexed.sql + QStringLiteral(" AND"), indexed.values, range, [&](qint64 id) {
                        take(id);
                        rest.after = id;
                        ++handed;
                    });
                } catch (const DbError &error) {
                    if (error.kind() == DbError::Kind::Busy)
                        throw;
                    noteSearchIndexBroken(location());
                }
                rest.limit -= handed;
                return handed + scanIds(search, rest, take);
            }
        }
    }
    return scanIds(search, range, take);
}

qint64 FileConnection::scanIds(const Search &search, const IdRange &range, const IdSink &take)
{
    return streamIds(QStringLiteral("SELECT rowid FROM Tabella WHERE %1 LIKE ? AND").arg(name(search.fieldName())),
                     {search.pattern()}, range, take);
}

// The IDs are read straight from the engine: a million of them in a few tens of
// milliseconds, where a value object a row would take several times as long.
qint64 FileConnection::streamIds(const QString &select, const QStringList &values, const IdRange &range,
                                 const IdSink &take)
{
    sqlite3 *const engine = handle();
    const auto lastError = [&] {
        return engineError(sqlite3_extended_errcode(engine), QString::fromUtf8(sqlite3_errmsg(engine)), location());
    };
    sqlite3_stmt *statement = nullptr;
    const QByteArray text = (select + QStringLiteral(" rowid > ? AND rowid <= ? ORDER BY rowid LIMIT ?")).toUtf8();
    if (sqlite3_prepare_v2(engine, text.constData(), int(text.size()), &statement, nullptr) != SQLITE_OK) {
        const DbError error = lastError();
        sqlite3_finalize(statement);
        throw error;
    }
    int index = 0;
    for (const QString &value : values) {
        const QByteArray utf8 = value.toUtf8();
        sqlite3_bind_text(statement, ++index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    for (const qint64 bound : {range.after, range.upTo, range.limit})
        sqlite3_bind_int64(statement, ++index, bound);
    qint64 handed = 0;
    int rc;
    try {
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            take(sqlite3_column_int64(statement, 0));
            ++handed;
        }
    } catch (...) {
        sqlite3_finalize(statement);
        throw;
    }
    const DbError error = lastError();
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE)
        throw error;
    return handed;
}

void FileConnection::dropSearchIndex()
{
    runAll(searchIndexDropStatements());
}

void FileConnection::buildSearchIndex()
{
    runAll(searchIndexCreateStatements());
}

bool FileConnection::hasSearchIndex()
{
    return searchIndexState(database()) != IndexState::Missing;
}

void FileConnection::settle()
{
    QSqlQuery(database()).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

QString FileConnection::integrityProblem()
{
    QSqlQuery check = run(QStringLiteral("PRAGMA quick_check"));
    const QString verdict = check.next() ? check.value(0).toString() : QString();
    return verdict == QLatin1String("ok") ? QString() : verdict;
}

} // namespace db
