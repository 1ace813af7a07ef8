#pragma once
// The catalogue as an SQLite file (db1.mdb): readable and writable by any SQLite
// tool. LIKE folds the case of every letter (Like.h); a change takes the write
// lock with BEGIN IMMEDIATE; the counters are AUTOINCREMENT and remember the
// highest number given in sqlite_sequence; searches go through the FTS5 trigram
// index (FileSearchIndex.h); IDs are read with sqlite3_step, a batch at a time.
#include "core/engines/Engine.h"

struct sqlite3;

namespace db {

class FileEngine : public Engine {
public:
    std::unique_ptr<Connection> connect(const QString &location) const override;
    void createCatalogue(const QString &location) const override;
    CatalogueCheck checkCatalogue(const QString &location) const override;
    IndexRepair checkSearchIndex(const QString &location, const IndexProgress &progress) const override;
    bool searchIndexWantsRepair(const QString &location) const override;
    QString shown(const QString &location) const override;
    bool sharedByWorkstations() const override { return false; }
    std::unique_ptr<WorkstationMark> markWorkstation(const QString &location) const override;
    // A file opens in a fraction of a millisecond, and is left free for other
    // programs between actions.
    bool keepsConnections() const override { return false; }
};

class FileConnection : public Connection {
public:
    // Opens the catalogue file; throws DbError when it is missing or cannot be opened.
    explicit FileConnection(const QString &path);

    void beginChange() override;
    void beginSnapshot() override;
    qint64 nextId(const QString &table) override;
    void numberAfter(const QString &table, qint64 lastUsed) override;
    qint64 readIds(const std::optional<Search> &search, const IdRange &range, const IdSink &take) override;
    void dropSearchIndex() override;
    void buildSearchIndex() override;
    bool hasSearchIndex() override;
    void settle() override;
    QString integrityProblem() override;
    int otherWorkstations() override { return 0; }

protected:
    DbError errorOf(const QSqlError &error) const override;

private:
    sqlite3 *handle();
    void useWriteAheadLog();
    qint64 searchIds(const Search &search, const IdRange &range, const IdSink &take);
    // The IDs a search finds, read from Tabella itself, without the index.
    qint64 scanIds(const Search &search, const IdRange &range, const IdSink &take);
    // `select` gives rowid and ends in a WHERE or AND: the range and the order follow it.
    qint64 streamIds(const QString &select, const QStringList &values, const IdRange &range, const IdSink &take);
};

// The statements that make the catalogue's tables in a file, from the schema,
// exactly as every catalogue file has always been made.
QStringList fileTableStatements();

} // namespace db
