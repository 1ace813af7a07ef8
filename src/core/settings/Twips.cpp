#include "core/settings/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace twips {

double perPixel()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

int toPixels(double value)
{
    return int(std::lround(value / perPixel()));
}

double fromPixels(double pixels)
{
    return pixels * perPixel();
}

QRect rect(double left, double top, double width, double height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

QSize size(double width, double height)
{
    return QSize(toPixels(width), toPixels(height));
}

} // namespace twips
