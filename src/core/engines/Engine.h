#pragma once
// One interface for the two engines a catalogue can live on: the SQLite file
// db1.mdb, and a PostgreSQL server named by a postgresql:// URI for an office.
// `Engine` is what an engine knows of catalogues of its kind without being
// connected to one (making, checking and showing them); `Connection` is one
// connection to a catalogue, on which the store reads and writes. What the two
// engines do differently lives in their own classes (FileEngine, ServerEngine);
// every statement they write names tables and fields as the schema does and
// binds every value.
#include "core/engines/DbError.h"
#include "core/engines/Schema.h"
#include "core/engines/Search.h"

#include <QHash>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <span>

namespace db {

// How long an action waits for another program or workstation to let go of the catalogue.
constexpr int busyWaitMilliseconds = 5000;

class Connection;
class WorkstationMark;

// What the start-up check of a search index did.
enum class IndexRepair {
    None,     // index, note and triggers whole, nothing noted
    CaughtUp, // rows noted as changed were brought into the index
    Upgraded, // an older catalogue's triggers replaced by the noting ones
    Rebuilt,  // the index made anew from Tabella
};
// Called with 0 when a long piece of work starts, then with the percentage done.
using IndexProgress = std::function<void(int percent)>;

// The IDs a batch reads: those above `after` and not above `upTo`, at most `limit` of them.
struct IdRange {
    qint64 after = 0;
    qint64 upTo = std::numeric_limits<qint64>::max();
    qint64 limit = std::numeric_limits<qint64>::max();
};
// Takes the IDs read, one at a time.
using IdSink = std::function<void(qint64 id)>;

// What the check of a catalogue found. The engine tells what is wrong; the
// catalogue layer words a damaged or read-only catalogue with its advice.
struct CatalogueCheck {
    enum class Problem { None, Damaged, ReadOnly, DiskFull, Other };
    Problem problem = Problem::None;
    // Damaged: the engine's reason; Other: the whole explanation, naming the catalogue.
    QString text;
};

class Engine {
public:
    // The engine of the catalogue at `location`: the server's for a postgresql://
    // URI, the file's for a path. The one place that tells them apart.
    static const Engine &of(const QString &location);
    virtual ~Engine() = default;

    // A new connection to the catalogue. Throws DbError when it cannot be opened.
    virtual std::unique_ptr<Connection> connect(const QString &location) const = 0;
    // Makes an empty catalogue: the tables of the schema, the counter at 0 and the
    // search index. Throws DbError when there is one already or it cannot be made.
    virtual void createCatalogue(const QString &location) const = 0;
    // Whether the catalogue can be used, and what is wrong with it when not.
    // Never changes anything.
    virtual CatalogueCheck checkCatalogue(const QString &location) const = 0;
    // At program start: the search index checked and repaired, the rows changed by
    // other programs brought in. May run on a worker thread. Throws DbError.
    virtual IndexRepair checkSearchIndex(const QString &location, const IndexProgress &progress) const = 0;
    // Whether a search met a search index that could not help (missing, not as the
    // program makes it, or broken) since its last check: it wants checkSearchIndex().
    virtual bool searchIndexWantsRepair(const QString &location) const = 0;
    // The catalogue as the user knows it: the file, or the server without a password.
    virtual QString shown(const QString &location) const = 0;
    // Whether workstations of an office share the catalogue (a server), rather
    // than one program keeping it in its own folder.
    virtual bool sharedByWorkstations() const = 0;
    // The mark this workstation holds while the program works on a shared
    // catalogue; none for a file. Throws DbError.
    virtual std::unique_ptr<WorkstationMark> markWorkstation(const QString &location) const = 0;
    // Whether a connection is worth keeping open between actions: one that costs
    // far more to open than an action takes.
    virtual bool keepsConnections() const = 0;
};

class Connection {
public:
    virtual ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // The catalogue: its file, or the server's URI.
    const QString &location() const { return m_location; }
    // Whether the connection still reaches the catalogue, outside a transaction;
    // asked of a connection kept between actions before it is used again.
    virtual bool answers() { return m_db.isOpen() && !m_transactionOpen; }
    QSqlDatabase &database() { return m_db; }
    const QSqlDatabase &database() const { return m_db; }

    // ---- transactions ----
    // A change: the catalogue's write lock is taken at its start, waiting a few
    // seconds for another program or workstation to let go of it (then DbError,
    // kind Busy), so that what the change reads stays true until it ends.
    virtual void beginChange() = 0;
    // A read: what it reads stays as it was when it first read.
    virtual void beginSnapshot() = 0;
    void commit();
    void rollback(); // throws nothing; does nothing outside a transaction
    bool inTransaction() const { return m_transactionOpen; }

