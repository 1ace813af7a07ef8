#pragma once
// The catalogue on a PostgreSQL server, for an office where several workstations
// record into one catalogue. A catalogue is named either by the path of its file
// or by a connection URI ("postgresql://user@host/database"); everything that
// takes a catalogue path takes such a URI too. Passwords are never stored by the
// program: libpq's password file and environment provide them.
//
// The statements of the program are written once, for the file's engine; on the
// server they are rewritten here (quoted names, ILIKE, the row id as "ID").
#include "core/catalogue/DbError.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <vector>

class QSqlDatabase;
class QSqlError;

namespace db {

// Whether `location` names a server catalogue (a postgresql:// or postgres:// URI).
bool isServerLocation(const QString &location);
// The URI as shown to the user: without a password, if one was written in it.
QString serverLabel(const QString &uri);

// Sets up `database` (a QPSQL connection) from the URI and opens it; false when
// it did not open (the reason is in database.lastError()).
bool openServerDatabase(QSqlDatabase &database, const QString &uri);

// A statement of the program rewritten for the server: the catalogue's names
// quoted as the tables were made, the engine's row id as "ID", LIKE as ILIKE
// without an escape character, and rows read from one table in the order of
// their ID, as the file gives them.
QString serverDialect(const QString &statement);

// The message for a server that could not be reached, naming it and the reason.
QString serverUnreachable(const QString &uri, const QString &reason);

// A DbError for what the server reported (its SQLSTATE tells the kind).
DbError serverError(const QSqlError &error, const QString &uri);

// The tables of an empty catalogue on the database of `uri`, with the search
// tables of the four searchable fields and the counter row. Throws DbError when
// the database cannot be reached, is not empty or refuses.
void createServerCatalogue(const QString &uri);

// Empty when the server catalogue can be used; otherwise an Italian explanation
// naming the server and the reason. Never changes anything.
QString checkServerCatalogue(const QString &uri);

// Copies the catalogue file at `path` into the empty database of `uri`: every
// row of the five tables with its ID, the counter, and the next ID of each table.
// Checks the row counts on the server afterwards. `progress` gets the percentage
// done. Throws DbError; nothing is left on the server when it fails.
void copyCatalogueToServer(const QString &path, const QString &uri,
                           const std::function<void(int percent)> &progress = {});

// Fills `table` through COPY with the rows `next` gives (it appends one row's
// values in `columns` order and returns true, or returns false at the end).
// Throws DbError.
void copyIntoServerTable(QSqlDatabase &database, const QString &uri, const QString &table, const QStringList &columns,
                         const std::function<bool(QVariantList &row)> &next);

// Appends to `ids` the first column of every row of `statement` (whole numbers),
// streamed with COPY: a million in a fraction of the time row by row. Runs
// inside the connection's transaction, if one is open. Throws DbError.
void readServerIds(QSqlDatabase &database, const QString &uri, const QString &statement, std::vector<qint64> &ids);

// For a search of the search window ("SELECT * FROM tabella WHERE <field> LIKE
// '<pattern>'"): the statement giving the ids of the matching rows in ID order
// through the field's search table, asked on `database`. Empty when the statement
// is no such search, or when a search table or a trigger that keeps it in step is
// missing: the search on Tabella itself is then exact, only slower.
QString serverSearchIdStatement(QSqlDatabase &database, const QString &uri, const QString &statement);

// ---- workstations ----
// Each running program holds a mark on the server while it works on the
// catalogue; deleting every record and restarting the numbering are refused
// while another workstation holds one.
class WorkstationMark {
public:
    explicit WorkstationMark(const QString &uri); // throws DbError
    ~WorkstationMark();
    WorkstationMark(const WorkstationMark &) = delete;
    WorkstationMark &operator=(const WorkstationMark &) = delete;

private:
    QString m_name;
};
// How many workstations other than this program hold the catalogue open now,
// asked on `database` (a connection to the server catalogue).
int otherWorkstations(QSqlDatabase &database, const QString &uri);

} // namespace db
