#pragma once
// A server catalogue is named by a connection URI ("postgresql://user@host/database");
// everything that takes a catalogue path takes such a URI too. Passwords are never
// stored by the program: libpq's password file and environment provide them.
// Here the URI is read, the connection opened, and what the server reports
// turned into the program's errors.
#include "core/engines/DbError.h"

#include <QString>

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

// The message for a server that could not be reached, naming it and the reason.
QString serverUnreachable(const QString &uri, const QString &reason);

// A DbError for what the server reported (its SQLSTATE tells the kind).
DbError serverError(const QSqlError &error, const QString &uri);

} // namespace db
