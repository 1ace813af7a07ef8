#include "gui/kit/BackupCopies.h"

#include "core/engines/Engine.h"

#include "gui/kit/Texts.h"
#include "core/engines/DbError.h"
#include "gui/kit/Dialogs.h"

#include <QProgressDialog>

namespace backupcopies {

CopyProgress::CopyProgress(QWidget *parent)
    : m_dialog(std::make_unique<QProgressDialog>(QStringLiteral("Copia di sicurezza del catalogo in corso…"), QString(),
                                                 0, 100, parent))
{
    m_dialog->setObjectName(QStringLiteral("CopiaDiSicurezza"));
    m_dialog->setWindowTitle(texts::applicationTitle());
    m_dialog->setWindowModality(Qt::ApplicationModal);
    // A copy half made is no copy: it runs to its end, with no Cancel and no close box.
    m_dialog->setCancelButton(nullptr);
    m_dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    m_dialog->setMinimumDuration(500);
    m_dialog->setValue(0);
}

CopyProgress::~CopyProgress() = default;

backup::Progress CopyProgress::callback()
{
    return [dialog = m_dialog.get()](qint64 done, qint64 total) {
        if (total > 0)
            dialog->setValue(int(done * 100 / total));
    };
}

void makeDailyCopy(const QString &catalogPath, Dialogs &dialogs)
{
    try {
        CopyProgress progress(nullptr);
        backup::makeDailyCopy(catalogPath, progress.callback());
    } catch (const db::DbError &error) {
        dialogs.warn(nullptr,
                     QStringLiteral("Non è stato possibile fare la copia di sicurezza giornaliera del "
                                    "catalogo.\n%1\n\nIl programma continua senza la copia di oggi.")
                         .arg(error.reason()));
    }
}

bool copyBeforeAction(QWidget *parent, const QString &catalogPath, backup::Kind kind, Dialogs &dialogs)
{
    if (const db::Engine &engine = db::Engine::of(catalogPath); engine.sharedByWorkstations())
        return dialogs.askBeforeChanging(parent,
                                           QStringLiteral("Il catalogo è sul server \"%1\": il programma non ne fa "
                                                          "copie di sicurezza, che sono compito del server (ad "
                                                          "esempio con pg_dump).\nL'operazione non si potrà annullare. "
                                                          "Proseguire?")
                                               .arg(engine.shown(catalogPath)),
                                           texts::applicationTitle(), QMessageBox::Warning);
    try {
        CopyProgress progress(parent);
        backup::makeCopy(catalogPath, kind, progress.callback());
        return true;
    } catch (const db::DbError &error) {
        return dialogs.askBeforeChanging(parent,
                                           QStringLiteral("Non è stato possibile fare la copia di sicurezza del "
                                                          "catalogo prima di procedere.\n%1\n\nProseguire senza "
                                                          "copia di sicurezza?")
                                               .arg(error.reason()),
                                           texts::applicationTitle(), QMessageBox::Warning);
    }
}

} // namespace backupcopies
