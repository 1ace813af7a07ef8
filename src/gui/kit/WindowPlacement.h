#pragma once
// A widget as the INI settings manager places it, and the two calls the windows
// make: restore the placement saved under the window's objectName, save it.
#include "core/settings/IniSettings.h"

class QWidget;

class WidgetPlacement : public PlacedWindow {
public:
    explicit WidgetPlacement(QWidget &window) : m_window(window) {}
    QString name() const override;
    QRect frameGeometry() const override;
    Qt::WindowStates windowState() const override;
    void move(const QPoint &frameTopLeft) override;
    void resizeFrame(const QSize &outer) override;
    void setWindowState(Qt::WindowStates state) override;
    QRect screenGeometry() const override;
    QList<QRect> screenGeometries() const override;

private:
    QWidget &m_window;
};

namespace placement {
inline void restore(const IniSettings &settings, QWidget &window, bool resize = true)
{
    WidgetPlacement placed(window);
    settings.restorePlacement(placed, resize);
}
inline void save(IniSettings &settings, QWidget &window)
{
    settings.savePlacement(WidgetPlacement(window));
}
} // namespace placement
