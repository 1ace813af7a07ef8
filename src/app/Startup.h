#pragma once
// Program start: the application object as the program runs it, Italian
// throughout and ended only by "Esci"; then main() checks the catalogue file and
// shows the main window.
#include <memory>

class QApplication;

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
} // namespace startup
