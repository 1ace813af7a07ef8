#pragma once
// The menu "Esporta" of the windows that show rows: the rows out to a
// spreadsheet (.ods) or a text file (.csv), through a save dialog that opens in
// the user's documents folder, with a progress window that can cancel; a
// cancelled export leaves no file.
#include <QString>

#include <functional>
#include <optional>

class QMainWindow;
struct AppContext;

namespace exporting {
struct Rows;
}

namespace exportmenu {

// The rows to export, asked for when the user has chosen the file (throws
// db::DbError); nothing when the window gives none (the export then ends quietly).
using RowsToExport = std::function<std::optional<exporting::Rows>()>;

// Adds "Esporta" to the window's menu bar. `proposedName` is the file name the
// save dialog offers, without extension ("catalogo", "ricerca").
void add(QMainWindow &window, const AppContext &context, const QString &proposedName, RowsToExport rows);

} // namespace exportmenu
