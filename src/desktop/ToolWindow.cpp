#include "desktop/ToolWindow.h"

#include "desktop/Twips.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace toolwindow {

void setUp(QWidget *window, const QString &name, const QString &caption, double widthTwips, double heightTwips,
           const QColor &background)
{
    window->setObjectName(name);
    window->setWindowTitle(caption);
    window->setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
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

} // namespace toolwindow
