#pragma once
// The window kit: the look every window of the program shares. A tool window
// (narrow title bar with the close box only, no task-bar button) of a client area
// given in twips, with a plain background, opening centred on the screen;
// controls placed in twips; the fonts the windows are drawn with.
#include <QColor>
#include <QFont>
#include <QString>

class QPushButton;
class QWidget;

namespace toolwindow {
// Name, caption and tool-window flags only (for windows that size themselves).
void makeToolWindow(QWidget *window, const QString &name, const QString &caption);
// The whole set-up of a secondary window: as above, client size, background, centred.
void setUp(QWidget *window, const QString &name, const QString &caption, double widthTwips, double heightTwips,
           const QColor &background);
void centreOnScreen(QWidget *window);
// Shows a window without waiting for it; one already shown comes forward.
void showModeless(QWidget *window);
void place(QWidget *control, double left, double top, double width, double height);
void setBackground(QWidget *widget, const QColor &colour);
void setButtonColour(QPushButton *button, const QColor &colour);

// A font of the windows: the family is asked for by name, the desktop substitutes
// a metric-compatible one where it lacks it.
QFont font(const QString &family, double points, bool bold = false);
inline QFont verdana(double points = 9.75, bool bold = false)
{
    return font(QStringLiteral("Verdana"), points, bold);
}
inline QFont sansSerif(double points = 8.25, bool bold = false)
{
    return font(QStringLiteral("MS Sans Serif"), points, bold);
}
} // namespace toolwindow
