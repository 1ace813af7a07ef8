#pragma once
// The look every secondary window shares: a tool window (narrow title bar with
// the close box only, no task-bar button) of a client area given in twips, with
// a plain background, opening centred on the screen; controls placed in twips.
#include <QColor>
#include <QString>

class QPushButton;
class QWidget;

namespace toolwindow {
void setUp(QWidget *window, const QString &name, const QString &caption, double widthTwips, double heightTwips,
           const QColor &background);
void centreOnScreen(QWidget *window);
void place(QWidget *control, double left, double top, double width, double height);
void setBackground(QWidget *widget, const QColor &colour);
void setButtonColour(QPushButton *button, const QColor &colour);
} // namespace toolwindow
