#pragma once
// The catalogue as an SQLite file (db1.mdb): readable and writable by any SQLite
// tool. LIKE folds the case of every letter (Like.h); a change takes the write
// lock with BEGIN IMMEDIATE; the counters are AUTOINCREMENT and remember the
// highest number given in sqlite_sequence; searches go through the FTS5 trigram
// index (FileSearchIndex.h); IDs are read with sqlite3_step.
#include "core/engines/Engine.h"

struct sqlite3;

namespace db {

class FileEngine : public Engine {
public:
    std::unique_ptr<Connection> connect(const QString &location) const override;
    void createCatalogue(const QString &location) const override;
    CatalogueCheck checkCatalogue(const QString &location) const override;
    IndexRepair checkSearchIndex(const QString &location, const IndexProgress &progress) const override;
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
    void readIds(const std::optional<Search> &search, std::vector<qint64> &ids) override;
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
    void streamIds(const QString &sql, const QStringList &values, std::vector<qint64> &ids);
};

// The statements that make the catalogue's tables in a file, from the schema,
// exactly as every catalogue file has always been made.
QStringList fileTableStatements();

} // namespace db
