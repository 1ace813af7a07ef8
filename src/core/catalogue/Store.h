#pragma once
// The catalogue as the program uses it: every operation the windows and the tools
// do on the catalogue is here, said in the catalogue's terms to the engine of the
// catalogue (Engine.h), which writes its own statements. Each call takes a
// connection, does its work (a change of several steps in one transaction) and
// gives the connection back with no transaction open, so every call sees what the
// previous one stored. On a server the connections are kept for the store's life
// and checked before each call (KeptConnections); a file is opened for each call.
//
// Failures of the engine are thrown as DbError; what the program itself refuses
// is thrown as Refusal (see DbError.h). Every change takes the catalogue's write
// lock at its start and waits a few seconds for another program to let go of it.
#include "core/catalogue/DocumentCounter.h"
#include "core/catalogue/LookupList.h"
#include "core/engines/Engine.h"
#include "core/engines/Search.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

namespace db {

class QueryRowSource;
class KeptConnections;

// A record as the entry screen gives it: every field but ID (given by the
// engine) and Prog (the document number).
struct NewRecord {
    QString chiave, argomento, testo, pubblicazione, numero, data, pag, par, note, allocazione;
};

struct LookupEntry {
    qint64 id = 0;
    QString text;
};

// A text as it may be stored: the NUL character, which some programs put on the
// clipboard and which would break the search index, is left out.
QString storable(QString text);

class Store {
public:
    explicit Store(QString catalogPath);

    // The catalogue file's path, or the URI of a server catalogue.
    const QString &catalogPath() const { return m_path; }
    // The engine the catalogue lives on.
    const Engine &engine() const { return *m_engine; }

    // ---- document counter ----
    counter::Reading readCounter() const;
    // Stores `number` as Progressivo, when the counter still holds `expected` (when
    // given) and is one sound row. Returns the counter as it was found: nothing
    // was stored when it has a problem or differs from `expected`.
    counter::Reading storeCounter(qint64 number, std::optional<qint64> expected = std::nullopt) const;

    // ---- records ----
    // Adds the record with `documentNumber` as its Prog and stores that number as
    // the counter, both or neither. The number must follow the counter as it is
    // now: when another copy of the program took it meanwhile, nothing is stored
    // and NumberTaken says which number is free. Returns the record's ID.
    qint64 addRecord(const NewRecord &record, qint64 documentNumber) const;
    // Deletes the record with that ID; false when there is none.
    bool deleteRecord(qint64 id) const;
    // Every record, as the deletion list shows them.
    std::shared_ptr<QueryRowSource> recordList() const;

    // ---- lookup lists ----
    // The entries of a list in the catalogue's order, duplicates kept.
    QList<LookupEntry> lookupEntries(lookups::List list) const;
    void addLookupEntry(lookups::List list, const QString &text) const;
    // Change or delete the entry with that row ID; false when it is not there (any more).
    bool renameLookupEntry(lookups::List list, qint64 id, const QString &text) const;
    bool deleteLookupEntry(lookups::List list, qint64 id) const;

    // ---- service functions ----
    void deleteAllRecords() const;
    // The next record added gets ID 1, or the first number above those still in use.
    void restartNumbering() const;

    // ---- rows the windows show ----
    // Each result is the records of the catalogue at the moment it is asked for
    // (records added later stay out of it), in ID order, their first rows read at
    // once and the others arriving while the window is shown; their fields are read
    // as shown, and a record deleted meanwhile shows empty. None holds a
    // transaction open. Every call throws DbError when the catalogue cannot be read.
    //
    // The search window's first rows: every record.
    std::shared_ptr<QueryRowSource> catalogueSnapshot() const;
    // The records a search finds.
    std::shared_ptr<QueryRowSource> search(const Search &search) const;
    // The browse grid's rows: every record.
    std::shared_ptr<QueryRowSource> browseRows() const;
    // The rows of the printed catalogue: every record.
    std::shared_ptr<QueryRowSource> reportRows() const;
    // The grid's own changes, by engine row id and field name.
    // `seen` is the record as the user saw it when the change began (field name ->
    // value as read); when the record as stored now differs in any of those
    // fields, nothing is stored and RecordChanged is thrown. Without `seen` the
    // fields are stored whatever the record holds now. A record gone meanwhile is
    // refused either way.
    void updateRecordFields(qint64 rowId, const QMap<QString, QVariant> &fields,
                            const std::optional<QMap<QString, QVariant>> &seen) const;
    qint64 addRecordFields(const QMap<QString, QVariant> &fields) const;
    void deleteRecords(const QList<qint64> &rowIds) const;

    // ---- export ----
    // How many records the catalogue holds now.
    qint64 recordCount() const;
    // Every record, every field of Tabella in its order, in ID order, read in one
    // pass as they come; `take` returns false to stop. Throws DbError.
    void eachRecord(const std::function<bool(const QVariantList &)> &take) const;

    // ---- start-up ----
    // Checks the search index, restores or rebuilds it when it is not whole and
    // brings in the rows changed by other programs; `progress` follows a long
    // rebuild. Throws DbError.
    IndexRepair checkSearchIndex(const IndexProgress &progress = {}) const;
    // Whether a search found the index unable to help since its last check.
    bool searchIndexWantsRepair() const;

    // ---- filling a new catalogue from another program's file ----
    // Rows come in with the numbers they had, in one transaction on a catalogue
    // that is new and empty; the search index is built once, at the end. Nothing
    // is stored unless finish() returns: dropping the Import rolls everything back.
    // Every call throws DbError when the engine fails.
    class Import {
    public:
        ~Import();
        Import(const Import &) = delete;
        Import &operator=(const Import &) = delete;

        // A record of Tabella: its ID and its eleven fields in tabellaFields() order after ID.
        void addRecord(qint64 id, const QStringList &fields);
        void addLookupEntry(lookups::List list, qint64 id, const QString &text);
        // The next row the table's counter numbers gets more than `lastUsed` and
        // more than every ID present (Tabella, Chiave, Pubblicazione, Allocazione).
        void setLastUsedId(const QString &table, qint64 lastUsed);
        void setCounter(qint64 value);
        // Builds the search index and commits, then checks the file as stored:
        // each table's row count against `expectedRows` (table name -> rows) and
        // the engine's own integrity check. Throws DbError naming what differs.
        void finish(const QMap<QString, qint64> &expectedRows);

    private:
        friend class Store;
        explicit Import(const QString &location);
        struct Data;
        std::unique_ptr<Data> d;
    };
    std::unique_ptr<Import> beginImport() const;

private:
    // A connection for one call, or for a row source's life: given back when dropped.
    std::shared_ptr<Connection> connect() const;

    QString m_path;
    const Engine *m_engine;
    std::shared_ptr<KeptConnections> m_kept;
};

} // namespace db
