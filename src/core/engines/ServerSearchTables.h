#pragma once
// The server's search index. Each of the four searchable fields has a narrow
// table of its own, "Tabella_ricerca_<field>", holding the field in lower case
// under a GIN trigram index (pg_trgm), kept in step by statement triggers on
// Tabella whoever writes it. A fragment found in a quarter of the catalogue then
// reads a few tens of MB instead of every whole record, and LIKE on the folded
// value gives the rows of ILIKE (which folds both sides with lower() too)
// without folding every row anew.
#include <QString>
#include <QStringList>

class QSqlDatabase;

namespace db {

// The search table of a searchable field.
QString searchTable(const QString &field);

// The search tables filled from Tabella, with their indexes and triggers
// (`create`); or all of it removed.
QStringList searchTableStatements(bool create);

// Whether the search table of `field` can be trusted: it is there with every
// trigger that keeps it in step, asked on `database`. Throws DbError.
bool searchTableTrusted(QSqlDatabase &database, const QString &uri, const QString &field);

} // namespace db
