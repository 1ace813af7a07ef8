#include "desktop/WindowPlacement.h"

#include <QScreen>
#include <QWidget>

QString WidgetPlacement::name() const
{
    return m_window.objectName();
}
QRect WidgetPlacement::frameGeometry() const
{
    return m_window.frameGeometry();
}
QSize WidgetPlacement::innerSize() const
{
    return m_window.size();
}
Qt::WindowStates WidgetPlacement::windowState() const
{
    return m_window.windowState();
}
void WidgetPlacement::move(const QPoint &frameTopLeft)
{
    m_window.move(frameTopLeft);
}
void WidgetPlacement::resize(const QSize &inner)
{
    m_window.resize(inner);
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
