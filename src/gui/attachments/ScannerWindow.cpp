#include "gui/attachments/ScannerWindow.h"

#include "core/scanning/Twain.h"
#include "gui/kit/AppContext.h"
#include "gui/kit/Dialogs.h"
#include "gui/kit/Texts.h"
#include "gui/kit/ToolWindow.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

namespace {
// The title of this window's own messages, with its leading blank.
QString scannerTitle()
{
    return QStringLiteral(" Rudozuzurivaz versione 1");
}

QPushButton *yellowButton(QWidget *parent, const QString &name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    toolwindow::setButtonColour(button, QColor(0xFF, 0xFF, 0xC0));
    return button;
}
} // namespace

ScannerWindow::ScannerWindow(const AppContext &context, Twain &twain, QWidget *parent)
    : QWidget(parent), m_context(context), m_twain(twain)
{
    toolwindow::setUp(this, QStringLiteral("Form5"), QStringLiteral("Scanner"), 9405, 3840, Qt::white);
    setAttribute(Qt::WA_DeleteOnClose);

    // Made in tab order: Command2, Command1, Text1, Picture1, FBMultipage.
    Command2 = yellowButton(this, QStringLiteral("Command2"), QStringLiteral("Seleziona  Scanner"));
    toolwindow::place(Command2, 3240, 360, 3015, 495);
    Command1 = yellowButton(this, QStringLiteral("Command1"), QStringLiteral("&Scanner"));
    toolwindow::place(Command1, 3240, 1800, 3015, 495);
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    toolwindow::place(Text1, 1440, 1080, 6735, 375);
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    toolwindow::place(Picture1, 360, 1080, 855, 735);
    FBMultipage = yellowButton(this, QStringLiteral("FBMultipage"), QStringLiteral("&Scanner Multipage"));
    toolwindow::place(FBMultipage, 3240, 2520, 3015, 495);

    connect(Command2, &QPushButton::clicked, this, &ScannerWindow::selectScanner);
    connect(Command1, &QPushButton::clicked, this, &ScannerWindow::scanNamedDocument);
    connect(FBMultipage, &QPushButton::clicked, this, &ScannerWindow::scanMultipage);
}

void ScannerWindow::selectScanner()
{
    m_twain.TWAIN_SelectImageSource(this);
}

QString ScannerWindow::nameProblem(const QString &name)
{
    // The file must land in the attachment folder itself and be visible there.
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return QStringLiteral("Il nome non può contenere \"/\" o \"\\\": il documento va salvato "
                              "nella cartella degli allegati.");
    if (name.startsWith(QLatin1Char('.')))
        return QStringLiteral("Il nome non può cominciare con un punto.");
    return {};
}

void ScannerWindow::scanNamedDocument()
{
    const InputAnswer answer = m_context.dialogs->input(
        this, QStringLiteral("Digita il nome del documento, l'estensione del file è : NomeAllegato.pdf"),
        QStringLiteral("Scanner"), QStringLiteral(".pdf"));
    const QString name = answer.accepted ? answer.text : QString();
    if (name.isEmpty() || name.size() == 4) {
        m_context.dialogs->inform(this, QStringLiteral("Non Hai Inserito il nome del File "), QMessageBox::NoIcon,
                                  scannerTitle());
        return;
    }
    if (name.size() < 4) // a name too short to be meant: nothing happens
        return;
    if (const QString problem = nameProblem(name); !problem.isEmpty()) {
        m_context.dialogs->inform(this,
                                  QStringLiteral("Il nome \"%1\" non è valido. %2\nDigitare solo il nome del "
                                                 "documento, ad esempio NomeAllegato.pdf.")
                                      .arg(name, problem),
                                  QMessageBox::Warning, scannerTitle());
        return;
    }
    m_context.dialogs->inform(this, QStringLiteral("Hai  immesso: '") + name, QMessageBox::NoIcon, scannerTitle());
    Text1->setText(name);

    const QString path = m_context.attachmentFolder() + QLatin1Char('/') + name;
    if (QFileInfo::exists(path)
        && m_context.dialogs->message(this,
                                      QStringLiteral("Nella cartella degli allegati esiste già un file \"%1\".\n"
                                                     "Sostituirlo con il documento che sta per essere acquisito?")
                                          .arg(name),
                                      scannerTitle(), QMessageBox::Yes | QMessageBox::No, QMessageBox::Question)
            != QMessageBox::Yes)
        return;

    m_twain.TWAIN_SetHideUI(1);
    m_twain.TWAIN_OpenDefaultSource();
    m_twain.TWAIN_SetPixelType(Twain::BlackAndWhite);
    m_twain.TWAIN_SetResolution(300.0);
    if (m_twain.TWAIN_AcquireMultipageFile(this, path) != Twain::Ok) {
        // Nothing was written, so the record must not name the file.
        m_context.dialogs->inform(this,
                                  QStringLiteral("Il documento \"%1\" non è stato acquisito e le note non sono "
                                                 "state cambiate.\n\n%2")
                                      .arg(name, m_twain.lastError()),
                                  QMessageBox::Warning, scannerTitle());
        return;
    }
    emit notesLineAdded(QStringLiteral("\nAllegato:-") + name);
    hide();
}

void ScannerWindow::scanMultipage()
{
    const AppContext &context = m_context;
    if (m_twain.TWAIN_OpenDefaultSource() != 1)
        return; // no scanner to open: the multipage action ends without a word
    m_twain.TWAIN_SetMultiTransfer(1);
    m_twain.TWAIN_SetHideUI(1);
    m_twain.TWAIN_SetPixelType(Twain::BlackAndWhite);
    m_twain.TWAIN_SetResolution(300.0);
    m_twain.TWAIN_SelectFeeder(0);
    m_twain.TWAIN_ResetImageLayout();
    m_twain.TWAIN_SetMultipageFormat(Twain::PdfFormat);
    int result = m_twain.TWAIN_BeginMultipageFile(QString());
    if (result == Twain::Ok) {
        for (;;) {
            const int image = m_twain.TWAIN_Acquire(this);
            m_twain.TWAIN_DisableSource();
            if (image == 0)
                break;
            if (context.dialogs->message(this, QStringLiteral("Scan another page?"), texts::applicationTitle(),
                                         QMessageBox::Yes | QMessageBox::No, QMessageBox::Question)
                != QMessageBox::Yes)
                break;
        }
        const int ended = m_twain.TWAIN_EndMultipageFile();
        if (result == Twain::Ok)
            result = ended;
        hide();
    }
    m_twain.TWAIN_SetMultiTransfer(0);
    m_twain.TWAIN_SetHideUI(0);
    m_twain.TWAIN_CloseSource();
    if (result == Twain::Ok)
        context.dialogs->message(this, QStringLiteral("Scan completed and saved to file."), texts::applicationTitle(),
                                 QMessageBox::Ok, QMessageBox::Information);
    else
        context.dialogs->message(this,
                                 QStringLiteral("Scan failed with result code ") + QLatin1Char(result < 0 ? '-' : ' ')
                                     + QString::number(qAbs(result)),
                                 texts::applicationTitle(), QMessageBox::Ok, QMessageBox::Warning);
}
