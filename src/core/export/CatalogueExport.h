#pragma once
// The rows a window shows, ready to be exported: every field in the order the
// catalogue keeps them, headed as the grids head their columns, rows in the
// order shown.
#include "core/export/TableExport.h"

namespace db {
class RowSource;
}

namespace exporting {

// The rows of `source`, read as they are written; `source` must outlive them.
Rows rowsOf(const db::RowSource &source);

} // namespace exporting
