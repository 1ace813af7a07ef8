#include "browse/CatalogueReport.h"

#include "app/Texts.h"
#include "app/Windows.h"
#include "browse/rptBooks.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/QueryRowSource.h"
#include "desktop/Dialogs.h"

namespace browse {

bool showWholeCatalogueReport(Windows &windows, QWidget *caller)
{
    const AppContext &context = windows.context();
    try {
        // Its own connection; the rows stay as the table was when they were read,
        // and are read a page at a time as the preview shows them.
        const db::QueryRowSource rows(db::connectionTextB(context.programFolder),
                                      QStringLiteral("SELECT * FROM Tabella"));
        return windows.report().showModal(rows); // rows and connection go after the window
    } catch (const db::DbError &error) {
        context.dialogs->message(
            caller, QStringLiteral("Impossibile preparare la stampa del catalogo.\n%1").arg(error.reason()),
            texts::applicationTitle(), QMessageBox::Ok, QMessageBox::Critical);
        return false;
    }
}

} // namespace browse
