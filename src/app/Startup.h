#pragma once
// Program start: the Italian locale and translations, the check of the catalogue
// file, then the main window.
class QApplication;

namespace startup {
// Italian locale for the program itself, Qt's Italian texts for standard buttons.
void setItalian(QApplication &app);
} // namespace startup
