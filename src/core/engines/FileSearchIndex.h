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
#include "core/engines/Engine.h"

#include <QString>
#include <QStringList>

class QSqlDatabase;
struct sqlite3;

namespace db {

// The tokenizer the index is built with; every connection that reads or fills the
// index installs it (FileConnection does).
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

// Brings the index up to date with the rows noted as changed, in one transaction
// that also clears the note. Gives up at once (false) when another program is
// writing the catalogue or it cannot be written: searches stay exact through the
// note. Throws nothing.
bool catchUpSearchIndex(const QString &catalogPath);

// At program start: checks that the index, the note and the triggers are exactly
// as this program makes them and that the index holds as many rows as Tabella, up
// to the same highest ID; restores the triggers and rebuilds the index otherwise,
// upgrades an older catalogue, and brings in the rows noted. It works on a
// connection of its own and may run on a worker thread; `progress` is called on
// that thread. Throws DbError.
IndexRepair checkSearchIndex(const QString &catalogPath, const IndexProgress &progress = {});

// A search met the index of the catalogue at `catalogPath` unable to help: it is
// noted, and the note lasts until checkSearchIndex() has run on it.
void noteSearchIndexBroken(const QString &catalogPath);
bool searchIndexWantsRepair(const QString &catalogPath);

// A statement giving IDs, with the values bound to its placeholders in order.
struct IdQuery {
    QString sql;
    QStringList values;
};

// For a search whose fragment has a run of three or more plain characters: the
// IDs (rowid) of the matching rows through the index, a statement ending in its
// conditions, to which the caller adds those on rowid and the order. Empty when
// the index cannot help. With `changesPending` the rows noted as changed are
// candidates too, checked with LIKE.
IdQuery indexedSearch(const Search &search, bool changesPending = false);

} // namespace db
