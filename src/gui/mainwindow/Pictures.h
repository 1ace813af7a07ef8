#pragma once
// The main window's pictures, drawn when the program starts rather than read
// from files: the 800 x 600 background and the small logo of the link picture;
// and the program's icon, the drawing the desktop's menu shows too.
#include <QIcon>
#include <QPixmap>

namespace pictures {
QPixmap background(); // 800 x 600
QPixmap logo();       // 66 x 30
QIcon programIcon();  // every window's icon, from data/icons/rudozuzurivaz.svg
} // namespace pictures
