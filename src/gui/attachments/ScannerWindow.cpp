#include "gui/attachments/ScannerWindow.h"

#include "core/scanning/Twain.h"
#include "core/catalogue/AttachmentNotes.h"
#include "gui/kit/AppContext.h"
#include "gui/kit/Dialogs.h"
#include "gui/kit/Texts.h"
#include "gui/kit/ToolWindow.h"

#include <QFileInfo>
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

using enum windowlayout::Kind;
constexpr QRgb yellow = qRgb(0xFF, 0xFF, 0xC0);

// Made in tab order: the scanner's choice, the scan of a named document, its
// name, an empty picture box, the scan of several pages.
// clang-format off
constexpr windowlayout::Control controls[] = {
    {.name = u"Command2", .kind = Button, .caption = u"Seleziona  Scanner", .left = 3240, .top = 360, .width = 3015,
     .height = 495, .face = yellow},
    {.name = u"Command1", .kind = Button, .caption = u"&Scanner", .left = 3240, .top = 1800, .width = 3015,
     .height = 495, .face = yellow},
    {.name = u"Text1", .kind = TextBox, .left = 1440, .top = 1080, .width = 6735, .height = 375},
    {.name = u"Picture1", .kind = Label, .left = 360, .top = 1080, .width = 855, .height = 735},
    {.name = u"FBMultipage", .kind = Button, .caption = u"&Scanner Multipage", .left = 3240, .top = 2520,
     .width = 3015, .height = 495, .face = yellow},
};
// clang-format on
} // namespace

const windowlayout::Layout &ScannerWindow::layout()
{
    static const windowlayout::Layout layout{
        {.name = u"Form5", .caption = u"Scanner", .width = 9405, .height = 3840, .background = qRgb(255, 255, 255)},
        controls};
    return layout;
}

ScannerWindow::ScannerWindow(const AppContext &context, Twain &twain, QWidget *parent)
    : QWidget(parent), m_context(context), m_twain(twain)
{
    toolwindow::centreOnScreen(this);
    setAttribute(Qt::WA_DeleteOnClose);
    connect(m_chooseScannerButton, &QPushButton::clicked, this, &ScannerWindow::selectScanner);
    connect(m_scanButton, &QPushButton::clicked, this, &ScannerWindow::scanNamedDocument);
    connect(m_multipageButton, &QPushButton::clicked, this, &ScannerWindow::scanMultipage);
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

bool ScannerWindow::attachmentFolderReady()
{
    const QString problem = m_context.attachmentFolderProblem();
    if (!problem.isEmpty())
        m_context.dialogs->inform(this, problem + QStringLiteral("\nNessun documento è stato acquisito."),
                                  QMessageBox::Warning, scannerTitle());
    return problem.isEmpty();
}

void ScannerWindow::scanNamedDocument()
{
    if (!attachmentFolderReady())
        return;
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
    m_documentNameBox->setText(name);

    const QString path = m_context.attachmentFolder() + QLatin1Char('/') + name;
    if (QFileInfo::exists(path)
        && !m_context.dialogs->askBeforeChanging(this,
                                                 QStringLiteral("Nella cartella degli allegati esiste già un file "
                                                                "\"%1\".\nSostituirlo con il documento che sta per "
                                                                "essere acquisito?")
                                                     .arg(name),
                                                 scannerTitle(), QMessageBox::Question))
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
    emit notesLineAdded(attachments::notesLine(name));
    hide();
}

void ScannerWindow::scanMultipage()
{
    const AppContext &context = m_context;
    if (!attachmentFolderReady())
        return;
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
            if (context.dialogs->message(this, QStringLiteral("Acquisire un'altra pagina?"), texts::applicationTitle(),
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
    if (result != Twain::Ok) {
        context.dialogs->message(this,
                                 QStringLiteral("L'acquisizione non è riuscita (codice %1): nessun documento è stato "
                                                "salvato e le note non sono state cambiate.\n\n%2")
                                     .arg(result)
                                     .arg(m_twain.lastError()),
                                 texts::applicationTitle(), QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    // The document is noted in the record as a named scan is, so that nobody has
    // to copy its dated name by hand.
    const QString name = QFileInfo(m_twain.lastFile()).fileName();
    emit notesLineAdded(attachments::notesLine(name));
    context.dialogs->message(this,
                             QStringLiteral("Acquisizione completata: il documento è stato salvato nel file \"%1\" "
                                            "della cartella degli allegati e annotato nelle note.")
                                 .arg(name),
                             texts::applicationTitle(), QMessageBox::Ok, QMessageBox::Information);
}
