#pragma once
// The catalogue on a PostgreSQL server, for an office where several workstations
// record into one catalogue (through Qt's QPSQL, and libpq for COPY). The tables
// are made with their names quoted, as the schema spells them; searches fold
// letter case with ILIKE, or LIKE on the lower-cased search tables
// (ServerSearchTables.h); a change locks the counter's table so that a document
// number read in it is still free at its end; the counters are identity
// sequences; IDs are read straight from libpq (ServerCopy.h), a batch at a time.
#include "core/engines/Engine.h"

namespace db {

class ServerEngine : public Engine {
public:
    std::unique_ptr<Connection> connect(const QString &location) const override;
    void createCatalogue(const QString &location) const override;
    CatalogueCheck checkCatalogue(const QString &location) const override;
    // The server keeps its own indexes: nothing to check.
    IndexRepair checkSearchIndex(const QString &location, const IndexProgress &progress) const override;
    // The server keeps its search tables up to date by itself.
    bool searchIndexWantsRepair(const QString &) const override { return false; }
    QString shown(const QString &location) const override;
    bool sharedByWorkstations() const override { return true; }
    std::unique_ptr<WorkstationMark> markWorkstation(const QString &location) const override;
    // A new session costs the server a process of its own and the client a sign-in
    // of several round trips: many times what an action takes.
    bool keepsConnections() const override { return true; }
};

class ServerConnection : public Connection {
public:
    // Connects to the catalogue of the URI; throws DbError naming the server when
    // it cannot be reached.
    explicit ServerConnection(const QString &uri);

    // One round trip: a server restarted or a network gone since drops the session.
    bool answers() override;
    void beginChange() override;
    void beginSnapshot() override;
    qint64 nextId(const QString &table) override;
    void numberAfter(const QString &table, qint64 lastUsed) override;
    qint64 readIds(const std::optional<Search> &search, const IdRange &range, const IdSink &take) override;
    void dropSearchIndex() override;
    void buildSearchIndex() override;
    bool hasSearchIndex() override;
    void settle() override {}
    QString integrityProblem() override { return QString(); }
    int otherWorkstations() override;

protected:
    DbError errorOf(const QSqlError &error) const override;

private:
    // The statement giving the IDs a search finds, its pattern bound as $1,
    // ending in its conditions.
    QString searchSelect(const Search &search);
};

} // namespace db
