#pragma once
// Rows in bulk straight through libpq: COPY, the fast way to fill a server
// catalogue's tables and to read its IDs, a million rows in a fraction of the
// time statement by statement; and the IDs of a statement with bound values.
#include "core/engines/DbError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <vector>

class QSqlDatabase;
typedef struct pg_conn PGconn;

namespace db {

// Fills one table of the server through COPY: add() each row's values in
// `columns` order, then finish(). Throws DbError.
class CopyIn {
public:
    CopyIn(QSqlDatabase &database, QString uri, QString table, const QStringList &columns);
    void add(const QVariantList &row);
    void finish();

private:
    void send();
    [[noreturn]] void fail(const DbError &error) const;

    PGconn *m_connection;
    QString m_uri;
    QString m_table;
    QByteArray m_buffer;
};

// Appends to `ids` the first column of every row of `select` (whole numbers),
// streamed with COPY. Runs inside the connection's transaction, if one is open.
// Throws DbError.
void copyOutIds(QSqlDatabase &database, const QString &uri, const QString &select, std::vector<qint64> &ids);

// Appends to `ids` the first column of every row of `select` (whole numbers), a
// statement whose $1, $2... are bound to `values` in order: the server plans it
// for these values, as for literals, and reads each of them once. Runs inside
// the connection's transaction, if one is open. Throws DbError.
void selectIds(QSqlDatabase &database, const QString &uri, const QString &select, const QStringList &values,
               std::vector<qint64> &ids);

} // namespace db
