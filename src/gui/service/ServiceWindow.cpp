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

using enum windowlayout::Kind;
constexpr QRgb white = qRgb(255, 255, 255);

// Made in tab order; the third box stands between the other two.
// clang-format off
constexpr windowlayout::Control controls[] = {
    {.name = u"Check1", .kind = CheckBox, .caption = u"Cambia Progressivo Documento", .left = 720, .top = 720,
     .width = 3375, .height = 375, .background = white},
    {.name = u"Check2", .kind = CheckBox, .caption = u"Azzera Contatore Registrazioni", .left = 720, .top = 1680,
     .width = 3375, .height = 375, .background = white},
    {.name = u"Check3", .kind = CheckBox, .caption = u"Elimina Registrazioni", .left = 720, .top = 1200,
     .width = 3375, .height = 375, .background = white},
};
// clang-format on

} // namespace

const windowlayout::Layout &ServiceWindow::layout()
{
    static const windowlayout::Layout layout{
        {.name = u"Form2", .caption = u"Funzioni di Servizio", .width = 4680, .height = 3090, .background = white},
        controls};
    return layout;
}

ServiceWindow::ServiceWindow(const AppContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    toolwindow::centreOnScreen(this);
    setAttribute(Qt::WA_DeleteOnClose);
    connect(m_counterEntry, &QCheckBox::toggled, this, &ServiceWindow::changeDocumentCounter);
    connect(m_restartEntry, &QCheckBox::toggled, this, &ServiceWindow::restartNumbering);
    connect(m_deleteAllEntry, &QCheckBox::toggled, this, &ServiceWindow::deleteAllRecords);
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

void ServiceWindow::changeDocumentCounter(bool checked)
{
    if (!checked)
        return;
    Dialogs &dialogs = *m_context.dialogs;
    m_restartEntry->setChecked(false);
    if (!dialogs.askBeforeChanging(this, QStringLiteral("Si desidera cambiare il Progressivo Documento "))) {
        m_counterEntry->setChecked(false);
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
        m_counterEntry->setChecked(false);
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
        m_counterEntry->setChecked(false);
        return;
    }
    if (!backupcopies::copyBeforeAction(this, m_context.catalogPath(), backup::Kind::BeforeChangingCounter, dialogs)) {
        m_counterEntry->setChecked(false);
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
    m_counterEntry->setChecked(false);
}

void ServiceWindow::restartNumbering(bool checked)
{
    if (!checked)
        return;
    m_counterEntry->setChecked(false);
    m_deleteAllEntry->setChecked(false);
    if (changedAfterCopy(QStringLiteral("ATTENZIONE :Per procedere all'azzeramento del contatore  delle "
                                        "registrazioni è necessario PRIMA \nEliminare le registrazioni , "
                                        "Vuoi Proseguire ? "),
                         backup::Kind::BeforeRestartingNumbering, [this] { m_context.store->restartNumbering(); }))
        m_context.dialogs->inform(this, QStringLiteral("Contatore Registrazioni Azzerato"), QMessageBox::NoIcon);
    m_restartEntry->setChecked(false);
}

void ServiceWindow::deleteAllRecords(bool checked)
{
    if (!checked)
        return;
    m_counterEntry->setChecked(false);
    m_restartEntry->setChecked(false);
    if (changedAfterCopy(QStringLiteral("Siete sicuri di cancellare tutti i dati registrati ? "),
                         backup::Kind::BeforeDeletingRecords, [this] { m_context.store->deleteAllRecords(); }))
        m_context.dialogs->inform(this, QStringLiteral("Registrazioni cancellate !"), QMessageBox::NoIcon);
    m_deleteAllEntry->setChecked(false);
}

bool ServiceWindow::changedAfterCopy(const QString &question, backup::Kind copy, const std::function<void()> &change)
{
    Dialogs &dialogs = *m_context.dialogs;
    return dialogs.askBeforeChanging(this, question, texts::applicationTitle())
        && backupcopies::copyBeforeAction(this, m_context.catalogPath(), copy, dialogs) && guarded(change);
}

void ServiceWindow::closeEvent(QCloseEvent *event)
{
    m_counterEntry->setChecked(false);
    m_restartEntry->setChecked(false);
    // The main window unchecks "Funzioni di Servizio", whose handler runs as for a
    // click (it hides itself and shows this window); the two steps after it settle
    // the end state.
    emit unloading();
    hide();
    emit closed();
    event->accept();
}
