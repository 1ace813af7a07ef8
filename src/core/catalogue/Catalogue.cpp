#include "core/catalogue/Catalogue.h"

#include "core/catalogue/Diagnosis.h"
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
    const Engine &engine = Engine::of(location);
    const CatalogueCheck check = engine.checkCatalogue(location);
    switch (check.problem) {
    case CatalogueCheck::Problem::None:
        return QString();
    case CatalogueCheck::Problem::Damaged:
        return QStringLiteral("Il catalogo \"%1\" è danneggiato.\n").arg(engine.shown(location))
            + damagedAdvice(location) + QStringLiteral("\n\n") + check.text;
    case CatalogueCheck::Problem::ReadOnly:
        return QStringLiteral("Il catalogo \"%1\" si può leggere ma non modificare: il programma non può "
                              "salvare nulla.\n")
                   .arg(engine.shown(location))
            + readOnlyAdvice(location);
    case CatalogueCheck::Problem::DiskFull:
        return QStringLiteral("Il catalogo \"%1\" non si può aprire: il disco che lo contiene è pieno.\n")
                   .arg(engine.shown(location))
            + diskFullAdvice(location);
    case CatalogueCheck::Problem::Other:
        break;
    }
    return check.text;
}

} // namespace db
