#include "desktop/ToolWindow.h"

#include "core/desktop/Twips.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace toolwindow {

void makeToolWindow(QWidget *window, const QString &name, const QString &caption)
{
    window->setObjectName(name);
    window->setWindowTitle(caption);
    window->setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

void setUp(QWidget *window, const QString &name, const QString &caption, double widthTwips, double heightTwips,
           const QColor &background)
{
    makeToolWindow(window, name, caption);
    window->resize(twips::size(widthTwips, heightTwips));
    setBackground(window, background);
    centreOnScreen(window);
}

void centreOnScreen(QWidget *window)
{
    const QScreen *display = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!display)
        return;
    QRect area = window->frameGeometry();
    area.moveCenter(display->availableGeometry().center());
    window->move(area.topLeft());
}

void showModeless(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

void place(QWidget *control, double left, double top, double width, double height)
{
    control->setGeometry(twips::rect(left, top, width, height));
}

void setBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(widget->backgroundRole(), colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setButtonColour(QPushButton *button, const QColor &colour)
{
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, colour);
    button->setPalette(palette);
}

QFont font(const QString &family, double points, bool bold)
{
    QFont result(family);
    result.setPointSizeF(points);
    result.setBold(bold);
    return result;
}

} // namespace toolwindow
