#pragma once
// Remembered column widths of a grid (the original's module modDataGrid), kept in
// the INI file in twips under the name of the database field each column shows
// (the model's horizontal header text), so that a width follows its field
// wherever the column stands.
#include <QString>

class IniSettings;
class QTableView;

namespace columnwidths {

// Applies the widths stored in `section` to the columns of `grid`; a column
// without a stored width greater than 0 gets 600 twips when useDefault is true.
// Widths set here are never saved back.
void restore(IniSettings &ini, QTableView &grid, const QString &section, bool useDefault);

// From now on, when the user resizes a column of `grid` (dragging its edge or
// double-clicking it), its new width is written to the section "dgCustomers"
// as soon as the mouse button is released. Widths set by the program (model
// resets, restore(), a stretched last column) are not saved. `ini` must outlive
// the grid. A second call for the same grid changes nothing.
void saveWhenResized(IniSettings &ini, QTableView &grid);

} // namespace columnwidths
