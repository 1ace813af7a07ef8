#include "gui/mainwindow/LookupLists.h"

#include "core/catalogue/Store.h"

#include <QComboBox>

namespace lookups {

namespace {
// Adding the first entry selects it; the lists are left with empty texts.
void emptyText(QComboBox &combo)
{
    combo.setCurrentIndex(-1);
    combo.clearEditText();
}
} // namespace

void load(const db::Store &store, List list, QComboBox &maintenance, QComboBox &entry)
{
    maintenance.clear();
    entry.clear();
    emptyText(maintenance);
    emptyText(entry);
    const QList<db::LookupEntry> entries = store.lookupEntries(list);
    for (const db::LookupEntry &row : entries) {
        maintenance.addItem(row.text, row.id);
        entry.addItem(row.text, row.id);
    }
    emptyText(maintenance);
    emptyText(entry);
}

} // namespace lookups
