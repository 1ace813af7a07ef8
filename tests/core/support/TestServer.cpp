#include "TestServer.h"

#include "core/db/Server.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <stdexcept>

namespace testserver {

namespace {
QAtomicInteger<int> databases;

QString maintenanceUri()
{
    const QString uri = qEnvironmentVariable("RUDOZUZURIVAZ_TEST_SERVER");
    if (uri.isEmpty())
        throw std::runtime_error("CATALOGO_DI_PROVA=server without RUDOZUZURIVAZ_TEST_SERVER: start a server with "
                                 "scripts/pg-cluster.sh");
    return uri;
}

// Runs one statement on the maintenance database.
void runOnServer(const QString &statement)
{
    const QString name = QStringLiteral("prova-amministrazione");
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        QSqlQuery query(database);
        const bool ok = db::openServerDatabase(database, maintenanceUri()) && query.exec(statement);
        const QString reason = query.lastError().isValid() ? query.lastError().text() : database.lastError().text();
        query = QSqlQuery();
        database.close();
        if (!ok)
            throw std::runtime_error(QString(statement + QStringLiteral(": ") + reason).toStdString());
    }
    QSqlDatabase::removeDatabase(name);
}
} // namespace

bool wanted()
{
    return qEnvironmentVariable("CATALOGO_DI_PROVA") == QLatin1String("server");
}

QString createDatabase()
{
    const QString name = QStringLiteral("prova_%1_%2")
                             .arg(QCoreApplication::applicationPid())
                             .arg(databases.fetchAndAddRelaxed(1));
    runOnServer(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0").arg(name));
    QUrl url(maintenanceUri());
    url.setPath(QLatin1Char('/') + name);
    return url.toString();
}

void dropDatabase(const QString &uri)
{
    runOnServer(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(QUrl(uri).path().mid(1)));
}

} // namespace testserver
