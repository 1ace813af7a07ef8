#include "core/engines/Schema.h"

namespace db::schema {

QStringList Table::fieldNames() const
{
    QStringList names;
    for (const Field &field : fields)
        names.append(field.name);
    return names;
}

QString Table::counter() const
{
    for (const Field &field : fields)
        if (field.type == Type::Counter)
            return field.name;
    return QString();
}

namespace {
Field counter()
{
    return {QStringLiteral("ID"), Type::Counter};
}

Field text(const char *name)
{
    return {QString::fromUtf8(name), Type::Text};
}

// A lookup list: its number and one text field named like the table.
Table lookupList(const char *name)
{
    return {QString::fromUtf8(name), {counter(), text(name)}};
}
} // namespace

const QList<Table> &tables()
{
    static const QList<Table> all{
        {QStringLiteral("Tabella"),
         {counter(), text("Chiave"), text("Argomento"), text("Testo"), text("Pubblicazione"), text("N\u00B0"),
          text("Data"), text("Pag"), text("Par"), text("Note"), text("Allocazione"), text("Prog")}},
        lookupList("Chiave"),
        lookupList("Pubblicazione"),
        lookupList("Allocazione"),
        {QStringLiteral("contatore"), {{QStringLiteral("Progressivo"), Type::WholeNumber}}},
    };
    return all;
}

const Table *table(const QString &name)
{
    for (const Table &candidate : tables())
        if (candidate.name.compare(name, Qt::CaseInsensitive) == 0)
            return &candidate;
    return nullptr;
}

const Table &tabella()
{
    return tables().first();
}

const Table &counterTable()
{
    return tables().last();
}

const QStringList &searchableFields()
{
    static const QStringList fields{QStringLiteral("Chiave"), QStringLiteral("Argomento"), QStringLiteral("Testo"),
                                    QStringLiteral("Pubblicazione")};
    return fields;
}

QString fieldOf(const Table &table, const QString &name)
{
    for (const Field &field : table.fields)
        if (field.name.compare(name, Qt::CaseInsensitive) == 0)
            return field.name;
    return QString();
}

} // namespace db::schema
