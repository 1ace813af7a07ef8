#pragma once
// A plain listing of a grid's rows on the default printer: one printed line per
// row with the texts of the first seven columns, no headings, no page numbers.
// Rows are read one at a time, so a model of any size can be printed.
#include <QString>
#include <functional>

struct AppContext;
class QAbstractItemModel;
class QModelIndex;
class QTableView;
class QWidget;

namespace browse {

// The printer's font for the listing; character columns count in it.
QString gridListingFontFamily(); // "Courier New"
int gridListingFontPoints();     // 10

// Prints the rows of `model` in model order, columns 0..6. A model of fewer than
// seven columns, or no printer installed: a message over `parent`, nothing
// printed. True when the document was printed.
bool printGridListing(const AppContext &context, QWidget *parent, QAbstractItemModel &model);

// The same for a grid as the user sees it: its columns in their shown order, its
// cells' shown texts; afterwards its current cell is the last one printed.
bool printGridListing(const AppContext &context, QTableView &grid);

} // namespace browse
