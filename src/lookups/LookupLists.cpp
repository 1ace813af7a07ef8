#include "lookups/LookupLists.h"

#include "db/Connection.h"
#include "db/Recordset.h"

#include <QComboBox>

namespace lookups {

QString tableName(List list)
{
    switch (list) {
    case List::Chiave:
        return QStringLiteral("Chiave");
    case List::Pubblicazione:
        return QStringLiteral("Pubblicazione");
    case List::Allocazione:
        return QStringLiteral("Allocazione");
    }
    return QString();
}

QString loadStatement(List list)
{
    return QStringLiteral("SELECT * FROM ") + tableName(list);
}

void prepareCombo(QComboBox &combo)
{
    combo.setEditable(true);
    combo.setInsertPolicy(QComboBox::NoInsert);
    combo.setCompleter(nullptr);
}

namespace {
// Adding the first entry selects it; the lists are left with empty texts.
void emptyText(QComboBox &combo)
{
    combo.setCurrentIndex(-1);
    combo.clearEditText();
}
} // namespace

void load(const QString &programFolder, List list, QComboBox &maintenance, QComboBox &entry)
{
    maintenance.clear();
    entry.clear();
    emptyText(maintenance);
    emptyText(entry);
    const QString field = tableName(list);
    const QString id = QStringLiteral("ID");

    try {
        db::Connection connection;
        connection.open(db::connectionTextA(programFolder), QString(), QString());
        db::Recordset rows;
        rows.open(loadStatement(list), connection, db::adOpenKeyset);
        for (; !rows.eof(); rows.moveNext()) {
            const QVariant rowId = rows.field(id);
            maintenance.addItem(rows.field(field).toString(), rowId);
            entry.addItem(rows.field(field).toString(), rowId);
        }
    } catch (...) {
        emptyText(maintenance);
        emptyText(entry);
        throw;
    }
    emptyText(maintenance);
    emptyText(entry);
}

} // namespace lookups
