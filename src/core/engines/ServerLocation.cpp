#include "core/engines/ServerLocation.h"

#include "core/engines/Engine.h"

#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QUrl>
#include <QUrlQuery>
#include <libpq-fe.h>
#include <pwd.h>
#include <unistd.h>

namespace db {

namespace {
const QLatin1StringView schemes[] = {QLatin1StringView("postgresql://"), QLatin1StringView("postgres://")};

bool unreserved(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.'
        || c == u'_' || c == u'~';
}

// The keywords libpq knows: the only options a URI may carry.
const QSet<QString> &knownSettings()
{
    static const QSet<QString> known = [] {
        QSet<QString> names;
        PQconninfoOption *defaults = PQconndefaults();
        for (const PQconninfoOption *option = defaults; option && option->keyword; ++option)
            names.insert(QString::fromLatin1(option->keyword));
        PQconninfoFree(defaults);
        return names;
    }();
    return known;
}

// A part of the URI decoded from its %XX escapes; `what` names it in the problem.
// Besides letters, digits and - . _ ~, only the characters of `extra` may stand
// as they are: any other must be escaped, as a URI requires.
QString decoded(const QString &text, const QString &what, QStringView extra, QString &problem)
{
    static const QRegularExpression twoHexDigits(QStringLiteral("^[0-9A-Fa-f]{2}$"));
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'%') {
            const QString hex = text.mid(i + 1, 2);
            if (!twoHexDigits.match(hex).hasMatch() || hex == QLatin1String("00")) {
                problem = QStringLiteral("%1 contiene \"%2\", che non è un carattere scritto come %XX (due cifre "
                                         "esadecimali)")
                              .arg(what, text.mid(i, 3));
                return QString();
            }
            bytes.append(char(hex.toInt(nullptr, 16)));
            i += 2;
        } else if (unreserved(c) || extra.contains(c)) {
            bytes.append(char(c.unicode()));
        } else {
            problem = QStringLiteral("%1 contiene il carattere \"%2\", che in un indirizzo va scritto %3")
                          .arg(what, QString(c), QString::fromLatin1(QUrl::toPercentEncoding(QString(c))));
            return QString();
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString result = utf8(bytes);
    if (utf8.hasError())
        problem = QStringLiteral("%1 non è testo UTF-8 valido").arg(what);
    return result;
}

// Empty when each of the ports ("5432" or "5432,5433") is a number from 1 to 65535.
QString portProblem(const QString &ports)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    for (const QString &port : ports.split(u','))
        if (!port.isEmpty() && (!digits.match(port).hasMatch() || port.toInt() < 1 || port.toInt() > 65535))
            return QStringLiteral("la porta \"%1\" non è valida: deve essere un numero da 1 a 65535").arg(port);
    return QString();
}

// The hosts and ports of the URI's authority ("host:port,host2:port2"), each
// checked; the problem when one is not valid.
QString readHosts(const QString &hosts, ServerAddress &address)
{
    QString problem;
    QStringList names;
    QStringList ports;
    for (const QString &entry : hosts.split(u',')) {
        QString host = entry;
        QString port;
        if (host.startsWith(u'[')) {
            const qsizetype close = host.indexOf(u']');
            if (close < 0)
                return QStringLiteral("manca la \"]\" che chiude l'indirizzo IPv6 \"%1\"").arg(entry);
            port = host.mid(close + 1);
            host = host.mid(1, close - 1);
            if (!port.isEmpty() && !port.startsWith(u':'))
                return QStringLiteral("dopo l'indirizzo IPv6 \"%1\" può venire solo \":\" e la porta").arg(entry);
            port = port.mid(1);
            static const QRegularExpression ipv6(QStringLiteral("^[0-9A-Fa-f:.]+$"));
            if (!ipv6.match(host).hasMatch())
                return QStringLiteral("\"%1\" non è un indirizzo IPv6").arg(host);
        } else {
            const qsizetype colon = host.indexOf(u':');
            if (colon >= 0) {
                port = host.mid(colon + 1);
                host = host.left(colon);
            }
            host = decoded(host, QStringLiteral("il nome del server \"%1\"").arg(host), u"", problem);
            if (!problem.isEmpty())
                return problem;
        }
        if (problem = portProblem(port); !problem.isEmpty())
            return problem;
        names.append(host);
        ports.append(port);
    }
    if (!names.join(QString()).isEmpty())
        address.settings.insert(QStringLiteral("host"), names.join(u','));
    if (!ports.join(QString()).isEmpty())
        address.settings.insert(QStringLiteral("port"), ports.join(u','));
    return QString();
}

// The options after "?": "name=value&...", each name one of libpq's.
QString readOptions(const QString &query, ServerAddress &address)
{
    QString problem;
    for (const QString &option : query.split(u'&', Qt::SkipEmptyParts)) {
        const qsizetype equals = option.indexOf(u'=');
        if (equals <= 0)
            return QStringLiteral("l'opzione \"%1\" non è nella forma nome=valore").arg(option);
        const QString name = option.left(equals);
        if (!knownSettings().contains(name))
            return QStringLiteral("l'opzione \"%1\" non esiste tra quelle di PostgreSQL (ad esempio host, port, "
                                  "user, dbname, sslmode)")
                .arg(name);
        const QString written = option.mid(equals + 1);
        const QString value = decoded(
            written, QStringLiteral("il valore dell'opzione \"%1\" (\"%2\")").arg(name, written), u"/:,", problem);
        if (problem.isEmpty() && name == QLatin1String("port"))
            problem = portProblem(value);
        if (!problem.isEmpty())
            return problem;
        address.settings.insert(name, value);
    }
    return QString();
}

QString readUri(const QString &uri, ServerAddress &address)
{
    QString rest;
    for (const QLatin1StringView scheme : schemes)
        if (uri.startsWith(scheme))
            rest = uri.mid(scheme.size());
    if (rest.isNull())
        return QStringLiteral("l'indirizzo non comincia con postgresql:// (né con postgres://)");
    QString query;
    if (const qsizetype mark = rest.indexOf(u'?'); mark >= 0) {
        query = rest.mid(mark + 1);
        rest.truncate(mark);
    }
    QString path;
    if (const qsizetype slash = rest.indexOf(u'/'); slash >= 0) {
        path = rest.mid(slash + 1);
        rest.truncate(slash);
    }
    QString problem;
    if (const qsizetype at = rest.indexOf(u'@'); at >= 0) {
        const QString userInfo = rest.left(at);
        rest = rest.mid(at + 1);
        const qsizetype colon = userInfo.indexOf(u':');
        const QString user = userInfo.left(colon);
        const QString name = decoded(user, QStringLiteral("il nome dell'utente \"%1\"").arg(user), u"", problem);
        if (!problem.isEmpty())
            return problem;
        if (!name.isEmpty())
            address.settings.insert(QStringLiteral("user"), name);
        if (colon >= 0) {
            const QString password = decoded(userInfo.mid(colon + 1), QStringLiteral("la password"), u"", problem);
            if (!problem.isEmpty())
                return problem;
            address.settings.insert(QStringLiteral("password"), password);
        }
    }
    if (problem = readHosts(rest, address); !problem.isEmpty())
        return problem;
    const QString database = decoded(path, QStringLiteral("il nome del database \"%1\"").arg(path), u"", problem);
    if (!problem.isEmpty())
        return problem;
    if (!database.isEmpty())
        address.settings.insert(QStringLiteral("dbname"), database);
    if (problem = readOptions(query, address); !problem.isEmpty())
        return problem;
    // Qt's driver takes the settings as one text in which ';' separates them.
    for (auto setting = address.settings.cbegin(); setting != address.settings.cend(); ++setting)
        if (setting.value().contains(u';'))
            return QStringLiteral("il valore di %1 contiene \";\", che il programma non può passare al server")
                .arg(setting.key());
    // What libpq itself would refuse, in case a rule above lets it through.
    char *refusal = nullptr;
    PQconninfoOption *parsed = PQconninfoParse(uri.toUtf8().constData(), &refusal);
    PQconninfoFree(parsed);
    if (refusal) {
        const QString words = QString::fromUtf8(refusal).trimmed();
        PQfreemem(refusal);
        return QStringLiteral("l'indirizzo non è scritto come PostgreSQL lo legge (%1)").arg(words);
    }
    return QString();
}

// A value as a libpq connection setting writes it: between quotes, its own quotes
// and backslashes escaped.
QString conninfoValue(QString value)
{
    return QLatin1Char('\'') + value.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"))
        + QLatin1Char('\'');
}
} // namespace

