#include "gui/kit/Guard.h"

#include "core/engines/DbError.h"
#include "core/catalogue/Diagnosis.h"
#include "gui/kit/Dialogs.h"

bool guarded(QWidget *parent, Dialogs &dialogs, const std::function<void()> &work)
{
    try {
        work();
        return true;
    } catch (const db::DbError &error) {
        dialogs.fail(parent, db::failureMessage(error));
    } catch (const db::Refusal &refusal) {
        dialogs.warn(parent, refusal.message());
    }
    return false;
}
