#include "core/engines/Like.h"

#include <QChar>
#include <sqlite3.h>
#include <string>

namespace db {

namespace {

} // namespace

char32_t foldCase(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    return QChar::toCaseFolded(c);
}

// Invalid bytes are taken one by one as they are.
void decodeFolded(const unsigned char *s, int n, std::u32string &out, std::vector<int> *offsets)
{
    out.clear();
    out.reserve(size_t(n));
    if (offsets)
        offsets->clear();
    for (int i = 0; i < n;) {
        if (offsets)
            offsets->push_back(i);
        unsigned char b = s[i];
        char32_t c = b;
        int len = 1;
        if (b >= 0xF0 && i + 3 < n + 0 && b < 0xF8) {
            c = ((b & 0x07u) << 18) | ((s[i + 1] & 0x3Fu) << 12) | ((s[i + 2] & 0x3Fu) << 6) | (s[i + 3] & 0x3Fu);
            len = 4;
        } else if (b >= 0xE0 && i + 2 < n && b < 0xF0) {
            c = ((b & 0x0Fu) << 12) | ((s[i + 1] & 0x3Fu) << 6) | (s[i + 2] & 0x3Fu);
            len = 3;
        } else if (b >= 0xC0 && i + 1 < n && b < 0xE0) {
            c = ((b & 0x1Fu) << 6) | (s[i + 1] & 0x3Fu);
            len = 2;
        }
        out.push_back(foldCase(c));
        i += len;
    }
    if (offsets)
        offsets->push_back(n);
}

namespace {

// A pattern made ready for matching: folded characters, wildcards marked.
struct Pattern {
    enum : char32_t { AnyRun = 0xFFFFFFFEu, AnyOne = 0xFFFFFFFDu };
    std::u32string items;
};

Pattern compile(const std::u32string &folded, char32_t escape, bool hasEscape)
{
    Pattern p;
    p.items.reserve(folded.size());
    for (size_t i = 0; i < folded.size(); ++i) {
        const char32_t c = folded[i];
        if (hasEscape && c == escape && i + 1 < folded.size()) {
            p.items.push_back(folded[++i]);
        } else if (c == U'%') {
            if (p.items.empty() || p.items.back() != Pattern::AnyRun)
                p.items.push_back(Pattern::AnyRun);
        } else if (c == U'_') {
            p.items.push_back(Pattern::AnyOne);
        } else {
            p.items.push_back(c);
        }
    }
    return p;
}

// Wildcard match with backtracking to the last "%" only: linear in practice.
bool matches(const std::u32string &pattern, const std::u32string &text)
{
    size_t p = 0, t = 0, starP = std::u32string::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == Pattern::AnyRun) {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() && (pattern[p] == Pattern::AnyOne || pattern[p] == text[t])) {
            ++p;
            ++t;
        } else if (starP != std::u32string::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == Pattern::AnyRun)
        ++p;
    return p == pattern.size();
}

void deletePattern(void *p)
{
    delete static_cast<Pattern *>(p);
}

void likeFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return; // NULL LIKE x is NULL
    char32_t escape = 0;
    bool hasEscape = false;
    if (argc == 3) {
        std::u32string e;
        decodeFolded(sqlite3_value_text(argv[2]), sqlite3_value_bytes(argv[2]), e);
        if (e.size() != 1) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = e[0];
        hasEscape = true;
    }
    auto *pattern = static_cast<Pattern *>(sqlite3_get_auxdata(context, 0));
    if (!pattern) {
        std::u32string folded;
        decodeFolded(sqlite3_value_text(argv[0]), sqlite3_value_bytes(argv[0]), folded);
        pattern = new Pattern(compile(folded, escape, hasEscape));
        sqlite3_set_auxdata(context, 0, pattern, deletePattern);
        pattern = static_cast<Pattern *>(sqlite3_get_auxdata(context, 0));
        if (!pattern) { // the engine would not keep it: compile again for this row
            std::u32string text;
            decodeFolded(sqlite3_value_text(argv[1]), sqlite3_value_bytes(argv[1]), text);
            Pattern local = compile(folded, escape, hasEscape);
            sqlite3_result_int(context, matches(local.items, text) ? 1 : 0);
            return;
        }
    }
    thread_local std::u32string text;
    decodeFolded(sqlite3_value_text(argv[1]), sqlite3_value_bytes(argv[1]), text);
    sqlite3_result_int(context, matches(pattern->items, text) ? 1 : 0);
}

} // namespace

bool installLike(sqlite3 *handle)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_function(handle, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr) == SQLITE_OK
        && sqlite3_create_function(handle, "like", 3, flags, nullptr, likeFunction, nullptr, nullptr) == SQLITE_OK;
}

bool likeMatches(const QString &pattern, const QString &text, QChar escape)
{
    const QByteArray p = pattern.toUtf8(), t = text.toUtf8();
    std::u32string fp, ft;
    decodeFolded(reinterpret_cast<const unsigned char *>(p.constData()), int(p.size()), fp);
    decodeFolded(reinterpret_cast<const unsigned char *>(t.constData()), int(t.size()), ft);
    const Pattern compiled = compile(fp, foldCase(escape.unicode()), !escape.isNull());
    return matches(compiled.items, ft);
}

} // namespace db
