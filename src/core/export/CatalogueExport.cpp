#include "core/export/CatalogueExport.h"

#include "core/catalogue/RowSource.h"

namespace exporting {

Rows rowsOf(const db::RowSource &source)
{
    Rows rows;
    rows.headings = source.fieldNames();
    rows.total = source.rowCount();
    const int columns = int(rows.headings.size());
    rows.next = [&source, columns, row = 0](QVector<QVariant> &values) mutable {
        if (row >= source.rowCount())
            return false;
        for (int column = 0; column < columns; ++column)
            values.append(source.value(row, column));
        ++row;
        return true;
    };
    return rows;
}

} // namespace exporting
