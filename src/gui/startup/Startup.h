#pragma once
// Program start: the application object as the program runs it, Italian
// throughout and ended only by "Esci"; then main() checks the catalogue file and
// shows the main window.
#include <memory>

class QApplication;
class QWidget;

namespace db {
class Store;
}

namespace startup {
// The application object. Made with the system locale Italian for Qt's own
// dialogs (the file chooser's dates and sizes), whatever the machine's locale
// is; then set up as `configure` says.
std::unique_ptr<QApplication> makeApplication(int &argc, char **argv);

// The Italian locale for the program itself, Qt's Italian texts and the
// program's own for the texts of Qt's dialogs that Qt's lack; the program keeps
// running when a window closes, whichever it is.
void configure(QApplication &app);

// "Esci": ends the event loop at once, without asking any window to close.
void endProgram();

// Checks the catalogue's search index with the main window on screen: a rebuild
// that lasts longer than `showAfterMs` shows its progress in a window over it. A
// failure is let go: searches are exact without the index, only slower.
void checkSearchIndex(const db::Store &store, QWidget *mainWindow, int showAfterMs = 500);
} // namespace startup
