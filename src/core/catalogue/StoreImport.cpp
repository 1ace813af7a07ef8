// Filling a new catalogue in bulk (the conversion of an Access catalogue): one
// transaction, the search index dropped while the rows go in and built once at
// the end, the result checked as stored before anyone relies on it.
#include "core/catalogue/Catalogue.h"
#include "core/engines/Connection.h"
#include "core/catalogue/DbError.h"
#include "core/engines/SearchIndex.h"
#include "core/catalogue/Store.h"

#include <QSqlError>
#include <QSqlQuery>

namespace db {

namespace {

// A missing value is stored as the empty text, never as NULL: the windows read
// every field of a record as text.
QString textOf(const QString &value)
{
    return value.isNull() ? QStringLiteral("") : storable(value);
}

QString reasonOf(const QSqlQuery &query)
{
    const QSqlError error = query.lastError();
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}

void exec(QSqlQuery &query)
{
    if (!query.exec())
        throw DbError(reasonOf(query));
}

QSqlQuery prepared(QSqlDatabase &database, const QString &statement)
{
    QSqlQuery query(database);
    if (!query.prepare(statement))
        throw DbError(reasonOf(query));
    return query;
}

// The first value of the first row of a statement.
QVariant valueOf(QSqlDatabase &database, const QString &statement)
{
    QSqlQuery query(database);
    if (!query.exec(statement) || !query.next())
        throw DbError(reasonOf(query));
    return query.value(0);
}

} // namespace

struct Store::Import::Data {
    QString connectionText;
    Connection connection;
    QSqlQuery record;
    QSqlQuery lookup[3];
    QMap<QString, qint64> lastUsed;
    bool finished = false;
};

Store::Import::Import(const QString &connectionText) : d(std::make_unique<Data>())
{
    d->connectionText = connectionText;
    d->connection.open(connectionText);
    QSqlDatabase &database = d->connection.database();
    const qint64 present = valueOf(database,
                                   QStringLiteral("SELECT (SELECT count(*) FROM Tabella)"
                                                  " + (SELECT count(*) FROM Chiave)"
                                                  " + (SELECT count(*) FROM Pubblicazione)"
                                                  " + (SELECT count(*) FROM Allocazione)"))
                               .toLongLong();
    if (present != 0)
        throw DbError(QStringLiteral("Il catalogo \"%1\" non è vuoto: non vi si possono portare altri dati.")
                          .arg(dataSourceOf(connectionText)));

    d->connection.beginTrans();
    for (const QString &statement : searchIndexDropStatements())
        d->connection.execute(statement);
    QStringList fields = tabellaFields();
    for (QString &field : fields)
        field = QLatin1Char('"') + field + QLatin1Char('"');
    d->record = prepared(database,
                         QStringLiteral("INSERT INTO Tabella (%1) VALUES (?%2)")
                             .arg(fields.join(QLatin1Char(',')), QStringLiteral(",?").repeated(fields.size() - 1)));
    for (const lookups::List list : {lookups::List::Chiave, lookups::List::Pubblicazione, lookups::List::Allocazione}) {
        const QString table = lookups::tableName(list);
        d->lookup[int(list)] = prepared(database, QStringLiteral("INSERT INTO %1 (ID, %1) VALUES (?, ?)").arg(table));
    }
}

Store::Import::~Import() = default; // the connection rolls back what was not committed

std::unique_ptr<Store::Import> Store::beginImport() const
{
    return std::unique_ptr<Import>(new Import(connectionText()));
}

void Store::Import::addRecord(qint64 id, const QStringList &fields)
{
    if (fields.size() != tabellaFields().size() - 1)
        throw DbError(QStringLiteral("Record %1: %2 campi invece di %3.")
                          .arg(id)
                          .arg(fields.size())
                          .arg(tabellaFields().size() - 1));
    d->record.bindValue(0, id);
    for (int i = 0; i < fields.size(); ++i)
        d->record.bindValue(i + 1, textOf(fields.at(i)));
    exec(d->record);
}

void Store::Import::addLookupEntry(lookups::List list, qint64 id, const QString &text)
{
    QSqlQuery &query = d->lookup[int(list)];
    query.bindValue(0, id);
    query.bindValue(1, textOf(text));
    exec(query);
}

void Store::Import::setLastUsedId(const QString &table, qint64 lastUsed)
{
    d->lastUsed.insert(table, lastUsed);
}

void Store::Import::setCounter(qint64 value)
{
    QSqlQuery query = prepared(d->connection.database(), QStringLiteral("UPDATE contatore SET Progressivo = ?"));
    query.addBindValue(value);
    exec(query);
    if (query.numRowsAffected() != 1)
        throw DbError(QStringLiteral("La tabella \"contatore\" del nuovo catalogo non ha la sua riga."));
}

void Store::Import::finish(const QMap<QString, qint64> &expectedRows)
{
    QSqlDatabase &database = d->connection.database();
    // AUTOINCREMENT numbers the next row above the highest value kept here.
    for (auto last = d->lastUsed.cbegin(); last != d->lastUsed.cend(); ++last) {
        const qint64 highest
            = valueOf(database, QStringLiteral("SELECT coalesce(max(ID), 0) FROM %1").arg(last.key())).toLongLong();
        const qint64 seq = std::max(highest, last.value());
        QSqlQuery update = prepared(database, QStringLiteral("UPDATE sqlite_sequence SET seq = ? WHERE name = ?"));
        update.addBindValue(seq);
        update.addBindValue(last.key());
        exec(update);
        if (update.numRowsAffected() == 0) {
            QSqlQuery insert
                = prepared(database, QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"));
            insert.addBindValue(last.key());
            insert.addBindValue(seq);
            exec(insert);
        }
    }
    for (const QString &statement : searchIndexCreateStatements()) {
        QSqlQuery create(database);
        if (!create.exec(statement))
            throw d->connection.failure(create);
    }
    d->record = QSqlQuery();
    for (QSqlQuery &query : d->lookup)
        query = QSqlQuery();
    d->connection.commitTrans();
    d->finished = true;
    // Everything into the file itself, so that it can be moved on its own.
    QSqlQuery(database).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    d->connection.close();

    Connection check;
    check.open(d->connectionText);
    for (auto expected = expectedRows.cbegin(); expected != expectedRows.cend(); ++expected) {
        const qint64 stored
            = valueOf(check.database(), QStringLiteral("SELECT count(*) FROM %1").arg(expected.key())).toLongLong();
        if (stored != expected.value())
            throw DbError(QStringLiteral("la tabella \"%1\" del nuovo catalogo non ha le righe lette: %2 invece di %3.")
                              .arg(expected.key())
                              .arg(stored)
                              .arg(expected.value()));
    }
    const QString integrity = valueOf(check.database(), QStringLiteral("PRAGMA quick_check")).toString();
    if (integrity != QLatin1String("ok"))
        throw DbError(QStringLiteral("il controllo di integrità del nuovo catalogo dice: %1").arg(integrity));
    if (!hasSearchIndex(check.database()))
        throw DbError(QStringLiteral("il nuovo catalogo non ha l'indice di ricerca."));
}

} // namespace db
