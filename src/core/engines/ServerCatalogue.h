#pragma once
// A catalogue on a server database made, checked, and filled from a catalogue file.
#include <QString>

#include <functional>

namespace db {

// The tables of an empty catalogue on the database of `uri`, with the search
// tables of the four searchable fields and the counter row. Throws DbError when
// the database cannot be reached, is not empty or refuses.
void createServerCatalogue(const QString &uri);

// Empty when the server catalogue can be used; otherwise an Italian explanation
// naming the server and the reason. Never changes anything.
QString checkServerCatalogue(const QString &uri);

// Copies the catalogue file at `path` into the empty database of `uri`: every
// row of the five tables with its ID, the counter, and the next ID of each table.
// Checks the row counts on the server afterwards. `progress` gets the percentage
// done. Throws DbError; nothing is left on the server when it fails.
void copyCatalogueToServer(const QString &path, const QString &uri,
                           const std::function<void(int percent)> &progress = {});

} // namespace db
