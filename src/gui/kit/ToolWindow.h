#pragma once
// The window kit: the look every window of the program shares. A tool window
// (narrow title bar with the close box only, no task-bar button) of a client area
// given in twips, with a plain background, opening centred on the screen;
// controls placed in twips; the fonts the windows are drawn with.
#include <QColor>
#include <QFont>
#include <QMargins>
#include <QRect>
#include <QString>

class QPushButton;
class QWidget;

namespace toolwindow {
// Name, caption and tool-window flags (windowlayout::build gives the rest).
void makeToolWindow(QWidget *window, const QString &name, const QString &caption);
void centreOnScreen(QWidget *window);

// The frame the window manager draws around `window`: its own once it is shown
// framed; before, the one the program's shown windows of the same kind have
// (none when there is none).
QMargins frameMargins(const QWidget *window);
// The window's outer frame, also before it is shown.
QRect frameGeometry(const QWidget *window);
// Gives `window` the outer size `outer`: at once, with the frame it is expected
// to get, and again when the window manager has framed it, should its frame differ.
void resizeFrame(QWidget *window, const QSize &outer);
// Shows a window without waiting for it; one already shown comes forward.
void showModeless(QWidget *window);
void place(QWidget *control, double left, double top, double width, double height);
void setBackground(QWidget *widget, const QColor &colour);
void setButtonColour(QPushButton *button, const QColor &colour);

// A font of the windows: the family is asked for by name, the desktop substitutes
// a metric-compatible one where it lacks it.
QFont font(const QString &family, double points, bool bold = false);
} // namespace toolwindow
