#pragma once
// Rows in bulk straight through libpq: COPY, the fast way to fill a server
// catalogue's tables, a million rows in a fraction of the time statement by
// statement; and the IDs of a statement with bound values.
#include "core/engines/DbError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>

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

// Hands to `take` the first column of every row of `select` (whole numbers), a
// statement whose $1, $2... are bound to `values` in order: the server plans it
// for these values, as for literals, and reads each of them once. Runs inside
// the connection's transaction, if one is open. Returns the rows. Throws DbError.
qint64 selectIds(QSqlDatabase &database, const QString &uri, const QString &select, const QStringList &values,
                 const std::function<void(qint64)> &take);

} // namespace db
