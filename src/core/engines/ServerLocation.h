#pragma once
// A server catalogue is named by a connection URI ("postgresql://user@host/database");
// everything that takes a catalogue path takes such a URI too. Passwords are never
// stored by the program: libpq's password file and environment provide them.
// Here the URI is read and checked before anything is contacted, the connection
// opened, and what the server reports turned into the program's errors.
#include "core/engines/DbError.h"

#include <QMap>
#include <QString>

class QSqlDatabase;
class QSqlError;
typedef struct pg_conn PGconn;

namespace db {

// Whether `location` names a server catalogue (a postgresql:// or postgres:// URI).
bool isServerLocation(const QString &location);
// The URI as shown to the user: without a password, if one was written in it.
QString serverLabel(const QString &uri);

// A server catalogue's URI as read: the connection settings it names (libpq's
// keywords, values decoded), or what is wrong with it.
struct ServerAddress {
    QMap<QString, QString> settings;
    // Empty when the URI can be used; otherwise what is wrong in it, in Italian
    // ("la porta \"99999\" non è valida: ...").
    QString problem;
    // The user and the database the server is asked for, as libpq picks them
    // when the URI names none.
    QString user() const;
    QString database() const;
};
ServerAddress readServerUri(const QString &uri);

// Sets up `database` (a QPSQL connection) from the URI and opens it. Throws
// DbError: a URI that is not valid (nothing is contacted then), or a server that
// cannot be reached, named with its reason.
void openServerDatabase(QSqlDatabase &database, const QString &uri);

// libpq's own connection under `database`, for what Qt's driver cannot do (COPY,
// statements planned for their values); null when it is not open.
PGconn *libpqOf(const QSqlDatabase &database);
// Whether the connection of `database` to its server is broken.
bool connectionBroken(const QSqlDatabase &database);
// Whether the server still answers on the connection of `database`, idle outside
// a transaction: one empty statement there and back.
bool connectionAnswers(const QSqlDatabase &database);

// A DbError for what the server reported (its SQLSTATE tells the kind; a broken
// connection is ConnectionLost whatever the state).
DbError serverError(const QSqlError &error, const QString &uri, bool broken = false);
DbError serverError(const QString &state, const QString &words, const QString &uri, bool broken);

// A word of a command as a shell reads it: as it is when plain, otherwise quoted.
QString shellWord(const QString &word);
// The command an administrator runs on the server, as its superuser, to run
// `sql` on the database of `uri`.
QString administratorCommand(const QString &uri, const QString &sql);
// The sentence for a permission the server refuses on the catalogue: which user,
// and the command that grants what the program needs.
QString deniedPermissionAdvice(const QString &uri);
// The advice for a database that holds tables of something else: a new, empty
// database for the catalogue, how to make it and how to create the catalogue there.
QString newDatabaseAdvice(const QString &uri);

} // namespace db
