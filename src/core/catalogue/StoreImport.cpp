// Filling a new catalogue in bulk (the conversion of an Access catalogue): one
// transaction, the search index dropped while the rows go in and built once at
// the end, the result checked as stored before anyone relies on it.
#include "core/engines/DbError.h"
#include "core/catalogue/Store.h"
#include "core/engines/Schema.h"

namespace db {

namespace {

// A missing value is stored as the empty text, never as NULL: the windows read
// every field of a record as text.
QString textOf(const QString &value)
{
    return value.isNull() ? QStringLiteral("") : storable(value);
}

} // namespace

struct Store::Import::Data {
    QString location;
    std::unique_ptr<Connection> connection;
    QMap<QString, qint64> lastUsed;
};

Store::Import::Import(const QString &location) : d(std::make_unique<Data>())
{
    d->location = location;
    d->connection = db::connect(location);
    qint64 present = 0;
    for (const schema::Table &table : schema::tables())
        if (!table.counter().isEmpty())
            present += d->connection->count(table.name);
    if (present != 0)
        throw DbError(QStringLiteral("Il catalogo \"%1\" non è vuoto: non vi si possono portare altri dati.")
                          .arg(location));
    d->connection->beginChange();
    d->connection->dropSearchIndex();
}

Store::Import::~Import() = default; // the connection rolls back what was not committed

std::unique_ptr<Store::Import> Store::beginImport() const
{
    return std::unique_ptr<Import>(new Import(m_path));
}

void Store::Import::addRecord(qint64 id, const QStringList &fields)
{
    const QStringList names = schema::tabella().fieldNames();
    if (fields.size() != names.size() - 1)
        throw DbError(QStringLiteral("Record %1: %2 campi invece di %3.").arg(id).arg(fields.size()).arg(names.size() - 1));
    QMap<QString, QVariant> values{{names.first(), id}};
    for (int i = 0; i < fields.size(); ++i)
        values.insert(names.at(i + 1), textOf(fields.at(i)));
    d->connection->insert(schema::tabella().name, values);
}

void Store::Import::addLookupEntry(lookups::List list, qint64 id, const QString &text)
{
    const QString table = lookups::tableName(list);
    d->connection->insert(table, {{QStringLiteral("ID"), id}, {table, textOf(text)}});
}

void Store::Import::setLastUsedId(const QString &table, qint64 lastUsed)
{
    d->lastUsed.insert(table, lastUsed);
}

void Store::Import::setCounter(qint64 value)
{
    const schema::Table &counter = schema::counterTable();
    if (d->connection->updateAll(counter.name, {{counter.fields.first().name, value}}) != 1)
        throw DbError(QStringLiteral("La tabella \"contatore\" del nuovo catalogo non ha la sua riga."));
}

void Store::Import::finish(const QMap<QString, qint64> &expectedRows)
{
    for (auto last = d->lastUsed.cbegin(); last != d->lastUsed.cend(); ++last)
        d->connection->numberAfter(last.key(), last.value());
    d->connection->buildSearchIndex();
    d->connection->commit();
    // Everything into the catalogue itself, so that it can be moved on its own.
    d->connection->settle();
    d->connection.reset();

    const auto check = db::connect(d->location);
    for (auto expected = expectedRows.cbegin(); expected != expectedRows.cend(); ++expected) {
        const qint64 stored = check->count(expected.key());
        if (stored != expected.value())
            throw DbError(QStringLiteral("la tabella \"%1\" del nuovo catalogo non ha le righe lette: %2 invece di %3.")
                              .arg(expected.key())
                              .arg(stored)
                              .arg(expected.value()));
    }
    if (const QString problem = check->integrityProblem(); !problem.isEmpty())
        throw DbError(QStringLiteral("il controllo di integrità del nuovo catalogo dice: %1").arg(problem));
    if (!check->hasSearchIndex())
        throw DbError(QStringLiteral("il nuovo catalogo non ha l'indice di ricerca."));
}

} // namespace db
