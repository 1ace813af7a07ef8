#include "desktop/Guard.h"

#include "core/db/DbError.h"
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
        dialogs.fail(parent, failureMessage(error));
    } catch (const db::Refusal &refusal) {
        dialogs.warn(parent, refusal.message());
    }
    return false;
}
