#pragma once
// The statements of the program are written in the dialect of the original engine
// ("DELETE * FROM", "ALTER TABLE ... COUNTER(seed, step)", bare table names as
// sources). They are translated to SQLite here, in this one place.
#include <QString>
#include <optional>

namespace db {

struct CounterRestart {
    QString table;
    QString column;
    qint64 seed = 1;
    qint64 step = 1;
};

// A bare table name (one identifier) as a source becomes "SELECT * FROM name".
QString translateSource(const QString &source);
// The other dialect forms; statements already valid in SQLite are kept as they are.
QString translateStatement(const QString &statement);
// "ALTER TABLE t ALTER COLUMN c COUNTER(seed,step)", recognised for special handling.
std::optional<CounterRestart> parseCounterRestart(const QString &statement);
// The single table a SELECT reads, when it reads exactly one; empty otherwise.
QString singleTableOf(const QString &selectStatement);
// A text as a quoted string literal, apostrophes doubled.
QString quoteLiteral(const QString &text);

} // namespace db
