#include "core/engines/Server.h"

#include "core/engines/SearchIndex.h"

#include "core/catalogue/Catalogue.h"
#include "core/engines/Connection.h"
#include "core/engines/Statements.h"

#include <QAtomicInteger>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QUrlQuery>
#include <libpq-fe.h>

namespace db {

namespace {
QAtomicInteger<quint64> serverConnections;

// The names of the catalogue as its tables were made; the statements of the
// program write them in any letter case.
const QStringList &catalogueNames()
{
    static const QStringList names{
        QStringLiteral("Tabella"),   QStringLiteral("Chiave"),        QStringLiteral("Argomento"),
        QStringLiteral("Testo"),     QStringLiteral("Pubblicazione"), QStringLiteral("N\u00B0"),
        QStringLiteral("Data"),      QStringLiteral("Pag"),           QStringLiteral("Par"),
        QStringLiteral("Note"),      QStringLiteral("Allocazione"),   QStringLiteral("Prog"),
        QStringLiteral("contatore"), QStringLiteral("Progressivo"),   QStringLiteral("ID")};
    return names;
}

QString canonicalName(const QString &word)
{
    if (word.compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("ID");
    for (const QString &name : catalogueNames())
        if (name.compare(word, Qt::CaseInsensitive) == 0)
            return name;
    return QString();
}

QString quoted(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

bool isWordStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_') || c == QChar(0x00B0);
}

bool isWordPart(QChar c)
{
    return isWordStart(c) || c.isDigit();
}

// The advisory lock a running program holds shared on the server catalogue.
constexpr int markClass = 0x52756430; // "Rud0"
constexpr int markObject = 1;

QMutex ownMarksMutex;
QSet<int> ownMarkProcesses; // the server processes of this program's own marks

QStringList tablesOnServer(QSqlDatabase &database)
{
    QSqlQuery query(database);
    query.exec(QStringLiteral("SELECT table_name FROM information_schema.tables "
                              "WHERE table_schema = current_schema() ORDER BY table_name"));
    QStringList names;
    while (query.next())
        names.append(query.value(0).toString());
    return names;
}

} // namespace

QString serverUnreachable(const QString &uri, const QString &reason)
{
    return QStringLiteral("Impossibile collegarsi al catalogo sul server \"%1\": il server non è raggiungibile, "
                          "non ha il database indicato oppure ha rifiutato l'utente.\nMotivo indicato: %2")
        .arg(serverLabel(uri), reason);
}

namespace {
// A statement already written for the server, run as it stands on `server` (a
// Connection opened on the server's URI).
void runOnServer(Connection &server, const QString &statement)
{
    QSqlQuery query(server.database());
    if (!query.exec(statement))
        throw server.failure(query);
}
QVariant valueOnServer(Connection &server, const QString &statement)
{
    QSqlQuery query(server.database());
    if (!query.exec(statement))
        throw server.failure(query);
    return query.next() ? query.value(0) : QVariant();
}

// Substring search on the four searchable fields. Each has a narrow table of its
// own, "Tabella_ricerca_<field>", holding the field in lower case under a GIN
// trigram index, kept by statement triggers on Tabella whoever writes it. A
// fragment found in a quarter of the catalogue then reads a few tens of MB
// instead of every whole record, and LIKE on the folded value gives the rows of
// ILIKE (which folds both sides with lower() too) without folding every row anew.
const char *const searchFields[] = {"Chiave", "Argomento", "Testo", "Pubblicazione"};
const QString searchTrigger = QStringLiteral("Tabella_ricerca");

QString searchTable(const QString &field)
{
    return QStringLiteral("Tabella_ricerca_") + field;
}

// What the triggers do, by the change made to Tabella.
QString searchTriggerFunction()
{
    QString removeOld;
    QString addNew;
    QStringList tables;
    for (const char *name : searchFields) {
        const QString field = QLatin1String(name);
        const QString table = quoted(searchTable(field));
        tables.append(table);
        removeOld += QStringLiteral("DELETE FROM %1 WHERE \"ID\" IN (SELECT \"ID\" FROM vecchie); ").arg(table);
        addNew += QStringLiteral("INSERT INTO %1 SELECT \"ID\", lower(%2) FROM nuove; ").arg(table, quoted(field));
    }
    return QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                          "IF TG_OP = 'TRUNCATE' THEN TRUNCATE %2; RETURN NULL; END IF; "
                          "IF TG_OP <> 'INSERT' THEN %3END IF; "
                          "IF TG_OP <> 'DELETE' THEN %4END IF; "
                          "RETURN NULL; END $$")
        .arg(quoted(searchTrigger), tables.join(QStringLiteral(", ")), removeOld, addNew);
}

// The triggers on Tabella, by name with what they react to. A statement trigger
// with the changed rows as a table stays quick when a million rows are deleted.
struct SearchTrigger {
    QString name;
    QString event;
    QString rows; // how the changed rows are named, if they are
};
const QList<SearchTrigger> &searchTriggers()
{
    static const QList<SearchTrigger> triggers{
        {searchTrigger + QStringLiteral("_inserimento"), QStringLiteral("INSERT"),
         QStringLiteral("REFERENCING NEW TABLE AS nuove")},
        {searchTrigger + QStringLiteral("_modifica"), QStringLiteral("UPDATE"),
         QStringLiteral("REFERENCING OLD TABLE AS vecchie NEW TABLE AS nuove")},
        {searchTrigger + QStringLiteral("_eliminazione"), QStringLiteral("DELETE"),
         QStringLiteral("REFERENCING OLD TABLE AS vecchie")},
        {searchTrigger + QStringLiteral("_svuotamento"), QStringLiteral("TRUNCATE"), QString()},
    };
    return triggers;
}

// The search tables filled from Tabella, with their indexes and triggers; or
// all of it removed. Dropped while Tabella is filled and made once at the end:
// many times faster than kept up row by row.
QStringList searchIndexStatements(bool create)
{
    QStringList statements;
    if (!create) {
        for (const auto &trigger : searchTriggers())
            statements.append(QStringLiteral("DROP TRIGGER IF EXISTS %1 ON \"Tabella\"").arg(quoted(trigger.name)));
        statements.append(QStringLiteral("DROP FUNCTION IF EXISTS %1()").arg(quoted(searchTrigger)));
        for (const char *field : searchFields)
            statements.append(QStringLiteral("DROP TABLE IF EXISTS %1").arg(quoted(searchTable(QLatin1String(field)))));
        return statements;
    }
    for (const char *name : searchFields) {
        const QString field = QLatin1String(name);
        const QString table = quoted(searchTable(field));
        statements.append(QStringLiteral("CREATE TABLE %1 (\"ID\" bigint PRIMARY KEY, \"Valore\" text)").arg(table));
        statements.append(
            QStringLiteral("INSERT INTO %1 SELECT \"ID\", lower(%2) FROM \"Tabella\"").arg(table, quoted(field)));
        statements.append(QStringLiteral("CREATE INDEX %1 ON %2 USING gin (\"Valore\" gin_trgm_ops)")
                              .arg(quoted(searchTable(field) + QStringLiteral("_trgm")), table));
    }
    statements.append(searchTriggerFunction());
    for (const auto &trigger : searchTriggers())
        statements.append(QStringLiteral("CREATE TRIGGER %1 AFTER %2 ON \"Tabella\" %3 FOR EACH STATEMENT "
                                         "EXECUTE FUNCTION %4()")
                              .arg(quoted(trigger.name), trigger.event, trigger.rows, quoted(searchTrigger)));
    return statements;
}

// A value as text in COPY's format: backslash, tab and line ends escaped, NULL as \N.
void appendCopyValue(QByteArray &line, const QVariant &value)
{
    if (value.isNull()) {
        line += "\\N";
        return;
    }
    const QByteArray text = value.toString().remove(QChar(0)).toUtf8();
    for (const char c : text) {
        switch (c) {
        case '\\':
            line += "\\\\";
            break;
        case '\t':
            line += "\\t";
            break;
        case '\n':
            line += "\\n";
            break;
        case '\r':
            line += "\\r";
            break;
        default:
            line += c;
        }
    }
}
} // namespace

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

QString serverDialect(const QString &statement)
{
    QString result;
    result.reserve(statement.size() + 32);
    bool afterLike = false; // the next pattern gets an escape clause
    QString firstTable;
    int i = 0;
    const int n = int(statement.size());
    while (i < n) {
        const QChar c = statement.at(i);
        if (c == QLatin1Char('\'')) {
            int end = i + 1;
            while (end < n) {
                if (statement.at(end) == QLatin1Char('\'')) {
                    if (end + 1 < n && statement.at(end + 1) == QLatin1Char('\'')) {
                        end += 2;
                        continue;
                    }
                    break;
                }
                ++end;
            }
            result += statement.mid(i, end + 1 - i);
            i = end + 1;
            if (afterLike) {
                result += QStringLiteral(" ESCAPE ''");
                afterLike = false;
            }
        } else if (c == QLatin1Char('"')) {
            const int end = int(statement.indexOf(QLatin1Char('"'), i + 1));
            const int stop = end < 0 ? n : end + 1;
            const QString inside = statement.mid(i + 1, stop - i - 2);
            const QString name = canonicalName(inside);
            result += name.isEmpty() ? statement.mid(i, stop - i) : quoted(name);
            i = stop;
        } else if (c == QLatin1Char('?') && afterLike) {
            result += QStringLiteral("? ESCAPE ''");
            afterLike = false;
            ++i;
        } else if (isWordStart(c)) {
            int end = i + 1;
            while (end < n && isWordPart(statement.at(end)))
                ++end;
            const QString word = statement.mid(i, end - i);
            if (word.compare(QLatin1String("LIKE"), Qt::CaseInsensitive) == 0) {
                result += QStringLiteral("ILIKE");
                afterLike = true;
            } else if (const QString name = canonicalName(word); !name.isEmpty()) {
                result += quoted(name);
            } else {
                result += word;
            }
            i = end;
        } else {
            result += c;
            ++i;
        }
    }
    // Rows of one table come in the order of their ID, as the file gives them.
    const QString table = canonicalName(singleTableOf(statement));
    static const QRegularExpression ordered(QStringLiteral("\\bORDER\\s+BY\\b|\\bLIMIT\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (!table.isEmpty() && table != QLatin1String("contatore") && !statement.contains(ordered)) {
        while (result.endsWith(QLatin1Char(';')) || (!result.isEmpty() && result.back().isSpace()))
            result.chop(1);
        result += QStringLiteral(" ORDER BY \"ID\"");
    }
    return result;
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

void createServerCatalogue(const QString &uri)
{
    Connection server;
    server.open(connectionTextA(uri));
    if (!tablesOnServer(server.database()).isEmpty())
        throw DbError(QStringLiteral("Il database \"%1\" non è vuoto: il catalogo si crea solo su un database "
                                     "senza tabelle.")
                          .arg(serverLabel(uri)));
    const QString problem = checkServerCatalogue(uri);
    if (problem.contains(QLatin1String("maiuscole")))
        throw DbError(problem);
    static const char *const schema[] = {
        "CREATE EXTENSION IF NOT EXISTS pg_trgm",
        "CREATE TABLE \"Tabella\" (\"ID\" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, \"Chiave\" text,"
        " \"Argomento\" text, \"Testo\" text, \"Pubblicazione\" text, \"N\u00B0\" text, \"Data\" text,"
        " \"Pag\" text, \"Par\" text, \"Note\" text, \"Allocazione\" text, \"Prog\" text)",
        "CREATE TABLE \"Chiave\" (\"ID\" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, \"Chiave\" text)",
        "CREATE TABLE \"Pubblicazione\" (\"ID\" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,"
        " \"Pubblicazione\" text)",
        "CREATE TABLE \"Allocazione\" (\"ID\" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,"
        " \"Allocazione\" text)",
        "CREATE TABLE \"contatore\" (\"Progressivo\" bigint NOT NULL)",
        "INSERT INTO \"contatore\" (\"Progressivo\") VALUES (0)",
    };
    runOnServer(server, QStringLiteral("BEGIN"));
    try {
        for (const char *statement : schema)
            runOnServer(server, QString::fromUtf8(statement));
        for (const QString &statement : searchIndexStatements(true))
            runOnServer(server, statement);
        runOnServer(server, QStringLiteral("COMMIT"));
    } catch (...) {
        QSqlQuery(server.database()).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

QString checkServerCatalogue(const QString &uri)
{
    try {
        Connection server;
        server.open(connectionTextA(uri));
        // Under the C locale the server folds only ASCII letters: searches would
        // tell È from è, unlike the file.
        if (!valueOnServer(server, QStringLiteral("SELECT 'È' ILIKE 'è' AND 'À' ILIKE 'à'")).toBool())
            return QStringLiteral("Il server \"%1\" non confronta le lettere accentate maiuscole e minuscole come "
                                  "uguali (il database usa la localizzazione C): le ricerche darebbero risultati "
                                  "diversi. Creare il database con la localizzazione C.UTF-8 o it_IT.UTF-8.")
                .arg(serverLabel(uri));
        const QStringList tables = tablesOnServer(server.database());
        for (const QString &table : catalogueTables())
            if (!tables.contains(table))
                return QStringLiteral("Il database \"%1\" non contiene un catalogo (manca la tabella \"%2\").\n"
                                      "Crearlo con: crea_catalogo --server %1")
                    .arg(serverLabel(uri), table);
        return QString();
    } catch (const DbError &error) {
        return error.reason();
    }
}

namespace {
// How a COPY ended, once its data has gone through: empty when it succeeded,
// otherwise the server's message. Every result is taken, so that the connection
// is ready for the next statement.
QByteArray copyOutcome(PGconn *connection)
{
    QByteArray failure;
    while (PGresult *result = PQgetResult(connection)) {
        if (PQresultStatus(result) != PGRES_COMMAND_OK)
            failure = PQresultErrorMessage(result);
        PQclear(result);
    }
    return failure;
}
} // namespace

void copyIntoServerTable(QSqlDatabase &database, const QString &uri, const QString &table, const QStringList &columns,
                         const std::function<bool(QVariantList &row)> &next)
{
    auto *connection = *static_cast<PGconn *const *>(database.driver()->handle().data());
    QStringList names;
    for (const QString &column : columns)
        names.append(quoted(column));
    const QByteArray start
        = QStringLiteral("COPY %1 (%2) FROM STDIN").arg(quoted(table), names.join(QLatin1Char(','))).toUtf8();
    const auto fail = [&](const QString &what) {
        return DbError(
            QStringLiteral("La copia della tabella \"%1\" sul server si è interrotta: %2").arg(table, what.trimmed()),
            DbError::Kind::Engine, uri);
    };
    PGresult *result = PQexec(connection, start.constData());
    const bool started = PQresultStatus(result) == PGRES_COPY_IN;
    PQclear(result);
    if (!started)
        throw fail(QString::fromUtf8(PQerrorMessage(connection)));
    QByteArray buffer;
    QVariantList row;
    bool more = true;
    while (more) {
        row.clear();
        more = next(row);
        if (more) {
            for (int i = 0; i < row.size(); ++i) {
                if (i > 0)
                    buffer += '\t';
                appendCopyValue(buffer, row.at(i));
            }
            buffer += '\n';
        }
        if (buffer.size() > (1 << 20) || (!more && !buffer.isEmpty())) {
            if (PQputCopyData(connection, buffer.constData(), int(buffer.size())) != 1)
                throw fail(QString::fromUtf8(PQerrorMessage(connection)));
            buffer.clear();
        }
    }
    if (PQputCopyEnd(connection, nullptr) != 1)
        throw fail(QString::fromUtf8(PQerrorMessage(connection)));
    const QByteArray failure = copyOutcome(connection);
    if (!failure.isEmpty())
        throw fail(QString::fromUtf8(failure));
}

void readServerIds(QSqlDatabase &database, const QString &uri, const QString &statement, std::vector<qint64> &ids)
{
    auto *connection = *static_cast<PGconn *const *>(database.driver()->handle().data());
    const QByteArray copy = QStringLiteral("COPY (%1) TO STDOUT").arg(statement).toUtf8();
    const auto fail
        = [&](const char *text) { return DbError(QString::fromUtf8(text).trimmed(), DbError::Kind::Engine, uri); };
    PGresult *result = PQexec(connection, copy.constData());
    if (PQresultStatus(result) != PGRES_COPY_OUT) {
        const DbError error = fail(PQresultErrorMessage(result));
        PQclear(result);
        throw error;
    }
    PQclear(result);
    char *line = nullptr;
    int length;
    while ((length = PQgetCopyData(connection, &line, 0)) > 0) {
        qint64 id = 0;
        for (int i = 0; i < length && line[i] >= '0' && line[i] <= '9'; ++i)
            id = id * 10 + (line[i] - '0');
        ids.push_back(id);
        PQfreemem(line);
    }
    const QByteArray broken = length == -2 ? QByteArray(PQerrorMessage(connection)) : QByteArray();
    QByteArray failure = copyOutcome(connection);
    if (failure.isEmpty())
        failure = broken;
    if (!failure.isEmpty())
        throw fail(failure.constData());
}

QString serverSearchIdStatement(QSqlDatabase &database, const QString &uri, const QString &statement)
{
    const FieldSearch search = fieldSearchOf(statement);
    if (search.field.isEmpty())
        return QString();
    // The search table is trusted only with every trigger that keeps it in step.
    QStringList triggers;
    for (const auto &trigger : searchTriggers())
        triggers.append(QStringLiteral("'%1'").arg(trigger.name));
    QSqlQuery check(database);
    if (!check.exec(QStringLiteral("SELECT to_regclass('%1') IS NOT NULL AND (SELECT count(*) FROM pg_trigger"
                                   " WHERE tgrelid = to_regclass('\"Tabella\"') AND tgenabled <> 'D'"
                                   " AND tgname IN (%2)) = %3")
                        .arg(quoted(searchTable(search.field)), triggers.join(QLatin1Char(',')))
                        .arg(triggers.size()))
        || !check.next())
        throw serverError(check.lastError(), uri);
    if (!check.value(0).toBool())
        return QString();
    QString pattern = search.pattern;
    pattern.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QStringLiteral("SELECT \"ID\" FROM %1 WHERE \"Valore\" LIKE lower('%2') ESCAPE '' ORDER BY \"ID\"")
        .arg(quoted(searchTable(search.field)), pattern);
}

void copyCatalogueToServer(const QString &path, const QString &uri, const std::function<void(int)> &progress)
{
    const QString problem = checkCatalogue(path);
    if (!problem.isEmpty())
        throw DbError(problem);
    createServerCatalogue(uri);
    Connection server;
    server.open(connectionTextA(uri));
    Connection file;
    file.open(connectionTextA(path));
    file.beginReadTrans();
    QMap<QString, qint64> counts;
    for (const QString &table : catalogueTables()) {
        QSqlQuery count(file.database());
        if (!count.exec(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(table)) || !count.next())
            throw file.failure(count);
        counts.insert(table, count.value(0).toLongLong());
    }
    const qint64 total = std::max<qint64>(1, counts.value(QStringLiteral("Tabella")));
    qint64 copied = 0;
    const auto removeAll = [&] {
        QSqlQuery(server.database()).exec(QStringLiteral("ROLLBACK"));
        QSqlQuery drop(server.database());
        for (const QString &statement : searchIndexStatements(false))
            drop.exec(statement);
        for (const QString &table : catalogueTables())
            drop.exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(quoted(table)));
    };
    try {
        runOnServer(server, QStringLiteral("BEGIN"));
        runOnServer(server, QStringLiteral("DELETE FROM \"contatore\""));
        for (const QString &statement : searchIndexStatements(false))
            runOnServer(server, statement);
        for (const QString &table : catalogueTables()) {
            QSqlQuery rows(file.database());
            rows.setForwardOnly(true);
            if (!rows.exec(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table)))
                throw file.failure(rows);
            QStringList columns;
            const QSqlRecord record = rows.record();
            for (int c = 0; c < record.count(); ++c)
                columns.append(record.fieldName(c));
            const bool isTabella = table == QLatin1String("Tabella");
            copyIntoServerTable(server.database(), uri, table, columns, [&](QVariantList &row) {
                if (!rows.next()) {
                    if (rows.lastError().isValid())
                        throw file.failure(rows);
                    return false;
                }
                for (int c = 0; c < columns.size(); ++c)
                    row.append(rows.value(c));
                if (isTabella && progress && ++copied % 10000 == 0)
                    progress(int(copied * 100 / total));
                return true;
            });
        }
        // Each table's next ID above every number the file ever gave.
        for (const QString &table : catalogueTables()) {
            if (table == QLatin1String("contatore"))
                continue;
            QSqlQuery used(file.database());
            used.prepare(QStringLiteral("SELECT MAX(COALESCE((SELECT seq FROM sqlite_sequence WHERE name = ?), 0),"
                                        " COALESCE((SELECT MAX(rowid) FROM \"%1\"), 0))")
                             .arg(table));
            used.addBindValue(table);
            if (!used.exec() || !used.next())
                throw file.failure(used);
            const qint64 last = used.value(0).toLongLong();
            runOnServer(server,
                        QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', 'ID'), %2, %3)")
                            .arg(quoted(table))
                            .arg(std::max<qint64>(last, 1))
                            .arg(last >= 1 ? QStringLiteral("true") : QStringLiteral("false")));
        }
        for (const QString &statement : searchIndexStatements(true))
            runOnServer(server, statement);
        runOnServer(server, QStringLiteral("ANALYZE")); // the planner's figures for the rows just copied
        for (const QString &table : catalogueTables()) {
            const qint64 rows
                = valueOnServer(server, QStringLiteral("SELECT COUNT(*) FROM %1").arg(quoted(table))).toLongLong();
            if (rows != counts.value(table))
                throw DbError(QStringLiteral("La tabella \"%1\" ha %2 righe sul server e %3 nel file: la copia non è "
                                             "stata conservata.")
                                  .arg(table)
                                  .arg(rows)
                                  .arg(counts.value(table)));
        }
        runOnServer(server, QStringLiteral("COMMIT"));
    } catch (...) {
        removeAll();
        throw;
    }
    if (progress)
        progress(100);
}

// ---- workstations ----

WorkstationMark::WorkstationMark(const QString &uri)
    : m_name(QStringLiteral("postazione-%1").arg(serverConnections.fetchAndAddRelaxed(1)))
{
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
    QSqlQuery mark(database);
    if (!openServerDatabase(database, uri)
        || !mark.exec(
            QStringLiteral("SELECT pg_advisory_lock_shared(%1, %2), pg_backend_pid()").arg(markClass).arg(markObject))
        || !mark.next()) {
        const DbError error = serverError(mark.lastError().isValid() ? mark.lastError() : database.lastError(), uri);
        mark = QSqlQuery();
        database.close();
        database = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        throw error;
    }
    const QMutexLocker lock(&ownMarksMutex);
    ownMarkProcesses.insert(mark.value(1).toInt());
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
        throw serverError(query.lastError(), uri);
    const QMutexLocker lock(&ownMarksMutex);
    int others = 0;
    while (query.next())
        if (!ownMarkProcesses.contains(query.value(0).toInt()))
            ++others;
    return others;
}

} // namespace db
