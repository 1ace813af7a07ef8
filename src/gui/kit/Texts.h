#pragma once
// Texts of the program that more than one window uses.
#include <QString>

namespace texts {
// The title message boxes show when they have no title of their own.
inline QString applicationTitle()
{
    return QStringLiteral("Rudozuzurivaz versione 1");
}
// The maker's details, shown by the main window.
inline QString makerWebAddress()
{
    return QStringLiteral("https://example.org/");
}
inline QString makerEmail()
{
    return QStringLiteral("autore@example.org");
}
inline QString copyrightLine()
{
    return QStringLiteral("Copyright \u00A9 2009 l'autore del programma");
}
} // namespace texts
