#pragma once
// A trigram index of the four searchable fields of Tabella (Chiave, Argomento,
// Testo, Pubblicazione), so that a search for a fragment of three or more letters
// reads only the rows that can hold it instead of the whole catalogue. Triggers
// keep it exact on every change of Tabella; letters are folded exactly as LIKE
// folds them, and every candidate is checked with LIKE itself, so a search gives
// the same rows, in the same order, as the plain statement.
#include <QString>
#include <QStringList>

class QSqlDatabase;
struct sqlite3;

namespace db {

// The tokenizer the index is built with; every connection that may change
// Tabella installs it (Connection::open does).
bool installTrigramTokenizer(sqlite3 *handle);

bool hasSearchIndex(QSqlDatabase &database);
// The statements that create the index with its triggers and fill it from
// Tabella, and those that remove it (for bulk loading: drop, load, create).
QStringList searchIndexCreateStatements();
QStringList searchIndexDropStatements();
// Creates the index and its triggers and fills it from Tabella. Throws DbError.
void createSearchIndex(QSqlDatabase &database);
// At program start: builds the index when the catalogue lacks it. Throws DbError.
void ensureSearchIndex(const QString &connectionText);

// For "SELECT * FROM tabella WHERE <field> LIKE '<pattern>'" on one of the four
// fields, with a run of three or more plain characters in the pattern: a
// statement giving the ids of the matching rows in the engine's order through the
// index. Empty when the index cannot help.
QString indexedIdStatement(const QString &statement);

} // namespace db
