#pragma once
// A search of the search window as a value: the field looked in and the fragment
// typed. The engines bind the fragment as a parameter and never write it into a
// statement; `%` and `_` in it are wildcards, a backslash is a plain character.
#include <QString>

namespace db {

// The four fields the search window searches.
enum class SearchField { Chiave, Argomento, Testo, Pubblicazione };

struct Search {
    SearchField field;
    QString fragment;

    // The field as Tabella names it.
    QString fieldName() const;
    // The LIKE pattern: the fragment anywhere in the field, without NUL characters
    // (stored texts have none either).
    QString pattern() const;
    // Whether the fragment holds a run of three characters that are no wildcard:
    // the length a search index can look up.
    bool hasIndexableRun() const;
};

} // namespace db
