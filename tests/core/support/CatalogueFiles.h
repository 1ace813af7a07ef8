#pragma once
// Catalogue files looked at and handled from outside the program, for the tests
// of backup copies and their restore: a file's fingerprint, a statement's rows on
// any database file, a catalogue damaged on purpose, the files of a folder.
#include "CatalogueFolder.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace testdata {

// SHA-256 of the file's bytes; empty when it cannot be read.
QByteArray fingerprint(const QString &path);

// The first column of every row of `statement` on the database file `path`,
// opened read-only; a failure fails the test.
QStringList columnOf(const QString &path, const QString &statement);

// The document counter and the keywords of Tabella in ID order, as the file holds them.
QString counterOf(const QString &path);
QStringList keywordsOf(const QString &path);

// Adds `count` records whose texts are `textLength` letters long, in one statement,
// so that Tabella spans many pages.
void addLongRecords(const CatalogueFolder &env, int count, int textLength);

// Damages a catalogue file as a failing disk would: the page list of Tabella's
// first page is overwritten. The file still opens and names its tables, but the
// engine's integrity check finds the damage.
void damageTabella(const QString &path);

// The names of every file in `folder`, hidden ones too, sorted.
QStringList filesIn(const QString &folder);

// The two bytes of the header that say whether the file wants a write-ahead log
// ("\2\2") or not ("\1\1").
QByteArray journalBytes(const QString &path);

} // namespace testdata
