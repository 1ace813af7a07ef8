#include "gui/kit/WindowPlacement.h"

#include "gui/kit/ToolWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

QString WidgetPlacement::name() const
{
    return m_window.objectName();
}
QRect WidgetPlacement::frameGeometry() const
{
    return toolwindow::frameGeometry(&m_window);
}
Qt::WindowStates WidgetPlacement::windowState() const
{
    return m_window.windowState();
}
void WidgetPlacement::move(const QPoint &frameTopLeft)
{
    m_window.move(frameTopLeft);
}
void WidgetPlacement::resizeFrame(const QSize &outer)
{
    toolwindow::resizeFrame(&m_window, outer);
}
void WidgetPlacement::setWindowState(Qt::WindowStates state)
{
    m_window.setWindowState(state);
}

QRect WidgetPlacement::screenGeometry() const
{
    const QScreen *screen = m_window.screen();
    return screen ? screen->geometry() : QRect();
}

QList<QRect> WidgetPlacement::screenGeometries() const
{
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    return areas;
}
