#include "core/engines/ServerLocation.h"

#include "core/engines/Engine.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>

namespace db {

bool isServerLocation(const QString &location)
{
    return location.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || location.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

QString serverLabel(const QString &uri)
{
    return QUrl(uri).toString(QUrl::RemovePassword);
}

bool openServerDatabase(QSqlDatabase &database, const QString &uri)
{
    const QUrl url(uri);
    QString host = url.host();
    int port = url.port();
    QString user = url.userName();
    QString name = url.path().mid(1);
    QStringList options{QStringLiteral("application_name=Rudozuzurivaz"), QStringLiteral("connect_timeout=10")};
    const QUrlQuery query(url);
    for (const auto &[key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (key == QLatin1String("host"))
            host = value;
        else if (key == QLatin1String("port"))
            port = value.toInt();
        else if (key == QLatin1String("user"))
            user = value;
        else if (key == QLatin1String("dbname"))
            name = value;
        else if (!key.contains(QLatin1Char(';')) && !value.contains(QLatin1Char(';')))
            options.append(key + QLatin1Char('=') + value);
    }
    database.setHostName(host);
    if (port > 0)
        database.setPort(port);
    database.setUserName(user);
    if (!url.password().isEmpty())
        database.setPassword(url.password());
    database.setDatabaseName(name);
    database.setConnectOptions(options.join(QLatin1Char(';')));
    if (!database.open())
        return false;
    // A change waits for another workstation's change as long as the file waits
    // for another program.
    QSqlQuery(database).exec(QStringLiteral("SET lock_timeout = %1").arg(busyWaitMilliseconds));
    return true;
}

QString serverUnreachable(const QString &uri, const QString &reason)
{
    return QStringLiteral("Impossibile collegarsi al catalogo sul server \"%1\": il server non è raggiungibile, "
                          "non ha il database indicato oppure ha rifiutato l'utente.\nMotivo indicato: %2")
        .arg(serverLabel(uri), reason);
}

DbError serverError(const QSqlError &error, const QString &uri)
{
    const QString state = error.nativeErrorCode();
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("errore sconosciuto del server");
    DbError::Kind kind = DbError::Kind::Engine;
    if (state == QLatin1String("55P03") || state == QLatin1String("40P01") || state == QLatin1String("40001")
        || state == QLatin1String("57014"))
        kind = DbError::Kind::Busy;
    else if (state == QLatin1String("25006") || state == QLatin1String("42501"))
        kind = DbError::Kind::ReadOnly;
    else if (state.startsWith(QLatin1String("XX")))
        kind = DbError::Kind::Damaged;
    return DbError(text, kind, uri);
}

} // namespace db
