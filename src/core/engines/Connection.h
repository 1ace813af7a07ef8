#pragma once
// A connection to the catalogue file, opened from a connection text of the form
// "Provider=...;Data Source=<path>[;...]". Each user action opens its own and lets
// it go at the end; the destructor closes it.
#include "core/catalogue/DbError.h"

#include <QSqlDatabase>
#include <QString>

class QSqlQuery;

namespace db {

// How long an action waits for another program to let go of the catalogue.
constexpr int busyWaitMilliseconds = 5000;

enum CursorLocation { adUseServer = 2, adUseClient = 3 };

// The text after "Data Source=" up to the next ";" (the catalogue file).
QString dataSourceOf(const QString &connectionText);
// "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + the catalogue's path
QString connectionTextA(const QString &catalogPath);
// the same with ";Persist Security Info=False" after the path
QString connectionTextB(const QString &catalogPath);

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    QString ConnectionString; // used by open() when it is given no text
    int CursorLocation = adUseServer;

    // Opens the file named by the connection text, or the server catalogue when
    // the data source is a server URI; throws DbError when the file is missing or
    // the catalogue cannot be opened. User, password and options are accepted
    // for the callers' sake and not used.
    void open(const QString &connectionText = QString(), const QString &user = QString(),
              const QString &password = QString(), int options = -1);
    // Runs a statement that returns no rows, in the engine's dialect.
    void execute(const QString &statement);
    // A write transaction: it takes the write lock at its start, waiting a few
    // seconds for another program to let go of it (then DbError, kind Busy).
    void beginTrans();
    // A read transaction: what it reads stays as it was when it first read.
    void beginReadTrans();
    void commitTrans();
    void rollbackTrans();
    void close();
    bool isOpen() const;

    QSqlDatabase &database() { return m_db; }
    // Whether the catalogue is on a server rather than in a file.
    bool isServer() const { return m_server; }
    // A statement of the program in the dialect of this connection's engine.
    QString sql(const QString &statement) const;
    const QString &name() const { return m_name; }
    // The catalogue this connection is open on: its file, or the server's URI.
    const QString &path() const { return m_path; }
    // A DbError for the last failure of `query` (or of the connection itself).
    DbError failure(const QSqlQuery &query) const;
    DbError failure() const;

private:
    void run(const QString &statement);
    void useWriteAheadLog();
    void openServer(const QString &uri);

    QString m_name;
    QString m_path;
    QSqlDatabase m_db;
    int m_transactionDepth = 0;
    bool m_server = false;
};

// Runs a change of several steps in one transaction: committed when `work`
// returns, rolled back when it throws (the exception goes on).
template <typename Work> void inTransaction(Connection &connection, Work &&work)
{
    connection.beginTrans();
    try {
        work();
    } catch (...) {
        connection.rollbackTrans();
        throw;
    }
    connection.commitTrans();
}

} // namespace db
