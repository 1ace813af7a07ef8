#pragma once
// LIKE that ignores letter case for every letter, accented ones included
// (à and À, è and È, ...), as the catalogue's original engine did. SQLite's own
// LIKE folds ASCII letters only; this one replaces it on every connection.
#include <QString>

struct sqlite3;

namespace db {
// Installs like(pattern, text) and like(pattern, text, escape) on the connection.
bool installLike(sqlite3 *handle);
// The same comparison, for code that matches outside the engine.
bool likeMatches(const QString &pattern, const QString &text, QChar escape = QChar());
} // namespace db
