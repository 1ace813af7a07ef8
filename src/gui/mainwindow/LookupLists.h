#pragma once
// Showing a lookup list in the main window's two combo boxes of its table: the
// entry screen's list and the list of the table's maintenance frame.
#include "core/catalogue/LookupList.h"

#include <QString>

class QComboBox;

namespace db {
class Store;
}

namespace lookups {

// The role under which each entry keeps the `ID` of its row.
constexpr int RowIdRole = Qt::UserRole;

// Empties both lists (texts included), then fills them with one entry per row of
// the table, in the database's order, duplicates kept; every entry carries its
// row's ID under RowIdRole. Both texts are empty afterwards. Throws db::DbError
// when the catalogue cannot be read; the lists are then left empty.
void load(const db::Store &store, List list, QComboBox &maintenance, QComboBox &entry);

} // namespace lookups
