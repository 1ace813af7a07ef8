#include "core/engines/Recordset.h"

#include "core/engines/Connection.h"
#include "core/catalogue/DbError.h"
#include "core/engines/Server.h"
#include "core/engines/Statements.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlField>

namespace db {

namespace {
const QString rowIdColumn = QStringLiteral("__riga__");

void run(const Connection &connection, QSqlQuery &query)
{
    if (!query.exec())
        throw connection.failure(query);
}

QString quotedName(const QString &name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}
} // namespace

void Recordset::open(const QString &source, Connection &connection, int, int lock, int, const QVariantList &bindings)
{
    close();
    if (!connection.isOpen())
        throw DbError(QStringLiteral("La connessione al catalogo non è aperta."));
    m_connection = &connection;
    m_bindings = bindings;
    QString statement = translateSource(source);
    m_updatable = lock == adLockOptimistic || lock == adLockPessimistic || lock == adLockBatchOptimistic;
    m_table.clear();
    m_counterField.clear();
    if (m_updatable) {
        m_table = singleTableOf(statement);
        if (m_table.isEmpty())
            throw DbError(QStringLiteral("Il record set su \"%1\" non si può modificare.").arg(source));
        // Keep the engine's row id beside the fields, to find the row again on changes.
        static const QRegularExpression select(QStringLiteral("^\\s*SELECT\\s+"),
                                               QRegularExpression::CaseInsensitiveOption);
        statement.replace(select, QStringLiteral("SELECT rowid AS %1, ").arg(rowIdColumn));
        if (connection.isServer()) {
            // The tables were made with their names quoted: the name as made.
            m_table = serverDialect(m_table).remove(QLatin1Char('"'));
            QSqlQuery info(connection.database());
            info.prepare(QStringLiteral("SELECT column_name FROM information_schema.columns WHERE table_schema ="
                                        " current_schema() AND table_name = ? AND is_identity = 'YES'"));
            info.addBindValue(m_table);
            run(connection, info);
            if (info.next())
                m_counterField = info.value(0).toString();
        } else {
            QSqlQuery info(connection.database());
            info.prepare(QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?)"));
            info.addBindValue(m_table);
            run(connection, info);
            while (info.next())
                if (info.value(2).toInt() == 1
                    && info.value(1).toString().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
                    m_counterField = info.value(0).toString();
        }
    }
    if (connection.isServer())
        statement = serverDialect(statement);
    m_statement = statement;
    m_query = QSqlQuery(connection.database());
    m_query.setForwardOnly(true);
    if (!m_query.prepare(statement))
        throw m_connection->failure(m_query);
    for (const QVariant &value : bindings)
        m_query.addBindValue(value);
    run(*m_connection, m_query);
    m_fields.clear();
    const QSqlRecord record = m_query.record();
    for (int i = 0; i < record.count(); ++i)
        if (record.fieldName(i) != rowIdColumn)
            m_fields.append(record.fieldName(i));
    m_open = true;
    m_count.reset();
    m_adding = false;
    m_pending = QVector<std::optional<QVariant>>(m_fields.size());
    m_eof = !m_query.next();
    fetchCurrent();
}

void Recordset::fetchCurrent()
{
    m_row.clear();
    m_rowId = 0;
    if (m_eof)
        return;
    const int offset = m_updatable ? 1 : 0;
    if (m_updatable)
        m_rowId = m_query.value(0).toLongLong();
    m_row.reserve(m_fields.size());
    for (int i = 0; i < m_fields.size(); ++i)
        m_row.append(m_query.value(i + offset));
}

bool Recordset::eof() const
{
    return !m_open || m_eof;
}

void Recordset::moveNext()
{
    if (eof())
        throw DbError(QStringLiteral("Non c'è un record corrente."));
    m_adding = false;
    m_pending.fill(std::nullopt);
    m_eof = !m_query.next();
    if (m_eof && m_query.lastError().isValid())
        throw m_connection->failure(m_query);
    fetchCurrent();
}

int Recordset::recordCount()
{
    if (!m_open)
        throw DbError(QStringLiteral("Il record set non è aperto."));
    if (!m_count) {
        QSqlQuery count(m_connection->database());
        count.prepare(QStringLiteral("SELECT COUNT(*) FROM (") + m_statement + QStringLiteral(") AS righe"));
        for (const QVariant &value : m_bindings)
            count.addBindValue(value);
        run(*m_connection, count);
        count.next();
        m_count = count.value(0).toInt();
    }
    return *m_count;
}

QStringList Recordset::fieldNames() const
{
    return m_fields;
}

int Recordset::columnOf(const QString &name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant Recordset::field(const QString &name) const
{
    const int column = columnOf(name);
    if (column < 0)
        throw DbError(QStringLiteral("Il campo \"%1\" non esiste.").arg(name));
    if (m_pending.value(column))
        return *m_pending.at(column);
    if (m_adding)
        return m_fields.at(column).compare(m_counterField, Qt::CaseInsensitive) == 0 ? QVariant(m_newId) : QVariant();
    if (eof())
        throw DbError(QStringLiteral("Non c'è un record corrente."));
    return m_row.value(column);
}

void Recordset::requireUpdatable(const char *operation) const
{
    if (!m_open)
        throw DbError(QStringLiteral("Il record set non è aperto."));
    if (!m_updatable)
        throw DbError(
            QStringLiteral("Il record set è di sola lettura: %1 non è possibile.").arg(QString::fromLatin1(operation)));
}

void Recordset::setField(const QString &name, const QVariant &value)
{
    requireUpdatable("la modifica");
    const int column = columnOf(name);
    if (column < 0)
        throw DbError(QStringLiteral("Il campo \"%1\" non esiste.").arg(name));
    if (!m_adding && m_eof)
        throw DbError(QStringLiteral("Non c'è un record corrente."));
    if (m_fields.at(column).compare(m_counterField, Qt::CaseInsensitive) == 0)
        throw DbError(QStringLiteral("Il campo \"%1\" è un contatore e non si può cambiare.").arg(m_fields.at(column)));
    // The empty text of a control is stored as the empty text, never as a missing value.
    if (value.typeId() == QMetaType::QString && value.toString().isNull())
        m_pending[column] = QVariant(QString(QLatin1String("")));
    else
        m_pending[column] = value;
}

qint64 Recordset::addNew()
{
    requireUpdatable("l'aggiunta");
    m_pending.fill(std::nullopt);
    m_adding = true;
    m_newId = 0;
    if (!m_counterField.isEmpty()) {
        // The counter never hands out a number again: the next one is above both the
        // highest number ever given and the highest one in use.
        QSqlQuery next(m_connection->database());
        if (m_connection->isServer())
            next.prepare(QStringLiteral("SELECT nextval(pg_get_serial_sequence(?, ?))"));
        else
            next.prepare(
            QStringLiteral("SELECT MAX(COALESCE((SELECT seq FROM sqlite_sequence WHERE name = ? COLLATE NOCASE), 0),"
                           " COALESCE((SELECT MAX(rowid) FROM %1), 0)) + 1")
                .arg(quotedName(m_table)));
        next.addBindValue(m_connection->isServer() ? quotedName(m_table) : m_table);
        if (m_connection->isServer())
            next.addBindValue(m_counterField);
        run(*m_connection, next);
        next.next();
        m_newId = next.value(0).toLongLong();
    }
    return m_newId;
}

void Recordset::update()
{
    requireUpdatable("il salvataggio");
    QStringList names;
    QVariantList values;
    for (int i = 0; i < m_fields.size(); ++i) {
        if (!m_pending.at(i))
            continue;
        names.append(quotedName(m_fields.at(i)));
        values.append(*m_pending.at(i));
    }
    QSqlQuery change(m_connection->database());
    if (m_adding) {
        QStringList columns = names;
        QStringList marks;
        if (!m_counterField.isEmpty()) {
            columns.prepend(quotedName(m_counterField));
            values.prepend(m_newId);
        }
        for (int i = 0; i < columns.size(); ++i)
            marks.append(QStringLiteral("?"));
        change.prepare(columns.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quotedName(m_table))
                                         : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                               .arg(quotedName(m_table), columns.join(QLatin1Char(',')),
                                                    marks.join(QLatin1Char(','))));
    } else {
        if (m_eof)
            throw DbError(QStringLiteral("Non c'è un record corrente."));
        if (names.isEmpty())
            return;
        QStringList sets;
        for (const QString &name : names)
            sets.append(name + QStringLiteral(" = ?"));
        change.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                           .arg(quotedName(m_table), sets.join(QLatin1Char(',')), rowIdName()));
        values.append(m_rowId);
    }
    for (const QVariant &value : values)
        change.addBindValue(value);
    run(*m_connection, change);
    if (m_adding) {
        m_adding = false;
        if (m_count)
            ++*m_count;
    } else {
        for (int i = 0; i < m_fields.size(); ++i)
            if (m_pending.at(i))
                m_row[i] = *m_pending.at(i);
    }
    m_pending.fill(std::nullopt);
}

void Recordset::deleteCurrent()
{
    requireUpdatable("l'eliminazione");
    if (m_eof || m_adding)
        throw DbError(QStringLiteral("Non c'è un record corrente da eliminare."));
    QSqlQuery remove(m_connection->database());
    remove.prepare(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(quotedName(m_table), rowIdName()));
    remove.addBindValue(m_rowId);
    run(*m_connection, remove);
    if (m_count)
        --*m_count;
}

QString Recordset::rowIdName() const
{
    return m_connection->isServer() ? QStringLiteral("\"ID\"") : QStringLiteral("rowid");
}

void Recordset::close()
{
    m_query = QSqlQuery();
    m_open = false;
    m_eof = true;
    m_adding = false;
    m_row.clear();
    m_fields.clear();
    m_pending.clear();
    m_count.reset();
}

} // namespace db
