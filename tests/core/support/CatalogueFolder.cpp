#include "CatalogueFolder.h"

#include "TestServer.h"
#include "core/db/Catalogue.h"
#include "core/db/Server.h"

CatalogueFolder::CatalogueFolder(bool withCatalogue)
    : m_location(testserver::wanted() ? testserver::createDatabase() : m_dir.path() + QStringLiteral("/db1.mdb")),
      store(m_location)
{
    if (!withCatalogue)
        return;
    if (isServer())
        db::createServerCatalogue(m_location);
    else
        db::createCatalogue(m_location);
}

CatalogueFolder::~CatalogueFolder()
{
    if (isServer())
        testserver::dropDatabase(m_location);
}

bool CatalogueFolder::isServer() const
{
    return db::isServerLocation(m_location);
}
