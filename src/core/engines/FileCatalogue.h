#pragma once
// The catalogue file made and checked: made by the creation tool, the tests and
// the benchmark's generator (never by the program itself), checked before the
// program uses it.
#include "core/engines/Engine.h"

#include <QString>

namespace db {

// A new catalogue file with the schema's tables, the one contatore row
// (Progressivo 0) and the search index. Throws DbError when the file exists
// already or cannot be made; no half-made file is ever left under its name.
void createCatalogueFile(const QString &path);

// Whether `path` is a usable catalogue, and what is wrong with it when not.
// Never changes the file.
CatalogueCheck checkCatalogueFile(const QString &path);

} // namespace db
