#pragma once
// The catalogue file: its tables, how a fresh one is made (by the creation tool,
// by the tests and by the benchmark generator, never by the program itself), and
// the check that a file is a catalogue before the program uses it.
#include <QString>
#include <QStringList>

namespace db {

QString catalogueFileName();   // "db1.mdb"
QStringList catalogueTables(); // the five tables
QStringList tabellaFields();   // the fields of Tabella, in order, ID first

// Creates a new catalogue file with its five tables and the one contatore row
// (Progressivo 0). Throws DbError when the file exists already or cannot be made.
void createCatalogue(const QString &path);

// Empty when `path` is a usable catalogue; otherwise an Italian explanation of
// what is wrong, naming the file. Never changes the file.
QString checkCatalogue(const QString &path);

} // namespace db
