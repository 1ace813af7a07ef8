#pragma once
// A trigram index of the four searchable fields of Tabella (Chiave, Argomento,
// Testo, Pubblicazione), so that a search for a fragment of three or more letters
// reads only the rows that can hold it instead of the whole catalogue. Letters are
// folded exactly as LIKE folds them, so a search gives the same rows, in the same
// order, as the plain statement.
//
// Any SQLite client may change Tabella (the sqlite3 shell, a database browser, a
// script): the triggers on Tabella are plain SQL that only note, in
// Tabella_modifiche, which rows changed and the values the index holds for them.
// The program brings the index up to date from that note at start and before each
// search; a search that meets rows still noted checks those with LIKE, so it is
// exact even when the index could not be brought up to date.
#include <QString>
#include <QStringList>

#include <functional>

class QSqlDatabase;
struct sqlite3;

namespace db {

// The tokenizer the index is built with; every connection that reads or fills the
// index installs it (Connection::open does).
bool installTrigramTokenizer(sqlite3 *handle);

// The statements that create the index, the note of changed rows and its triggers
// and fill the index from Tabella; and those that remove all of them, those of
// older catalogues included (for bulk loading: drop, load, create).
QStringList searchIndexCreateStatements();
QStringList searchIndexDropStatements();

// What a search may expect of the index now, read on the search's connection
// inside its read transaction. Missing also when the index or its triggers are
// not exactly as this program makes them: the index is then not trusted at all.
enum class IndexState { Missing, UpToDate, ChangesPending };
IndexState searchIndexState(QSqlDatabase &database);
inline bool hasSearchIndex(QSqlDatabase &database)
{
    return searchIndexState(database) != IndexState::Missing;
}

// Brings the index up to date with the rows noted as changed, in one transaction
// that also clears the note. Gives up at once (false) when another program is
// writing the catalogue or it cannot be written: searches stay exact through the
// note. Throws nothing.
bool catchUpSearchIndex(const QString &catalogPath);

// What the start-up check did.
enum class IndexRepair {
    None,     // index, note and triggers whole, nothing noted
    CaughtUp, // rows noted as changed were brought into the index
    Upgraded, // an older catalogue's triggers replaced by the noting ones
    Rebuilt,  // the index made anew from Tabella
};
// Called with 0 when a long piece of work starts, then with the percentage done.
using IndexProgress = std::function<void(int percent)>;
// At program start: checks that the index, the note and the triggers are exactly
// as this program makes them and that the index holds as many rows as Tabella, up
// to the same highest ID; restores the triggers and rebuilds the index otherwise,
// upgrades an older catalogue, and brings in the rows noted. It works on a
// connection of its own and may run on a worker thread; `progress` is called on
// that thread. Throws DbError.
IndexRepair checkSearchIndex(const QString &catalogPath, const IndexProgress &progress = {});

// A search of the search window, "SELECT * FROM tabella WHERE <field> LIKE
// '<pattern>'" on one of the four searchable fields: the field as Tabella names
// it and the pattern as meant (quotes no longer doubled). An empty field for any
// other statement.
struct FieldSearch {
    QString field;
    QString pattern;
};
FieldSearch fieldSearchOf(const QString &statement);

// For "SELECT * FROM tabella WHERE <field> LIKE '<pattern>'" on one of the four
// fields, with a run of three or more plain characters in the pattern: a
// statement giving the ids of the matching rows in the engine's order through the
// index. Empty when the index cannot help. With `changesPending` the rows noted
// as changed are candidates too, checked with LIKE.
QString indexedIdStatement(const QString &statement, bool changesPending = false);

} // namespace db
