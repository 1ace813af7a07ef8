#include "service/Form2.h"

#include "app/DocumentCounter.h"
#include "app/Form1.h"
#include "app/Guard.h"
#include "app/Texts.h"
#include "app/Windows.h"
#include "db/Connection.h"
#include "desktop/Dialogs.h"
#include "desktop/ToolWindow.h"

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

Form2::Form2(Windows &windows, QWidget *parent) : QWidget(parent), m_windows(windows)
{
    toolwindow::setUp(this, QStringLiteral("Form2"), QStringLiteral("Funzioni di Servizio"), 4680, 3090, Qt::white);
    setAttribute(Qt::WA_DeleteOnClose);

    // Made in tab order; Check3 stands between the other two.
    Check1 = commandBox(this, QStringLiteral("Check1"), QStringLiteral("Cambia Progressivo Documento"), 720);
    Check2 = commandBox(this, QStringLiteral("Check2"), QStringLiteral("Azzera Contatore Registrazioni"), 1680);
    Check3 = commandBox(this, QStringLiteral("Check3"), QStringLiteral("Elimina Registrazioni"), 1200);
    connect(Check1, &QCheckBox::toggled, this, &Form2::cambiaProgressivo);
    connect(Check2, &QCheckBox::toggled, this, &Form2::azzeraContatore);
    connect(Check3, &QCheckBox::toggled, this, &Form2::eliminaRegistrazioni);
}

bool Form2::confirmed(const QString &question)
{
    return m_windows.context().dialogs->message(this, question, texts::applicationTitle(),
                                                QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

void Form2::say(const QString &text, QMessageBox::Icon icon)
{
    m_windows.context().dialogs->message(this, text, texts::applicationTitle(), QMessageBox::Ok, icon);
}

bool Form2::guarded(const std::function<void()> &work)
{
    return ::guarded(this, *m_windows.context().dialogs, work);
}

std::optional<qint64> Form2::counterValue(const QString &typed)
{
    static const QRegularExpression digitsOnly(QStringLiteral("^[0-9]+$"));
    const QString text = typed.trimmed();
    if (!digitsOnly.match(text).hasMatch())
        return std::nullopt;           // empty, letters, signs, fractions
    return counter::wholeNumber(text); // nothing when too large
}

void Form2::cambiaProgressivo(bool checked)
{
    if (!checked)
        return;
    Check2->setChecked(false);
    if (!confirmed(QStringLiteral("Si desidera cambiare il Progressivo Documento "))) {
        Check1->setChecked(false);
        return;
    }
    const InputAnswer answer = m_windows.context().dialogs->input(
        this, QStringLiteral("Digita il nuovo Progressivo documento "), texts::applicationTitle());
    const QString typed = answer.accepted ? answer.text : QString();
    const std::optional<qint64> value = counterValue(typed);
    if (!value) {
        const QString what = typed.trimmed().isEmpty() ? QStringLiteral("Non è stato digitato nessun numero.")
                                                       : QStringLiteral("Il valore \"%1\" non è valido.").arg(typed);
        say(what
                + QStringLiteral("\nIl Progressivo Documento deve essere un numero intero da 0 in su: "
                                 "non è stato cambiato."),
            QMessageBox::Warning);
        Check1->setChecked(false);
        return;
    }
    bool stored = false;
    const bool ran = guarded([&] {
        db::Connection connection;
        connection.open(db::connectionTextA(m_windows.context().programFolder), QString(), QString());
        stored = counter::store(connection, *value);
        connection.close();
    });
    if (ran && stored)
        say(QStringLiteral(" Il  Progressivo Documento è stato aggiornato con il nuovo :") + QString::number(*value));
    else if (ran) {
        counter::Reading noRow;
        noRow.problem = counter::Reading::NoRow;
        say(counter::problemMessage(noRow, m_windows.context().catalogPath()), QMessageBox::Warning);
    }
    Check1->setChecked(false);
}

void Form2::azzeraContatore(bool checked)
{
    if (!checked)
        return;
    Check1->setChecked(false);
    Check3->setChecked(false);
    if (confirmed(QStringLiteral("ATTENZIONE :Per procedere all'azzeramento del contatore  delle registrazioni è "
                                 "necessario PRIMA \nEliminare le registrazioni , Vuoi Proseguire ? "))
        && guarded([this] {
               db::Connection connection;
               connection.ConnectionString = db::connectionTextA(m_windows.context().programFolder);
               connection.open();
               connection.execute(QStringLiteral("ALTER TABLE Tabella ALTER COLUMN ID COUNTER(1,1)"));
               connection.close();
           }))
        say(QStringLiteral("Contatore Registrazioni Azzerato"));
    Check2->setChecked(false);
}

void Form2::eliminaRegistrazioni(bool checked)
{
    if (!checked)
        return;
    Check1->setChecked(false);
    Check2->setChecked(false);
    if (confirmed(QStringLiteral("Siete sicuri di cancellare tutti i dati registrati ? ")) && guarded([this] {
            db::Connection connection;
            connection.open(db::connectionTextA(m_windows.context().programFolder), QString(), QString());
            connection.execute(QStringLiteral("DELETE * FROM tabella "));
            connection.close();
        }))
        say(QStringLiteral("Registrazioni cancellate !"));
    Check3->setChecked(false);
}

void Form2::closeEvent(QCloseEvent *event)
{
    Check1->setChecked(false);
    Check2->setChecked(false);
    // The main window's handler runs here as for a click (it hides itself and
    // shows this window); the two steps after it settle the end state.
    Form1 &main = m_windows.form1();
    main.Check10->setChecked(false);
    hide();
    Windows::showModeless(&main);
    event->accept();
}
