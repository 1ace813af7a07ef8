#pragma once
// A font of the program's windows and printed pages, asked for by family name:
// the desktop substitutes a metric-compatible one where it lacks it.
#include <QFont>

namespace fonts {
inline QFont named(const QString &family, double points, bool bold = false)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}
} // namespace fonts
