#pragma once
// The catalogue file made and checked: made by the creation tool, the tests and
// the benchmark's generator (never by the program itself), checked before the
// program uses it.
#include <QString>

namespace db {

// A new catalogue file with the schema's tables, the one contatore row
// (Progressivo 0) and the search index. Throws DbError when the file exists
// already or cannot be made; no half-made file is ever left under its name.
void createCatalogueFile(const QString &path);

// Empty when `path` is a usable catalogue; otherwise an Italian explanation of
// what is wrong, naming the file. Never changes the file.
QString checkCatalogueFile(const QString &path);

} // namespace db
