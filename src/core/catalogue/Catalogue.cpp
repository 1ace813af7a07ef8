#include "core/catalogue/Catalogue.h"

#include "core/engines/Engine.h"
#include "core/engines/Schema.h"

namespace db {

QString catalogueFileName()
{
    return QStringLiteral("db1.mdb");
}

QStringList catalogueTables()
{
    QStringList names;
    for (const schema::Table &table : schema::tables())
        names.append(table.name);
    return names;
}

QStringList tabellaFields()
{
    return schema::tabella().fieldNames();
}

void createCatalogue(const QString &location)
{
    Engine::of(location).createCatalogue(location);
}

QString checkCatalogue(const QString &location)
{
    return Engine::of(location).checkCatalogue(location);
}

} // namespace db
