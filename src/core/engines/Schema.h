#pragma once
// The catalogue's tables as data: each table with its fields in order and their
// types. Each engine writes its own CREATE statements from it, and every statement
// the engines write names tables and fields as they are listed here.
#include <QList>
#include <QString>
#include <QStringList>

namespace db::schema {

enum class Type {
    Counter,     // the row's number, given by the engine and never given twice
    Text,        // any text, the empty one included
    WholeNumber, // a whole number, never missing
};

struct Field {
    QString name;
    Type type;
};

struct Table {
    QString name;
    QList<Field> fields;

    QStringList fieldNames() const;
    // The table's counter field, or the empty text when it has none.
    QString counter() const;
};

// Tabella, Chiave, Pubblicazione, Allocazione and contatore, in the order they are made.
const QList<Table> &tables();
// The table of that name, whatever its letter case; nullptr when the catalogue has none.
const Table *table(const QString &name);
const Table &tabella();
// The document counter's table and its one field.
const Table &counterTable();

// The four fields of Tabella a search looks in, in the search window's order.
const QStringList &searchableFields();

// The field of `table` named `name` in any letter case, spelt as the schema spells
// it; the empty text when the table has no such field.
QString fieldOf(const Table &table, const QString &name);

} // namespace db::schema
