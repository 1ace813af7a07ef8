#include "core/engines/ServerSearchTables.h"

#include "core/engines/Engine.h"
#include "core/engines/Schema.h"
#include "core/engines/ServerLocation.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace db {

namespace {

const QString searchTrigger = QStringLiteral("Tabella_ricerca");

// What the triggers do, by the change made to Tabella.
QString searchTriggerFunction()
{
    QString removeOld;
    QString addNew;
    QStringList tables;
    for (const QString &field : schema::searchableFields()) {
        const QString table = quotedName(searchTable(field));
        tables.append(table);
        removeOld += QStringLiteral("DELETE FROM %1 WHERE \"ID\" IN (SELECT \"ID\" FROM vecchie); ").arg(table);
        addNew += QStringLiteral("INSERT INTO %1 SELECT \"ID\", lower(%2) FROM nuove; ").arg(table, quotedName(field));
    }
    return QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                          "IF TG_OP = 'TRUNCATE' THEN TRUNCATE %2; RETURN NULL; END IF; "
                          "IF TG_OP <> 'INSERT' THEN %3END IF; "
                          "IF TG_OP <> 'DELETE' THEN %4END IF; "
                          "RETURN NULL; END $$")
        .arg(quotedName(searchTrigger), tables.join(QStringLiteral(", ")), removeOld, addNew);
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

} // namespace

QString searchTable(const QString &field)
{
    return QStringLiteral("Tabella_ricerca_") + field;
}

// Dropped while Tabella is filled and made once at the end: many times faster
// than kept up row by row.
QStringList searchTableStatements(bool create)
{
    QStringList statements;
    if (!create) {
        for (const auto &trigger : searchTriggers())
            statements.append(QStringLiteral("DROP TRIGGER IF EXISTS %1 ON \"Tabella\"").arg(quotedName(trigger.name)));
        statements.append(QStringLiteral("DROP FUNCTION IF EXISTS %1()").arg(quotedName(searchTrigger)));
        for (const QString &field : schema::searchableFields())
            statements.append(QStringLiteral("DROP TABLE IF EXISTS %1").arg(quotedName(searchTable(field))));
        return statements;
    }
    for (const QString &field : schema::searchableFields()) {
        const QString table = quotedName(searchTable(field));
        statements.append(QStringLiteral("CREATE TABLE %1 (\"ID\" bigint PRIMARY KEY, \"Valore\" text)").arg(table));
        statements.append(
            QStringLiteral("INSERT INTO %1 SELECT \"ID\", lower(%2) FROM \"Tabella\"").arg(table, quotedName(field)));
        statements.append(QStringLiteral("CREATE INDEX %1 ON %2 USING gin (\"Valore\" gin_trgm_ops)")
                              .arg(quotedName(searchTable(field) + QStringLiteral("_trgm")), table));
    }
    statements.append(searchTriggerFunction());
    for (const auto &trigger : searchTriggers())
        statements.append(QStringLiteral("CREATE TRIGGER %1 AFTER %2 ON \"Tabella\" %3 FOR EACH STATEMENT "
                                         "EXECUTE FUNCTION %4()")
                              .arg(quotedName(trigger.name), trigger.event, trigger.rows, quotedName(searchTrigger)));
    return statements;
}


bool searchTableTrusted(QSqlDatabase &database, const QString &uri, const QString &field)
{
    // Asked before every batch of a search: one plain statement, one trip to the
    // server. The names are the program's own, without quotes in them.
    QStringList triggers;
    for (const auto &trigger : searchTriggers())
        triggers.append(QLatin1Char('\'') + trigger.name + QLatin1Char('\''));
    QSqlQuery check(database);
    check.setForwardOnly(true);
    if (!check.exec(QStringLiteral("SELECT to_regclass('%1') IS NOT NULL AND (SELECT count(*) FROM pg_trigger"
                                   " WHERE tgrelid = to_regclass('\"Tabella\"') AND tgenabled <> 'D'"
                                   " AND tgname IN (%2)) = %3")
                        .arg(quotedName(searchTable(field)), triggers.join(QLatin1Char(',')))
                        .arg(triggers.size()))
        || !check.next())
        throw serverError(check.lastError(), uri, connectionBroken(database));
    return check.value(0).toBool();
}

} // namespace db
