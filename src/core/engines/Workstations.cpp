#include "core/engines/Workstations.h"

#include "core/engines/ServerLocation.h"

#include <QAtomicInteger>
#include <QMutex>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <optional>

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
    : m_name(QStringLiteral("postazione-%1").arg(markConnections.fetchAndAddRelaxed(1)))
{
    std::optional<DbError> failed;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        try {
            openServerDatabase(database, uri);
            QSqlQuery mark(database);
            if (!mark.exec(QStringLiteral("SELECT pg_advisory_lock_shared(%1, %2), pg_backend_pid()")
                               .arg(markClass)
                               .arg(markObject))
                || !mark.next())
                throw serverError(mark.lastError(), uri, connectionBroken(database));
            const QMutexLocker lock(&ownMarksMutex);
            ownMarkProcesses.insert(mark.value(1).toInt());
        } catch (const DbError &error) {
            failed = error;
            database.close();
        }
    }
    if (failed) {
        QSqlDatabase::removeDatabase(m_name);
        throw *failed;
    }
}

WorkstationMark::~WorkstationMark()
{
    {
        QSqlDatabase database = QSqlDatabase::database(m_name, false);
        QSqlQuery pid(database);
        if (pid.exec(QStringLiteral("SELECT pg_backend_pid()")) && pid.next()) {
            const QMutexLocker lock(&ownMarksMutex);
            ownMarkProcesses.remove(pid.value(0).toInt());
        }
        pid = QSqlQuery();
        database.close();
    }
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
