#include "core/engines/Workstations.h"

#include "core/engines/ServerLocation.h"

#include <QAtomicInteger>
#include <QMutex>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace db {

namespace {
QAtomicInteger<quint64> markConnections;

// The advisory lock a running program holds shared on the server catalogue.
constexpr int markClass = 0x52756430; // "Rud0"
constexpr int markObject = 1;

QMutex ownMarksMutex;
QSet<int> ownMarkProcesses; // the server processes of this program's own marks
} // namespace

WorkstationMark::WorkstationMark(const QString &uri)
    : m_uri(uri), m_name(QStringLiteral("postazione-%1").arg(markConnections.fetchAndAddRelaxed(1)))
{
    QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
    try {
        take();
    } catch (const DbError &) {
        QSqlDatabase::removeDatabase(m_name);
        throw;
    }
}

void WorkstationMark::take()
{
    QSqlDatabase database = QSqlDatabase::database(m_name, false);
    try {
        openServerDatabase(database, m_uri);
        QSqlQuery mark(database);
        if (!mark.exec(QStringLiteral("SELECT pg_advisory_lock_shared(%1, %2), pg_backend_pid()")
                           .arg(markClass)
                           .arg(markObject))
            || !mark.next())
            throw serverError(mark.lastError(), m_uri, connectionBroken(database));
        m_process = mark.value(1).toInt();
        const QMutexLocker lock(&ownMarksMutex);
        ownMarkProcesses.insert(m_process);
    } catch (const DbError &) {
        database.close();
        throw;
    }
}

void WorkstationMark::forgetOwnProcess()
{
    const QMutexLocker lock(&ownMarksMutex);
    ownMarkProcesses.remove(m_process);
    m_process = 0;
}

void WorkstationMark::keep()
{
    {
        QSqlDatabase database = QSqlDatabase::database(m_name, false);
        if (connectionAnswers(database))
            return;
        database.close();
    }
    forgetOwnProcess();
    try {
        take();
    } catch (const DbError &) {
        // the server does not answer yet: asked again next time
    }
}

WorkstationMark::~WorkstationMark()
{
    forgetOwnProcess();
    QSqlDatabase::database(m_name, false).close();
    QSqlDatabase::removeDatabase(m_name);
}

int otherWorkstations(QSqlDatabase &database, const QString &uri)
{
    QSqlQuery query(database);
    if (!query.exec(QStringLiteral("SELECT DISTINCT pid FROM pg_locks WHERE locktype = 'advisory' AND granted"
                                   " AND classid = %1 AND objid = %2 AND objsubid = 2"
                                   " AND database = (SELECT oid FROM pg_database WHERE datname = current_database())")
                        .arg(markClass)
                        .arg(markObject)))
        throw serverError(query.lastError(), uri, connectionBroken(database));
    const QMutexLocker lock(&ownMarksMutex);
    int others = 0;
    while (query.next())
        if (!ownMarkProcesses.contains(query.value(0).toInt()))
            ++others;
    return others;
}

} // namespace db
