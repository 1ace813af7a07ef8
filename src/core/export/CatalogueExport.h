#pragma once
// The rows a window shows, ready to be exported: every field in the order the
// catalogue keeps them, headed as the grids head their columns, rows in the
// order shown.
#include "core/export/TableExport.h"

#include <memory>

namespace db {
class RowSource;
class Store;
} // namespace db

namespace exporting {

// Every row of `source`, those still to arrive too (read first: throws DbError),
// read as they are written.
Rows rowsOf(std::shared_ptr<db::RowSource> source);
// Every record of the catalogue in ID order, read in one pass as they are
// written (the quick way for a whole catalogue); `store` must outlive them.
Rows wholeCatalogue(const db::Store &store);

} // namespace exporting
