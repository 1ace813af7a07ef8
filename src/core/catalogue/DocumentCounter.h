#pragma once
// The document counter: the one row of `contatore`, whose `Progressivo` is the last
// document number given. The entry screen offers Progressivo + 1 and an insertion
// stores that number back. A counter without a row, or with something that is not
// a whole number, is reported instead of being read or overwritten with garbage.
#include <QString>
#include <QVariant>
#include <optional>

namespace db {
class Connection;
}

namespace counter {

// The value as a whole number, or nothing ("12" and 12 are, "", "1,5" and "abc" are not).
std::optional<qint64> wholeNumber(const QVariant &value);

struct Reading {
    enum Problem { None, NoRow, SeveralRows, NotWholeNumber } problem = None;
    qint64 last = 0; // Progressivo, when problem is None
    QString found;   // the text found, when it is not a whole number
    std::optional<qint64> next() const { return problem == None ? std::optional<qint64>(last + 1) : std::nullopt; }
};

// Reads the one row of contatore. Throws db::DbError when the engine fails.
Reading read(db::Connection &connection);

// Stores `number` as Progressivo when the table holds exactly one row (that is
// the reading returned, problem None); otherwise stores nothing and returns what
// is wrong. Throws db::DbError when the engine fails.
Reading store(db::Connection &connection, qint64 number);

// What the user is told about a counter that cannot be used.
QString problemMessage(const Reading &reading, const QString &catalogPath);

} // namespace counter
