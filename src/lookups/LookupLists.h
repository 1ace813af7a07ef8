#pragma once
// The three lookup lists (keywords, publications, storage locations). Each is kept
// in a table of its own, `ID` plus one text field named like the table, and shown
// in two combo boxes of the main window: the entry screen's list and the list of
// the table's maintenance frame.
#include <QString>

class QComboBox;

namespace lookups {

enum class List { Chiave, Pubblicazione, Allocazione };

QString tableName(List list);     // also the name of its text field
QString loadStatement(List list); // "SELECT * FROM Chiave", ...

// The role under which each entry keeps the `ID` of its row.
constexpr int RowIdRole = Qt::UserRole;

// An editable combo box as the lookup lists need it: the user picks or types,
// the box neither sorts, completes nor adds typed texts to its list.
void prepareCombo(QComboBox &combo);

// Empties both lists (texts included), then fills them in one pass with one entry
// per row of the table, in the database's order, duplicates kept; every entry
// carries its row's ID under RowIdRole. Both texts are empty afterwards.
// Throws db::DbError when the catalogue cannot be read; the lists then keep the
// rows appended so far.
void load(const QString &programFolder, List list, QComboBox &maintenance, QComboBox &entry);

} // namespace lookups
