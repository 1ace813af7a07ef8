#pragma once
// Backup copies of the catalogue as the program makes them in front of the user:
// the day's copy at start, and the copy just before an action of the service
// window that destroys data. A copy that lasts more than a moment shows its
// progress; a copy that fails is told, never silently skipped.
#include "core/catalogue/Backup.h"

#include <QString>

#include <memory>

class Dialogs;
class QProgressDialog;
class QWidget;

namespace backupcopies {

// A progress window for one copy ("CopiaDiSicurezza"): it appears only when the
// copy promises to last more than half a second, and closes when it ends.
class CopyProgress {
public:
    explicit CopyProgress(QWidget *parent);
    ~CopyProgress();
    CopyProgress(const CopyProgress &) = delete;
    CopyProgress &operator=(const CopyProgress &) = delete;

    // What the copy calls after each step.
    backup::Progress callback();
    QProgressDialog *dialog() const { return m_dialog.get(); }

private:
    std::unique_ptr<QProgressDialog> m_dialog;
};

// At start: the day's copy, unless one was made today. A failure is told in a
// warning and the program goes on.
void makeDailyCopy(const QString &catalogPath, Dialogs &dialogs);

// Just before a destructive action, after the user said "Sì": makes the copy.
// When it fails the user is told why and asked whether to go on without a copy
// ("No" is the default). True when the action may go on.
bool copyBeforeAction(QWidget *parent, const QString &catalogPath, backup::Kind kind, Dialogs &dialogs);

} // namespace backupcopies
