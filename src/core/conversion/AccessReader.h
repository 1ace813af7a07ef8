#pragma once
// Reads the tables of an Access database (the old program's db1.mdb: Access 97,
// 2000-2003 or later) through libmdb, read-only. Rows are handed out one at a
// time, so that a large file is never held in memory.
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <stdexcept>

namespace convert {

enum class AccessFormat { NotAccess, Jet3, Jet4, Ace };

// What the file's header says it is; NotAccess for anything else, a missing,
// empty or short file included. Reads the first bytes only.
AccessFormat accessFormatOf(const QString &path);
// "Access 97", "Access 2000-2003", "Access 2007 o successivo"
QString accessFormatName(AccessFormat format);

// A failure reading the file; the text is an Italian sentence for the user.
class AccessError : public std::runtime_error {
public:
    explicit AccessError(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

struct AccessTable {
    QString name;              // as the file spells it
    QStringList columns;       // in the file's order
    qint64 declaredRows = 0;   // the row count its table definition states
    qint64 lastAutoNumber = 0; // the last number its AutoNumber field gave; 0 when it has none
};

// One value as read: NULL comes as the empty text with `null` set.
struct AccessValue {
    QString text;
    bool null = false;
};

class AccessReader {
public:
    // Opens the file read-only and reads its table definitions. Throws AccessError.
    explicit AccessReader(const QString &path);
    ~AccessReader();
    AccessReader(const AccessReader &) = delete;
    AccessReader &operator=(const AccessReader &) = delete;

    AccessFormat format() const;
    // The user tables (no system tables), in the file's order.
    const QList<AccessTable> &tables() const;
    // The table of that name in any letter case, as Access finds it; nullptr when absent.
    const AccessTable *findTable(const QString &name) const;

    // Reads every row of `table`, handing `row` the values of `columns` (column
    // names in any letter case; a name the table lacks gives the empty text) in
    // that order. Returns the number of rows read, which on a damaged file can be
    // less than declaredRows: the caller compares. Throws AccessError when a value
    // cannot be read (a memo whose pages are damaged, a column that holds neither
    // text nor a number) and passes on what `row` throws.
    qint64 readRows(const QString &table, const QStringList &columns,
                    const std::function<void(const QList<AccessValue> &)> &row);

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace convert
