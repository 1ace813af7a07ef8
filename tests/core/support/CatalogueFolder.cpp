#include "CatalogueFolder.h"

#include "core/db/Catalogue.h"

CatalogueFolder::CatalogueFolder(bool withCatalogue) : store(catalogPath())
{
    if (withCatalogue)
        db::createCatalogue(catalogPath());
}

CatalogueFolder::~CatalogueFolder() = default;
