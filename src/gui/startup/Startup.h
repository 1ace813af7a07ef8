#pragma once
// Program start: the application object as the program runs it, Italian
// throughout and ended only by "Esci"; then main() checks the catalogue file and
// shows the main window.
#include <memory>

class QApplication;
class QWidget;
struct AppContext;

namespace db {
class CatalogueLock;
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

// Opens the catalogue file of `context` for the program's life: converts the old
// program's Access catalogue when the user agrees, checks the catalogue, takes
// the lock that keeps a restore away while the program runs, clears what a copy
// or restore killed halfway left, and makes the day's copy. Null when the start
// is refused (the user was told why): the folder is then left as it was found.
std::unique_ptr<db::CatalogueLock> openCatalogueFile(const AppContext &context);

// "Esci": ends the event loop at once, without asking any window to close.
void endProgram();

// Checks the catalogue's search index with the main window on screen: a rebuild
// that lasts longer than `showAfterMs` shows its progress in a window over it. A
// failure is let go: searches are exact without the index, only slower.
void checkSearchIndex(const db::Store &store, QWidget *mainWindow, int showAfterMs = 500);
} // namespace startup
