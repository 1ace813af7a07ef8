#include "core/export/CatalogueExport.h"

#include "core/catalogue/RowSource.h"
#include "core/catalogue/Store.h"
#include "core/engines/Schema.h"

namespace exporting {

Rows rowsOf(std::shared_ptr<db::RowSource> source)
{
    source->readAll();
    Rows rows;
    rows.headings = source->fieldNames();
    rows.total = source->rowCount();
    const int columns = int(rows.headings.size());
    rows.each = [source, columns](const RowTaker &take) {
        QVariantList values;
        for (int row = 0; row < source->rowCount(); ++row) {
            values.clear();
            for (int column = 0; column < columns; ++column)
                values.append(source->value(row, column));
            if (!take(values))
                return;
        }
    };
    return rows;
}

Rows wholeCatalogue(const db::Store &store)
{
    Rows rows;
    rows.headings = db::schema::tabella().fieldNames();
    rows.total = store.recordCount();
    rows.each = [&store](const RowTaker &take) { store.eachRecord(take); };
    return rows;
}

} // namespace exporting
