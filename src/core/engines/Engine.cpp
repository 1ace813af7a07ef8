#include "core/engines/Engine.h"

#include "core/engines/FileEngine.h"
#include "core/engines/ServerEngine.h"
#include "core/engines/ServerLocation.h"

#include <QAtomicInteger>
#include <QSqlError>
#include <QSqlRecord>

namespace db {

namespace {
QAtomicInteger<quint64> connectionCounter;

// Rows deleted by one statement.
constexpr qsizetype rowsPerDeletion = 500;

// Field name -> value, with the names as the schema spells them. A text without
// value is the empty text: the windows read every field as text.
QMap<QString, QVariant> storedValues(const schema::Table &table, const QMap<QString, QVariant> &fields)
{
    QMap<QString, QVariant> values;
    for (auto field = fields.cbegin(); field != fields.cend(); ++field) {
        const QString name = schema::fieldOf(table, field.key());
        if (name.isEmpty())
            throw DbError(QStringLiteral("Il campo \"%1\" non esiste.").arg(field.key()));
        const QVariant &value = field.value();
        if (value.typeId() == QMetaType::QString && value.toString().isNull())
            values.insert(name, QVariant(QString(QLatin1String(""))));
        else
            values.insert(name, value);
    }
    return values;
}

QString marks(qsizetype count)
{
    QStringList all;
    for (qsizetype i = 0; i < count; ++i)
        all.append(QStringLiteral("?"));
    return all.join(QLatin1Char(','));
}
} // namespace

const Engine &Engine::of(const QString &location)
{
    static const FileEngine file;
    static const ServerEngine server;
    if (isServerLocation(location))
        return server;
    return file;
}

std::unique_ptr<Connection> connect(const QString &location)
{
    return Engine::of(location).connect(location);
}

const schema::Table &Connection::tableOf(const QString &name)
{
    const schema::Table *table = schema::table(name);
    if (!table)
        throw DbError(QStringLiteral("La tabella \"%1\" non fa parte del catalogo.").arg(name));
    return *table;
}

Connection::Connection(QString location, const QString &driver)
    : m_location(std::move(location)), m_name(QStringLiteral("catalogo-%1").arg(connectionCounter.fetchAndAddRelaxed(1)))
{
    m_db = QSqlDatabase::addDatabase(driver, m_name);
}

Connection::~Connection()
{
    close();
}

void Connection::close()
{
    if (!m_db.isValid())
        return;
    rollback();
    m_prepared.clear();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

DbError Connection::failure(const QSqlQuery &query) const
{
    return errorOf(query.lastError());
}

DbError Connection::failure() const
{
    return errorOf(m_db.lastError());
}

QString quotedName(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QString Connection::name(const QString &identifier) const
{
    return quotedName(identifier);
}

QString Connection::names(const QStringList &fields) const
{
    QStringList quoted;
    for (const QString &field : fields)
        quoted.append(name(field));
    return quoted.join(QLatin1Char(','));
}

void Connection::exec(QSqlQuery &query)
{
    if (!query.exec())
        throw failure(query);
}

QSqlQuery Connection::run(const QString &sql, const QVariantList &values)
{
    if (!m_db.isOpen())
        throw DbError(QStringLiteral("La connessione al catalogo non è aperta."));
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (values.isEmpty()) { // run as it stands: not every statement can be prepared
        if (!query.exec(sql))
            throw failure(query);
        return query;
    }
    if (!query.prepare(sql))
        throw failure(query);
    for (const QVariant &value : values)
        query.addBindValue(value);
    exec(query);
    return query;
}

void Connection::runAll(const QStringList &statements)
{
    for (const QString &statement : statements)
        run(statement);
}

QSqlQuery &Connection::prepared(const QString &sql)
{
    auto found = m_prepared.find(sql);
    if (found == m_prepared.end()) {
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        if (!query.prepare(sql))
            throw failure(query);
        found = m_prepared.insert(sql, query);
    }
    return *found;
}

// ---- transactions ----

void Connection::begin(const QStringList &statements)
{
    if (!m_db.isOpen())
        throw DbError(QStringLiteral("La connessione al catalogo non è aperta."));
    for (qsizetype i = 0; i < statements.size(); ++i) {
        QSqlQuery query(m_db);
        if (!query.exec(statements.at(i))) {
            const DbError error = failure(query);
            if (i > 0)
                QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
            throw error;
        }
    }
    m_transactionOpen = true;
}

void Connection::commit()
{
    if (!m_transactionOpen)
        throw DbError(QStringLiteral("Nessuna transazione da confermare."));
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("COMMIT")))
        throw failure(query);
    m_transactionOpen = false;
}

void Connection::rollback()
{
    if (!m_transactionOpen)
        return;
    m_transactionOpen = false;
    if (m_db.isOpen()) {
        for (QSqlQuery &query : m_prepared)
            query.finish();
        QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
    }
}

// ---- rows ----

void Connection::eachRow(const QString &table, const QStringList &fields,
                         const std::function<void(const QVariantList &)> &take)
{
    const schema::Table &which = tableOf(table);
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(names(fields), name(which.name));
    if (!which.counter().isEmpty())
        sql += QStringLiteral(" ORDER BY ") + name(which.counter());
    QSqlQuery query = run(sql);
    QVariantList values;
    while (query.next()) {
        values.clear();
        for (qsizetype c = 0; c < fields.size(); ++c)
            values.append(query.value(int(c)));
        take(values);
    }
    if (query.lastError().isValid())
        throw failure(query);
}

QList<QVariantList> Connection::rows(const QString &table, const QStringList &fields)
{
    QList<QVariantList> all;
    eachRow(table, fields, [&all](const QVariantList &values) { all.append(values); });
    return all;
}

std::optional<QMap<QString, QVariant>> Connection::row(const QString &table, qint64 id)
{
    const schema::Table &which = tableOf(table);
    const QStringList fields = which.fieldNames();
    QSqlQuery &query = prepared(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                    .arg(names(fields), name(which.name), name(which.counter())));
    query.addBindValue(id);
    exec(query);
    if (!query.next()) {
        const bool failed = query.lastError().isValid();
        query.finish();
        if (failed)
            throw failure(query);
        return std::nullopt;
    }
    QMap<QString, QVariant> values;
    for (qsizetype c = 0; c < fields.size(); ++c)
        values.insert(fields.at(c), query.value(int(c)));
    query.finish();
    return values;
}

QHash<qint64, QVariantList> Connection::rowsById(const QStringList &fields, std::span<const qint64> ids)
{
    const schema::Table &tabella = schema::tabella();
    QSqlQuery &query = prepared(QStringLiteral("SELECT %1,%2 FROM %3 WHERE %2 IN (%4)")
                                    .arg(names(fields), name(tabella.counter()), name(tabella.name),
                                         marks(qsizetype(ids.size()))));
    for (qint64 id : ids)
        query.addBindValue(id);
    exec(query);
    QHash<qint64, QVariantList> byId;
    const int columns = int(fields.size());
    while (query.next()) {
        QVariantList values;
        values.reserve(columns);
        for (int c = 0; c < columns; ++c)
            values.append(query.value(c));
        byId.insert(query.value(columns).toLongLong(), std::move(values));
    }
    const bool failed = query.lastError().isValid();
    query.finish();
    if (failed)
        throw failure(query);
    return byId;
}

qint64 Connection::count(const QString &table)
{
    QSqlQuery query = run(QStringLiteral("SELECT count(*) FROM %1").arg(name(tableOf(table).name)));
    if (!query.next())
        throw failure(query);
    return query.value(0).toLongLong();
}

qint64 Connection::lastId()
{
    const schema::Table &tabella = schema::tabella();
    QSqlQuery query = run(QStringLiteral("SELECT max(%1) FROM %2").arg(name(tabella.counter()), name(tabella.name)));
    if (!query.next())
        throw failure(query);
    return query.value(0).toLongLong(); // no row: NULL, read as 0
}

QStringList Connection::fieldsOf(const QString &table)
{
    if (const auto known = m_fields.constFind(table); known != m_fields.cend())
        return *known;
    const QSqlRecord record = run(QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(name(tableOf(table).name))).record();
    QStringList fields;
    for (int i = 0; i < record.count(); ++i)
        fields.append(record.fieldName(i));
    m_fields.insert(table, fields);
    return fields;
}

qint64 Connection::insert(const QString &table, const QMap<QString, QVariant> &fields)
{
    const schema::Table &which = tableOf(table);
    QMap<QString, QVariant> values = storedValues(which, fields);
    qint64 id = 0;
    if (const QString counter = which.counter(); !counter.isEmpty()) {
        if (!values.contains(counter))
            values.insert(counter, nextId(which.name));
        id = values.value(counter).toLongLong();
    }
    QSqlQuery &query = prepared(
        values.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(name(which.name))
                         : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(name(which.name), names(values.keys()), marks(values.size())));
    for (const QVariant &value : std::as_const(values))
        query.addBindValue(value);
    exec(query);
    return id;
}

bool Connection::update(const QString &table, qint64 id, const QMap<QString, QVariant> &fields)
{
    const schema::Table &which = tableOf(table);
    const QMap<QString, QVariant> values = storedValues(which, fields);
    if (values.contains(which.counter()))
        throw DbError(QStringLiteral("Il campo \"%1\" è un contatore e non si può cambiare.").arg(which.counter()));
    if (values.isEmpty())
        return row(table, id).has_value();
    QStringList sets;
    for (const QString &field : values.keys())
        sets.append(name(field) + QStringLiteral(" = ?"));
    QSqlQuery &query = prepared(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                                    .arg(name(which.name), sets.join(QLatin1Char(',')), name(which.counter())));
    for (const QVariant &value : values)
        query.addBindValue(value);
    query.addBindValue(id);
    exec(query);
    return query.numRowsAffected() > 0;
}

int Connection::updateAll(const QString &table, const QMap<QString, QVariant> &fields)
{
    const schema::Table &which = tableOf(table);
    const QMap<QString, QVariant> values = storedValues(which, fields);
    QStringList sets;
    for (const QString &field : values.keys())
        sets.append(name(field) + QStringLiteral(" = ?"));
    QSqlQuery query = run(QStringLiteral("UPDATE %1 SET %2").arg(name(which.name), sets.join(QLatin1Char(','))),
                          values.values());
    return query.numRowsAffected();
}

bool Connection::remove(const QString &table, qint64 id)
{
    const schema::Table &which = tableOf(table);
    QSqlQuery &query
        = prepared(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(name(which.name), name(which.counter())));
    query.addBindValue(id);
    exec(query);
    return query.numRowsAffected() > 0;
}

void Connection::remove(const QString &table, const QList<qint64> &ids)
{
    const schema::Table &which = tableOf(table);
    for (qsizetype first = 0; first < ids.size(); first += rowsPerDeletion) {
        const QList<qint64> some = ids.mid(first, rowsPerDeletion);
        QVariantList values;
        for (qint64 id : some)
            values.append(id);
        run(QStringLiteral("DELETE FROM %1 WHERE %2 IN (%3)")
                .arg(name(which.name), name(which.counter()), marks(some.size())),
            values);
    }
}

void Connection::removeAll(const QString &table)
{
    run(QStringLiteral("DELETE FROM %1").arg(name(tableOf(table).name)));
}

} // namespace db
