#pragma once
// Program start: the Italian locale and translations, the check of the catalogue
// file, then the main window.
class QApplication;
class QWidget;

namespace db {
class Store;
}

namespace startup {
// Italian locale for the program itself, Qt's Italian texts for standard buttons.
void setItalian(QApplication &app);

// Checks the catalogue's search index with the main window on screen: a rebuild
// that lasts longer than `showAfterMs` shows its progress in a window over it. A
// failure is let go: searches are exact without the index, only slower.
void checkSearchIndex(const db::Store &store, QWidget *mainWindow, int showAfterMs = 500);
} // namespace startup