QString shellWord(const QString &word)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./:=@%+-]+$"));
    if (plain.match(word).hasMatch())
        return word;
    return QLatin1Char('\'') + QString(word).replace(u'\'', QStringLiteral("'\\''")) + QLatin1Char('\'');
}

bool isServerLocation(const QString &location)
{
    return location.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || location.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

QString serverLabel(const QString &uri)
{
    if (const QUrl url(uri); url.isValid())
        return url.toString(QUrl::RemovePassword);
    // An address Qt cannot read (a port out of range) is shown as written, without
    // what may be a password.
    static const QRegularExpression password(QStringLiteral("^([^:/]+://[^:@/]*):[^@/]*@"));
    return QString(uri).replace(password, QStringLiteral("\\1@"));
}

ServerAddress readServerUri(const QString &uri)
{
    ServerAddress address;
    address.problem = readUri(uri, address);
    if (!address.problem.isEmpty())
        address.settings.clear();
    return address;
}

QString ServerAddress::user() const
{
    if (const QString user = settings.value(QStringLiteral("user")); !user.isEmpty())
        return user;
    if (const QString user = qEnvironmentVariable("PGUSER"); !user.isEmpty())
        return user;
    const passwd *account = getpwuid(geteuid());
    return account ? QString::fromLocal8Bit(account->pw_name) : QString();
}

QString ServerAddress::database() const
{
    if (const QString name = settings.value(QStringLiteral("dbname")); !name.isEmpty())
        return name;
    if (const QString name = qEnvironmentVariable("PGDATABASE"); !name.isEmpty())
        return name;
    return user();
}

void openServerDatabase(QSqlDatabase &database, const QString &uri)
{
    const ServerAddress address = readServerUri(uri);
    if (!address.problem.isEmpty())
        throw DbError(QStringLiteral("L'indirizzo del catalogo sul server \"%1\" non è valido: %2. Nessun server è "
                                     "stato contattato.")
                          .arg(serverLabel(uri), address.problem),
                      DbError::Kind::Engine, uri);
    QMap<QString, QString> settings = address.settings;
    settings.insert(QStringLiteral("application_name"), QStringLiteral("Rudozuzurivaz"));
    if (!settings.contains(QStringLiteral("connect_timeout")))
        settings.insert(QStringLiteral("connect_timeout"), QStringLiteral("10"));
    QStringList conninfo;
    for (auto setting = settings.cbegin(); setting != settings.cend(); ++setting)
        conninfo.append(setting.key() + QLatin1Char('=') + conninfoValue(setting.value()));
    database.setConnectOptions(conninfo.join(u' '));
    if (!database.open()) {
        const QSqlError error = database.lastError();
        QString words = error.databaseText().trimmed();
        if (words.isEmpty())
            words = error.driverText().trimmed();
        throw DbError(QStringLiteral("Impossibile collegarsi al catalogo sul server \"%1\": il server non è "
                                     "raggiungibile, non ha il database indicato oppure ha rifiutato l'utente.\n"
                                     "Motivo indicato: %2")
                          .arg(serverLabel(uri), words),
                      DbError::Kind::ConnectionLost, uri);
    }
    // A change waits for another workstation's change as long as the file waits
    // for another program.
    QSqlQuery(database).exec(QStringLiteral("SET lock_timeout = %1").arg(busyWaitMilliseconds));
}

PGconn *libpqOf(const QSqlDatabase &database)
{
    if (!database.isOpen() || !database.driver())
        return nullptr;
    const QVariant handle = database.driver()->handle();
    const auto *connection = static_cast<PGconn *const *>(handle.data());
    return connection ? *connection : nullptr;
}

bool connectionBroken(const QSqlDatabase &database)
{
    PGconn *connection = libpqOf(database);
    return !connection || PQstatus(connection) == CONNECTION_BAD;
}

bool connectionAnswers(const QSqlDatabase &database)
{
    PGconn *connection = libpqOf(database);
    if (!connection || PQstatus(connection) != CONNECTION_OK || PQtransactionStatus(connection) != PQTRANS_IDLE)
        return false;
    PGresult *result = PQexec(connection, "");
    const bool answered = PQresultStatus(result) == PGRES_EMPTY_QUERY;
    PQclear(result);
    return answered;
}

DbError serverError(const QString &state, const QString &words, const QString &uri, bool broken)
{
    DbError::Kind kind = DbError::Kind::Engine;
    if (broken || state.startsWith(QLatin1String("08")) || state == QLatin1String("57P01")
        || state == QLatin1String("57P02") || state == QLatin1String("57P03"))
        kind = DbError::Kind::ConnectionLost;
    else if (state == QLatin1String("55P03") || state == QLatin1String("40P01") || state == QLatin1String("40001")
             || state == QLatin1String("57014"))
        kind = DbError::Kind::Busy;
    else if (state == QLatin1String("42501"))
        kind = DbError::Kind::Denied;
    else if (state == QLatin1String("53100"))
        kind = DbError::Kind::DiskFull;
    else if (state == QLatin1String("25006"))
        kind = DbError::Kind::ReadOnly;
    else if (state.startsWith(QLatin1String("XX")))
        kind = DbError::Kind::Damaged;
    return engineFailure(kind, words, uri);
}

DbError serverError(const QSqlError &error, const QString &uri, bool broken)
{
    const QString state = error.nativeErrorCode();
    QString words = error.databaseText().trimmed();
    // Qt's driver puts the state after the server's words, "(42501)", or "()"
    // when there is none: the state is not the server's words.
    if (const QString mark = QLatin1Char('(') + state + QLatin1Char(')'); words.endsWith(mark))
        words = words.chopped(mark.size()).trimmed();
    if (words.isEmpty())
        words = error.driverText().trimmed();
    return serverError(state, words, uri, broken);
}

QString administratorCommand(const QString &uri, const QString &sql)
{
    return QStringLiteral("runuser -u postgres -- psql -d %1 -c %2")
        .arg(shellWord(readServerUri(uri).database()), shellWord(sql));
}

QString deniedPermissionAdvice(const QString &uri)
{
    const ServerAddress address = readServerUri(uri);
    const QString user = quotedName(address.user());
    return QStringLiteral("Il server non concede all'utente \"%1\" un permesso che serve per lavorare sul catalogo "
                          "\"%2\". Chi amministra il server lo conceda una volta, come superutente, con il comando:\n"
                          "  %3")
        .arg(address.user(), serverLabel(uri),
             administratorCommand(uri,
                                  QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA "
                                                 "public TO %1; GRANT USAGE, SELECT, UPDATE ON ALL SEQUENCES IN "
                                                 "SCHEMA public TO %1")
                                      .arg(user)));
}

QString newDatabaseAdvice(const QString &uri)
{
    const ServerAddress address = readServerUri(uri);
    const QString name = address.database() + QStringLiteral("_catalogo");
    QUrl url(uri);
    QUrlQuery query(url);
    if (query.hasQueryItem(QStringLiteral("dbname"))) {
        query.removeAllQueryItems(QStringLiteral("dbname"));
        query.addQueryItem(QStringLiteral("dbname"), name);
        url.setQuery(query);
    } else {
        url.setPath(QLatin1Char('/') + name);
    }
    return QStringLiteral("Il catalogo va creato su un database suo, vuoto. Chi amministra il server lo crei con il "
                          "comando:\n  runuser -u postgres -- createdb --owner=%1 --template=template0 "
                          "--locale=C.UTF-8 %2\npoi vi si crea il catalogo con:\n  crea_catalogo --server %3\n"
                          "e sulle postazioni si scrive in CINFIG.INI, nella sezione [Catalogo]:\n  Server=%4")
        .arg(shellWord(address.user()), shellWord(name), shellWord(url.toString(QUrl::RemovePassword)),
             url.toString(QUrl::RemovePassword));
}

} // namespace db
