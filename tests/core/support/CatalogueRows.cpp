#include "CatalogueRows.h"

#include "core/db/Connection.h"
#include "core/db/Recordset.h"

#include <QAbstractItemModel>
#include <QSqlQuery>
#include <QTest>

namespace testdata {

namespace {
QString connectionText(const CatalogueFolder &env)
{
    return db::connectionTextA(env.catalogPath());
}
} // namespace

void runSql(const CatalogueFolder &env, const QStringList &statements)
{
    db::Connection connection;
    connection.open(connectionText(env));
    for (const QString &statement : statements)
        connection.execute(statement);
}

void runSql(const CatalogueFolder &env, const QString &statement, const QVariantList &values)
{
    db::Connection connection;
    connection.open(connectionText(env));
    QSqlQuery query(connection.database());
    QVERIFY(query.prepare(connection.sql(statement)));
    for (const QVariant &value : values)
        query.addBindValue(value);
    QVERIFY2(query.exec(), qPrintable(statement));
}

qint64 addRecord(const CatalogueFolder &env, const QVariantMap &fields)
{
    db::Connection connection;
    connection.open(connectionText(env));
    db::Recordset rows;
    rows.open(QStringLiteral("Tabella"), connection, db::adOpenStatic, db::adLockOptimistic);
    const qint64 id = rows.addNew();
    for (auto field = fields.cbegin(); field != fields.cend(); ++field)
        rows.setField(field.key(), field.value());
    rows.update();
    return id;
}

void addRecords(const CatalogueFolder &env, const QList<QVariantMap> &records)
{
    db::Connection connection;
    connection.open(connectionText(env));
    db::Recordset rows;
    rows.open(QStringLiteral("Tabella"), connection, db::adOpenStatic, db::adLockOptimistic);
    db::inTransaction(connection, [&] {
        for (const QVariantMap &fields : records) {
            rows.addNew();
            for (auto field = fields.cbegin(); field != fields.cend(); ++field)
                rows.setField(field.key(), field.value());
            rows.update();
        }
    });
}

void addLookupRows(const CatalogueFolder &env, const QString &table, const QStringList &texts)
{
    for (const QString &text : texts)
        runSql(env, QStringLiteral("INSERT INTO %1 (%1) VALUES (?)").arg(table), {text});
}

QList<QVariantMap> rowsOf(const CatalogueFolder &env, const QString &source)
{
    db::Connection connection;
    connection.open(connectionText(env));
    db::Recordset rows;
    rows.open(source, connection, db::adOpenKeyset);
    QList<QVariantMap> result;
    for (; !rows.eof(); rows.moveNext()) {
        QVariantMap row;
        for (const QString &field : rows.fieldNames())
            row.insert(field, rows.field(field));
        result.append(row);
    }
    return result;
}

QStringList storedField(const CatalogueFolder &env, const QString &field)
{
    QStringList values;
    for (const QVariantMap &row : rowsOf(env, QStringLiteral("SELECT * FROM Tabella ORDER BY ID")))
        values.append(row.value(field).toString());
    return values;
}

int rowCount(const CatalogueFolder &env, const QString &table)
{
    db::Connection connection;
    connection.open(connectionText(env));
    db::Recordset rows;
    rows.open(table, connection, db::adOpenKeyset);
    return rows.recordCount();
}

QVariant storedCounter(const CatalogueFolder &env)
{
    db::Connection connection;
    connection.open(connectionText(env));
    db::Recordset rows;
    rows.open(QStringLiteral("contatore"), connection);
    return rows.eof() ? QVariant() : rows.field(QStringLiteral("Progressivo"));
}

void setCounter(const CatalogueFolder &env, qint64 value)
{
    runSql(env, QStringLiteral("UPDATE contatore SET Progressivo = ?"), {value});
}

void replaceCounterWithText(const CatalogueFolder &env, const QString &text)
{
    runSql(env, {QStringLiteral("DROP TABLE contatore"), QStringLiteral("CREATE TABLE contatore (Progressivo TEXT)")});
    runSql(env, QStringLiteral("INSERT INTO contatore (Progressivo) VALUES (?)"), {text});
}

void removeCounterRow(const CatalogueFolder &env)
{
    runSql(env, {QStringLiteral("DELETE FROM contatore")});
}

int columnOf(const QAbstractItemModel &model, const QString &field)
{
    for (int c = 0; c < model.columnCount(); ++c)
        if (model.headerData(c, Qt::Horizontal).toString() == field)
            return c;
    return -1;
}

} // namespace testdata
