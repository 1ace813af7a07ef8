#pragma once
// The three lookup lists: keywords, publications, storage locations. Each is kept
// in a table of its own, `ID` plus one text field named like the table.
#include <QString>

namespace lookups {

enum class List { Chiave, Pubblicazione, Allocazione };

// The table of the list, which is also the name of its text field.
inline QString tableName(List list)
{
    switch (list) {
    case List::Chiave:
        return QStringLiteral("Chiave");
    case List::Pubblicazione:
        return QStringLiteral("Pubblicazione");
    case List::Allocazione:
        return QStringLiteral("Allocazione");
    }
    return QString();
}

} // namespace lookups
