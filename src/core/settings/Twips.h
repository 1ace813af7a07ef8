#pragma once
// Positions and sizes of the windows are given in twips (1440 per inch).
// At 96 dpi, 15 twips make one pixel; the screen's logical dpi decides.
#include <QRect>
#include <QSize>

namespace twips {
double perPixel(); // twips in one pixel of the primary screen
int toPixels(double twips);
double fromPixels(double pixels);
QRect rect(double left, double top, double width, double height);
QSize size(double width, double height);
} // namespace twips
