#pragma once
// Rows of the catalogue handed to other programs: a spreadsheet (.ods,
// OpenDocument, as LibreOffice and other office suites open it) or a text file
// (.csv, as Italian spreadsheets open it by a double-click: UTF-8 with a
// byte-order mark, ";" between fields, CR LF between rows).
//
// A whole number is written as a number; every other value as the text it is,
// exactly (accents, quotes, line breaks, leading zeros, texts that look like
// numbers or dates stay text); a missing value as an empty cell. The file is
// written under a temporary name and takes its own only when it is whole: a
// failure or a cancel leaves no file behind, and an older file of that name stays
// as it was.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>
#include <optional>
#include <stdexcept>

namespace exporting {

enum class Format { Spreadsheet, Text };

// The format a file name asks for by its extension (".ods", ".csv", any letter case).
std::optional<Format> formatOf(const QString &path);

// The most rows a spreadsheet holds, headings included (what office suites open).
constexpr qint64 spreadsheetRowLimit = 1048576;

// One row's values to `take`, which returns false to stop the rows coming.
using RowTaker = std::function<bool(const QVariantList &values)>;

// The rows to write: headings once, then `each` hands every row to its taker in
// order. `total` is the number of rows expected, for the progress (0 when unknown).
struct Rows {
    QStringList headings;
    std::function<void(const RowTaker &take)> each;
    qint64 total = 0;
};

// Told after every few thousand rows; returning false cancels the export.
using Progress = std::function<bool(qint64 written, qint64 total)>;

// A failure to write the file, as a whole Italian sentence naming it.
class ExportError : public std::runtime_error {
public:
    explicit ExportError(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// Writes the rows to `path` in `format`. True when the file is written; false when
// `progress` cancelled it (no file is left). Throws ExportError when the file
// cannot be written; what `rows.each` throws goes on, and no file is left either.
bool write(const QString &path, Format format, const Rows &rows, const Progress &progress = {});

} // namespace exporting
