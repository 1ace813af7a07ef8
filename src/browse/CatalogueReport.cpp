#include "browse/CatalogueReport.h"

#include "app/Texts.h"
#include "app/Windows.h"
#include "browse/rptBooks.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "db/RowSource.h"
#include "desktop/Dialogs.h"

namespace browse {

namespace {
// Every row of a forward-only record set, in its order.
db::MemoryRowSource readAll(db::Recordset &records)
{
    const QStringList fields = records.fieldNames();
    QVector<QVector<QVariant>> rows;
    for (; !records.eof(); records.moveNext()) {
        QVector<QVariant> row;
        row.reserve(fields.size());
        for (const QString &field : fields)
            row.append(records.field(field));
        rows.append(std::move(row));
    }
    return db::MemoryRowSource(fields, std::move(rows));
}
} // namespace

bool showWholeCatalogueReport(Windows &windows, QWidget *caller)
{
    const AppContext &context = windows.context();
    try {
        db::Connection connection;
        connection.open(db::connectionTextB(context.programFolder), QString(), QString(), -1);
        db::Recordset records;
        records.open(QStringLiteral("SELECT * FROM Tabella"), connection, db::adOpenForwardOnly,
                     db::adLockReadOnly, 1);
        const db::MemoryRowSource rows = readAll(records);
        records.close();
        return windows.report().showModal(rows);   // the connection closes after the window
    } catch (const db::DbError &error) {
        context.dialogs->message(caller,
                                 QStringLiteral("Impossibile preparare la stampa del catalogo.\n%1")
                                     .arg(error.reason()),
                                 texts::applicationTitle(), QMessageBox::Ok, QMessageBox::Critical);
        return false;
    }
}

} // namespace browse
