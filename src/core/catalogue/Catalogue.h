#pragma once
// The catalogue as a whole: its file's name, its tables, how a fresh one is made
// (by the creation tool, by the tests and by the benchmark generator, never by
// the program itself), and the check that a catalogue can be used before the
// program uses it. A catalogue is named by the path of its file or by the URI of
// a server database; its engine does the work.
#include <QString>
#include <QStringList>

namespace db {

QString catalogueFileName();   // "db1.mdb"
QStringList catalogueTables(); // the five tables
QStringList tabellaFields();   // the fields of Tabella, in order, ID first

// Creates a new catalogue with its five tables and the one contatore row
// (Progressivo 0). Throws DbError when it exists already or cannot be made.
void createCatalogue(const QString &location);

// Empty when the catalogue at `location` can be used; otherwise an Italian
// explanation of what is wrong, naming it. Never changes the catalogue.
QString checkCatalogue(const QString &location);

} // namespace db
