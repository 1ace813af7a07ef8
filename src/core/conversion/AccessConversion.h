#pragma once
// The conversion of the old program's Access catalogue into a catalogue file of
// this program: every record with its ID, every lookup entry with its ID, order
// and duplicates, the document counter, every character of every text. The new
// file is built under a temporary name beside the target, checked, and renamed
// to db1.mdb only at the very end; the Access file is only ever read.
#include "core/conversion/AccessReader.h"

#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

namespace convert {

// A conversion that did not happen; the text is one Italian sentence (or two)
// naming the problem. No db1.mdb and no temporary file is left behind.
class ConversionError : public std::runtime_error {
public:
    explicit ConversionError(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

struct ConversionReport {
    QString source, target;
    AccessFormat format = AccessFormat::NotAccess;
    QList<QPair<QString, qint64>> rows; // rows converted per table, in the catalogue's order
    qint64 nextId = 1;                  // the ID the next record will get
    qint64 counter = 0;                 // Progressivo
    QString counterOrigin;              // empty when it is the file's own; otherwise why not
    qint64 nullFields = 0;              // NULL fields that became the empty text
    QStringList leftOut;                // tables and fields of the file not converted
    QStringList absent;                 // tables and fields of the catalogue the file lacks
    double seconds = 0;

    qint64 totalRows() const;
    // What was converted, in Italian, one fact a line.
    QString summary() const;
};

// Called before each table is read and after every row, so that a caller can say
// where a crash of the reader happened.
using ConversionProgress = std::function<void(const QString &table, qint64 read, qint64 declared)>;

// The temporary file the conversion builds in `folder` before renaming it.
QString temporaryCatalogueName(const QString &folder);

// Converts `accessPath` into `folder`/db1.mdb. Throws ConversionError.
ConversionReport convertAccessCatalogue(const QString &accessPath, const QString &folder,
                                        const ConversionProgress &progress = {});

} // namespace convert
