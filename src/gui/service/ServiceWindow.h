#pragma once
// The service window "Funzioni di Servizio" (the original's Form2): three check boxes used as commands on the catalogue:
// set the document number counter, restart the record numbering, delete every
// record. Each asks first, makes a backup copy of the catalogue just before it
// changes anything, and unchecks itself when done or refused. The main
// window is hidden while this window is open and comes back when it closes.
#include "core/catalogue/Backup.h"
#include "gui/kit/WindowLayout.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QWidget>

#include <functional>
#include <optional>

struct AppContext;

class ServiceWindow : public QWidget {
    Q_OBJECT
public:
    explicit ServiceWindow(const AppContext &context, QWidget *parent = nullptr);

    // The counter value typed by the user: a whole number of zero or more that
    // still has a next number; nothing for anything else.
    static std::optional<qint64> counterValue(const QString &typed);

signals:
    // Closing: first the main window unchecks "Funzioni di Servizio", then, once
    // this window is hidden, it shows itself again.
    void unloading();
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    static const windowlayout::Layout &layout();
    void changeDocumentCounter(bool checked);
    void restartNumbering(bool checked);
    void deleteAllRecords(bool checked);
    bool guarded(const std::function<void()> &work);
    // A change of every record: asked first (No by default), a backup copy of
    // `copy`'s kind made, then `change` done. Whether it was done.
    bool changedAfterCopy(const QString &question, backup::Kind copy, const std::function<void()> &change);

    const AppContext &m_context;
    // Built from its layout table first; its three boxes are found by their names.
    const bool m_built = (windowlayout::build(*this, layout()), true);
    QCheckBox *const m_counterEntry
        = windowlayout::control<QCheckBox>(*this, u"Check1"); // "Cambia Progressivo Documento"
    QCheckBox *const m_restartEntry
        = windowlayout::control<QCheckBox>(*this, u"Check2"); // "Azzera Contatore Registrazioni"
    QCheckBox *const m_deleteAllEntry = windowlayout::control<QCheckBox>(*this, u"Check3"); // "Elimina Registrazioni"
};
