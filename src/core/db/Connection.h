#pragma once
// A connection to the catalogue file, opened from a connection text of the form
// "Provider=...;Data Source=<path>[;...]". Each user action opens its own and lets
// it go at the end; the destructor closes it.
#include <QSqlDatabase>
#include <QString>

namespace db {

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

    // Opens the file named by the connection text; throws DbError when the file
    // is missing or cannot be opened. User, password and options are accepted
    // for the callers' sake and not used.
    void open(const QString &connectionText = QString(), const QString &user = QString(),
              const QString &password = QString(), int options = -1);
    // Runs a statement that returns no rows, in the engine's dialect.
    void execute(const QString &statement);
    void beginTrans();
    void commitTrans();
    void rollbackTrans();
    void close();
    bool isOpen() const;

    QSqlDatabase &database() { return m_db; }
    const QString &name() const { return m_name; }

private:
    QString m_name;
    QSqlDatabase m_db;
    int m_transactionDepth = 0;
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
