#include "gui/service/ServiceWindow.h"

#include "core/catalogue/DocumentCounter.h"
#include "core/catalogue/Store.h"
#include "gui/kit/AppContext.h"
#include "gui/kit/BackupCopies.h"
#include "gui/kit/Dialogs.h"
#include "gui/kit/Guard.h"
#include "gui/kit/Texts.h"
#include "gui/kit/ToolWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QRegularExpression>

namespace {
QCheckBox *commandBox(QWidget *parent, const QString &name, const QString &caption, double top)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    toolwindow::place(box, 720, top, 3375, 375);
    toolwindow::setBackground(box, Qt::white);
    return box;
}
} // namespace

ServiceWindow::ServiceWindow(const AppContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    toolwindow::setUp(this, QStringLiteral("Form2"), QStringLiteral("Funzioni di Servizio"), 4680, 3090, Qt::white);
    setAttribute(Qt::WA_DeleteOnClose);

    // Made in tab order; Check3 stands between the other two.
    Check1 = commandBox(this, QStringLiteral("Check1"), QStringLiteral("Cambia Progressivo Documento"), 720);
    Check2 = commandBox(this, QStringLiteral("Check2"), QStringLiteral("Azzera Contatore Registrazioni"), 1680);
    Check3 = commandBox(this, QStringLiteral("Check3"), QStringLiteral("Elimina Registrazioni"), 1200);
    connect(Check1, &QCheckBox::toggled, this, &ServiceWindow::cambiaProgressivo);
    connect(Check2, &QCheckBox::toggled, this, &ServiceWindow::azzeraContatore);
    connect(Check3, &QCheckBox::toggled, this, &ServiceWindow::eliminaRegistrazioni);
}

bool ServiceWindow::guarded(const std::function<void()> &work)
{
    return ::guarded(this, *m_context.dialogs, work);
}

std::optional<qint64> ServiceWindow::counterValue(const QString &typed)
{
    static const QRegularExpression digitsOnly(QStringLiteral("^[0-9]+$"));
    const QString text = typed.trimmed();
    if (!digitsOnly.match(text).hasMatch())
        return std::nullopt;           // empty, letters, signs, fractions
    return counter::wholeNumber(text); // nothing when too large
}

void ServiceWindow::cambiaProgressivo(bool checked)
{
    if (!checked)
        return;
    Dialogs &dialogs = *m_context.dialogs;
    Check2->setChecked(false);
    if (!dialogs.ask(this, QStringLiteral("Si desidera cambiare il Progressivo Documento "))) {
        Check1->setChecked(false);
        return;
    }
    // The counter as the user decides on it: another copy of the program that
    // inserts a record before the new value is stored makes this change wait.
    std::optional<qint64> shownCounter;
    if (!guarded([&] {
            const counter::Reading reading = m_context.store->readCounter();
            if (reading.problem == counter::Reading::None)
                shownCounter = reading.last;
        })) {
        Check1->setChecked(false);
        return;
    }
    const InputAnswer answer
        = dialogs.input(this, QStringLiteral("Digita il nuovo Progressivo documento "), texts::applicationTitle());
    const QString typed = answer.accepted ? answer.text : QString();
    const std::optional<qint64> value = counterValue(typed);
    if (!value) {
        const QString what = typed.trimmed().isEmpty() ? QStringLiteral("Non è stato digitato nessun numero.")
                                                       : QStringLiteral("Il valore \"%1\" non è valido.").arg(typed);
        dialogs.warn(this,
                     what
                         + QStringLiteral("\nIl Progressivo Documento deve essere un numero intero da 0 in su: "
                                          "non è stato cambiato."));
        Check1->setChecked(false);
        return;
    }
    if (!backupcopies::copyBeforeAction(this, m_context.catalogPath(), backup::Kind::BeforeChangingCounter, dialogs)) {
        Check1->setChecked(false);
        return;
    }
    counter::Reading found;
    if (!guarded([&] { found = m_context.store->storeCounter(*value, shownCounter); })) {
        // already told
    } else if (found.problem == counter::Reading::NoRow || found.problem == counter::Reading::SeveralRows) {
        dialogs.warn(this, counter::problemMessage(found, m_context.catalogPath()));
    } else if (shownCounter && found.last != *shownCounter) {
        dialogs.warn(this,
                     QStringLiteral("Il Progressivo Documento è stato cambiato nel frattempo da un'altra copia "
                                    "del programma (ora è %1): non è stato cambiato.\nRiprovare se si "
                                    "desidera ancora impostarlo a %2.")
                         .arg(found.last)
                         .arg(*value));
    } else {
        dialogs.inform(this,
                       QStringLiteral(" Il  Progressivo Documento è stato aggiornato con il nuovo :")
                           + QString::number(*value),
                       QMessageBox::NoIcon);
    }
    Check1->setChecked(false);
}

void ServiceWindow::azzeraContatore(bool checked)
{
    if (!checked)
        return;
    Check1->setChecked(false);
    Check3->setChecked(false);
    Dialogs &dialogs = *m_context.dialogs;
    if (dialogs.askBeforeDestroying(this,
                                    QStringLiteral("ATTENZIONE :Per procedere all'azzeramento del contatore  delle "
                                                   "registrazioni è necessario PRIMA \nEliminare le registrazioni , "
                                                   "Vuoi Proseguire ? "),
                                    texts::applicationTitle())
        && backupcopies::copyBeforeAction(this, m_context.catalogPath(), backup::Kind::BeforeRestartingNumbering,
                                          dialogs)
        && guarded([this] { m_context.store->restartNumbering(); }))
        dialogs.inform(this, QStringLiteral("Contatore Registrazioni Azzerato"), QMessageBox::NoIcon);
    Check2->setChecked(false);
}

void ServiceWindow::eliminaRegistrazioni(bool checked)
{
    if (!checked)
        return;
    Check1->setChecked(false);
    Check2->setChecked(false);
    Dialogs &dialogs = *m_context.dialogs;
    if (dialogs.askBeforeDestroying(this, QStringLiteral("Siete sicuri di cancellare tutti i dati registrati ? "),
                                    texts::applicationTitle())
        && backupcopies::copyBeforeAction(this, m_context.catalogPath(), backup::Kind::BeforeDeletingRecords, dialogs)
        && guarded([this] { m_context.store->deleteAllRecords(); }))
        dialogs.inform(this, QStringLiteral("Registrazioni cancellate !"), QMessageBox::NoIcon);
    Check3->setChecked(false);
}

void ServiceWindow::closeEvent(QCloseEvent *event)
{
    Check1->setChecked(false);
    Check2->setChecked(false);
    // The main window unchecks "Funzioni di Servizio", whose handler runs as for a
    // click (it hides itself and shows this window); the two steps after it settle
    // the end state.
    emit unloading();
    hide();
    emit closed();
    event->accept();
}
