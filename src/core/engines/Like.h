#pragma once
// LIKE that ignores letter case for every letter, accented ones included
// (à and À, è and È, ...), as the catalogue's original engine did. SQLite's own
// LIKE folds ASCII letters only; this one replaces it on every connection.
#include <QString>

#include <string>
#include <vector>

struct sqlite3;

namespace db {
// Installs like(pattern, text) and like(pattern, text, escape) on the connection.
bool installLike(sqlite3 *handle);
// Letter case folded the way LIKE compares letters.
char32_t foldCase(char32_t c);
// Decodes UTF-8 into folded code points; `offsets` (when given) receives the
// byte offset where each code point starts, plus the end offset.
void decodeFolded(const unsigned char *text, int bytes, std::u32string &out, std::vector<int> *offsets = nullptr);
// The same comparison, for code that matches outside the engine.
bool likeMatches(const QString &pattern, const QString &text, QChar escape = QChar());
} // namespace db