    // ---- rows of a table, by their fields ----
    // `fields` of every row, in ID order (the table's order when it has no ID).
    QList<QVariantList> rows(const QString &table, const QStringList &fields);
    // The same, one row at a time, without keeping them.
    void eachRow(const QString &table, const QStringList &fields, const std::function<void(const QVariantList &)> &take);
    // Every field of the row with that ID, field -> value; nothing when there is none.
    std::optional<QMap<QString, QVariant>> row(const QString &table, qint64 id);
    // `fields` of the rows of Tabella with these IDs, by ID; an ID without a row is left out.
    QHash<qint64, QVariantList> rowsById(const QStringList &fields, std::span<const qint64> ids);
    qint64 count(const QString &table);
    // The fields `table` has in the catalogue, in its order: those of the schema,
    // unless another program changed the table. Asked once a connection (a kept
    // server connection is asked for them by every window it serves).
    QStringList fieldsOf(const QString &table);
    // Adds a row, field -> value (field names in any letter case); a text without
    // value is stored as the empty text. The table's counter is given by the
    // engine unless `fields` holds it. Returns the row's ID (0 without a counter).
    qint64 insert(const QString &table, const QMap<QString, QVariant> &fields);
    // Changes those fields of the row with that ID; false when there is none.
    bool update(const QString &table, qint64 id, const QMap<QString, QVariant> &fields);
    // Changes those fields of every row; the number of rows changed.
    int updateAll(const QString &table, const QMap<QString, QVariant> &fields);
    // Deletes the row with that ID; false when there is none.
    bool remove(const QString &table, qint64 id);
    // Deletes the rows with these IDs (those still there).
    void remove(const QString &table, const QList<qint64> &ids);
    void removeAll(const QString &table);

    // ---- numbering ----
    // The ID the next row of `table` gets; once a row has it, never given again.
    virtual qint64 nextId(const QString &table) = 0;
    // The next row of `table` gets more than `lastUsed` and more than every ID in use.
    virtual void numberAfter(const QString &table, qint64 lastUsed) = 0;

    // ---- the records' IDs, a batch at a time ----
    // The highest ID of Tabella now, 0 when it has no row.
    qint64 lastId();
    // Hands to `take`, in ID order, the IDs within `range` of every record, or of
    // those `search` finds, and returns how many it handed: fewer than the range's
    // limit only when there are no more. Each call reads in statements of its own
    // and leaves no transaction open (one the caller opened stays as it was), so a
    // window reading its IDs a batch at a time holds nothing between batches.
    virtual qint64 readIds(const std::optional<Search> &search, const IdRange &range, const IdSink &take) = 0;

    // ---- the search index ----
    // Removed before rows are loaded in bulk and built once at the end: many times
    // faster than kept up row by row.
    virtual void dropSearchIndex() = 0;
    virtual void buildSearchIndex() = 0;
    // Whether the index is there, whole, exactly as this program makes it.
    virtual bool hasSearchIndex() = 0;

    // ---- the whole catalogue ----
    // Everything stored into the catalogue itself, so that it can be moved alone.
    virtual void settle() = 0;
    // The engine's own check of the catalogue's storage: empty when it is sound.
    virtual QString integrityProblem() = 0;
    // Workstations other than this program that have the catalogue open now.
    virtual int otherWorkstations() = 0;

    // ---- statements of the engine's own, and the tests' ----
    // Runs `sql` with `values` bound to its placeholders in order; the query is
    // ready to be walked, and must not outlive the connection. Throws DbError.
    QSqlQuery run(const QString &sql, const QVariantList &values = {});
    // The name of a table or field as this engine's statements write it.
    virtual QString name(const QString &identifier) const;
    // A DbError for the last failure of `query`, or of the connection itself.
    DbError failure(const QSqlQuery &query) const;
    DbError failure() const;

protected:
    // Registers a connection of `driver`; the engine sets it up and opens it.
    Connection(QString location, const QString &driver);
    virtual DbError errorOf(const QSqlError &error) const = 0;
    // The table of the schema of that name, in any letter case. Throws DbError
    // for a name that is no table of the catalogue.
    static const schema::Table &tableOf(const QString &name);
    // Runs a transaction's opening statements; the transaction is open when they all ran.
    void begin(const QStringList &statements);
    // A statement prepared once on this connection and kept for the next call.
    QSqlQuery &prepared(const QString &sql);
    void exec(QSqlQuery &query);
    void runAll(const QStringList &statements);
    // Closes the connection; the destructor does it too.
    void close();

private:
    QString names(const QStringList &fields) const;

    QString m_location;
    QString m_name;
    QSqlDatabase m_db;
    QHash<QString, QSqlQuery> m_prepared;
    QHash<QString, QStringList> m_fields; // fieldsOf's answers, by table
    bool m_transactionOpen = false;
};

// Runs a change of several steps in one transaction: committed when `work`
// returns, rolled back when it throws (the exception goes on).
template <typename Work> void inChange(Connection &connection, Work &&work)
{
    connection.beginChange();
    try {
        work();
    } catch (...) {
        connection.rollback();
        throw;
    }
    connection.commit();
}

// Runs `work`, which only reads, in a read transaction: the caller's when one is
// open, else one of its own, rolled back when `work` ends. Returns what it returns.
template <typename Work> auto inSnapshot(Connection &connection, Work &&work)
{
    const bool own = !connection.inTransaction();
    if (own)
        connection.beginSnapshot();
    try {
        auto result = work();
        if (own)
            connection.rollback();
        return result;
    } catch (...) {
        if (own)
            connection.rollback();
        throw;
    }
}

// A name between double quotes, as standard SQL quotes it, its own quotes doubled.
QString quotedName(const QString &name);

// A new connection to the catalogue at `location`, by its engine. Throws DbError.
std::unique_ptr<Connection> connect(const QString &location);

} // namespace db
