#pragma once
// The catalogue of a test's program folder read and written behind the windows'
// back: statements, records added with given fields, rows and counters read back.
#include "CatalogueFolder.h"

#include <QList>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

class QAbstractItemModel;

namespace testdata {

// Runs each statement in turn on a connection of its own.
void runSql(const CatalogueFolder &env, const QStringList &statements);
// One statement with `?` placeholders bound to `values` in order; a failure fails the test.
void runSql(const CatalogueFolder &env, const QString &statement, const QVariantList &values);

// One record of Tabella with the given fields (the others stay empty); returns its ID.
qint64 addRecord(const CatalogueFolder &env, const QVariantMap &fields);
// Several records of Tabella in one transaction, IDs in list order.
void addRecords(const CatalogueFolder &env, const QList<QVariantMap> &records);
// Entries of a lookup table (Chiave, Pubblicazione, Allocazione): its one text field.
void addLookupRows(const CatalogueFolder &env, const QString &table, const QStringList &texts);

// Every row of `source` (a table name or a SELECT) in its order, field name -> value.
QList<QVariantMap> rowsOf(const CatalogueFolder &env, const QString &source);
// One field of every row of Tabella, in ID order.
QStringList storedField(const CatalogueFolder &env, const QString &field);
int rowCount(const CatalogueFolder &env, const QString &table);

// The document counter set to `value`; a damaged counter holding a text instead
// of a number; the counter's row removed.
void setCounter(const CatalogueFolder &env, qint64 value);
void replaceCounterWithText(const CatalogueFolder &env, const QString &text);
void removeCounterRow(const CatalogueFolder &env);

// The column of a model whose heading is `field`; -1 when none is.
int columnOf(const QAbstractItemModel &model, const QString &field);
// The document counter's value, null when contatore has no row.
QVariant storedCounter(const CatalogueFolder &env);

} // namespace testdata
