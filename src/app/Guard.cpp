#include "app/Guard.h"

#include "app/Texts.h"
#include "db/DbError.h"
#include "desktop/Dialogs.h"

QString failureMessage(const db::DbError &error)
{
    return QStringLiteral("L'operazione non è stata eseguita: il catalogo ha segnalato un errore.\n\n")
        + error.reason();
}

bool guarded(QWidget *parent, Dialogs &dialogs, const std::function<void()> &work)
{
    try {
        work();
        return true;
    } catch (const db::DbError &error) {
        dialogs.message(parent, failureMessage(error), texts::applicationTitle(), QMessageBox::Ok,
                        QMessageBox::Critical);
        return false;
    }
}
