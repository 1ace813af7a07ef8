#include "gui/mainwindow/MainWindow.h"

#include "core/engines/DbError.h"
#include "core/catalogue/Diagnosis.h"
#include "core/catalogue/DocumentCounter.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/catalogue/Store.h"
#include "core/settings/SystemFormats.h"
#include "gui/kit/AppContext.h"
#include "gui/kit/Dialogs.h"
#include "gui/kit/Guard.h"
#include "gui/kit/Shell.h"
#include "gui/kit/Texts.h"
#include "gui/kit/ToolWindow.h"
#include "gui/mainwindow/DateEntry.h"
#include "gui/mainwindow/DeletionList.h"
#include "gui/mainwindow/LookupFrames.h"
#include "gui/mainwindow/LookupLists.h"
#include "gui/mainwindow/LookupMaintenance.h"
#include "gui/mainwindow/Pictures.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace {

// Runs one step of a routine that goes on when a step fails.
void skippingErrors(const std::function<void()> &step)
{
    try {
        step();
    } catch (const db::DbError &) {
    }
}

} // namespace

MainWindow::MainWindow(const AppContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    toolwindow::centreOnScreen(this); // already here for the messages of the start-up
    m_background = pictures::background();

    m_makerLogo->setPixmap(pictures::logo());
    m_makerLogo->setToolTip(QStringLiteral("Vai al il mio sito !"));
    m_makerLogo->setCursor(Qt::PointingHandCursor);
    m_makerLogo->installEventFilter(this);
    m_makerLine->setText(texts::copyrightLine() + QLatin1Char('\n') + texts::makerWebAddress() + QStringLiteral("  -  ")
                         + texts::makerEmail());
    m_clockTimer = new QTimer(this);
    m_clockTimer->setObjectName(QStringLiteral("Timer1"));
    m_clockTimer->setInterval(1000);

    connectMenu();
    connectEntryScreen();
    startUp();
}

// ---- Signals -------------------------------------------------------------------

void MainWindow::connectMenu()
{
    // Check boxes used as commands answer to every change of state, by the user or
    // by the program (toggled), as the other windows rely on.
    connect(m_editEntry, &QCheckBox::toggled, this, [this](bool checked) {
        if (!checked)
            return;
        m_entryScreen->show();
        guarded([this] { showNextDocumentNumber(); });
        m_menuScreen->hide();
    });
    connect(m_searchEntry, &QCheckBox::toggled, this, &MainWindow::searchRequested);
    connect(m_printAllEntry, &QCheckBox::toggled, this, [this](bool checked) {
        if (checked)
            printWholeCatalogue();
    });
    connect(m_serviceEntry, &QCheckBox::toggled, this, [this] {
        hide();
        emit serviceRequested();
    });
    connect(m_instructionsEntry, &QCheckBox::toggled, this, [this] { showInstructions(); });
    connect(m_exitEntry, &QCheckBox::toggled, this, [this](bool checked) {
        if (checked)
            emit endRequested();
    });
}

void MainWindow::connectEntryScreen()
{
    connect(m_queryToggle, &QCheckBox::toggled, this, [this](bool checked) {
        if (checked)
            emit searchRequested();
    });
    connect(m_clearButton, &QPushButton::clicked, this, [this] { clearEntryScreen(); });
    connect(m_menuButton, &QPushButton::clicked, this, [this] { backToMenu(); });
    connect(m_browseButton, &QPushButton::clicked, this, &MainWindow::browseRequested);
    connect(m_scanButton, &QPushButton::clicked, this, &MainWindow::scannerRequested);
    connect(m_attachmentButton, &QPushButton::clicked, this, &MainWindow::attachmentsRequested);
    connect(m_clockTimer, &QTimer::timeout, this, &MainWindow::tick);
    const std::function<void()> loaders[]
        = {[this] { loadKeywords(); }, [this] { loadPublications(); }, [this] { loadLocations(); }};
    for (int i = 0; i < 3; ++i)
        new lookups::LookupMaintenance(lookups::frameFamilies[i], *this, m_context, loaders[i]);

    // Insertion, deletion and the deletion list.
    m_deletionEntries = new DeletionList(this);
    m_deletionEntries->showIn(*m_deletionList);
    connect(m_deletionEntries, &DeletionList::readFailed, this,
            [this](const db::DbError &error) { m_context.dialogs->fail(this, db::failureMessage(error)); });
    connect(m_insertButton, &QPushButton::clicked, this, &MainWindow::insertButtonPressed);
    connect(m_deletionToggle, &QCheckBox::toggled, this, &MainWindow::setDeletionMode);

    // Date entry.
    connect(m_calendarToggle, &QCheckBox::toggled, this, &MainWindow::calendarToggled);
    connect(m_calendar, &QCalendarWidget::clicked, this, &MainWindow::dayPicked);
    connect(m_calendar, &QCalendarWidget::activated, this, &MainWindow::dayPicked); // Enter on a day
    connect(m_closeCalendarButton, &QPushButton::clicked, this, &MainWindow::closeCalendar);
    dateentry::normaliseOnLeaving(*m_dateBox);

    // Tab leaves the notes for the next box, as in every other box; Ctrl+Tab
    // writes a tab when one is wanted.
    m_notesBox->setTabChangesFocus(true);
    m_notesBox->installEventFilter(this);
}

// ---- Start-up ------------------------------------------------------------------

void MainWindow::startUp()
{
    guarded([this] { showNextDocumentNumber(); });
    ensureAttachmentFolder();
    guarded([this] {
        loadPublications();
        loadKeywords();
        loadLocations();
    });
    for (QWidget *hidden :
         std::initializer_list<QWidget *>{m_deletionList, m_calendarFrame, m_entryScreen, m_keywordFrame,
                                          m_publicationFrame, m_locationFrame, m_deletionCover})
        hidden->hide();
    m_calendarToggle->setChecked(false);
    m_keywordListToggle->setChecked(false);
    m_editEntry->setChecked(false);
    m_calendar->setSelectedDate(QDate::currentDate());
    m_clockTimer->start();
}

void MainWindow::ensureAttachmentFolder()
{
    // The office's folder is never made here: it is the one the workstations share.
    if (!m_context.officeAttachmentFolder.isEmpty()) {
        if (const QString problem = m_context.attachmentFolderProblem(); !problem.isEmpty())
            m_context.dialogs->message(this,
                                       problem
                                           + QStringLiteral("\nGli allegati non potranno essere acquisiti né aperti "
                                                            "finché la cartella non è disponibile."),
                                       texts::applicationTitle(), QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    // Any entry of that name counts as present, a plain file included.
    const QString folder = m_context.attachmentFolder();
    if (QFileInfo::exists(folder))
        return;
    if (!QDir().mkdir(folder))
        m_context.dialogs->message(
            this,
            QStringLiteral("Impossibile creare la cartella degli allegati \"%1\".\n"
                           "Gli allegati non potranno essere salvati finché la cartella non esiste.")
                .arg(QDir::toNativeSeparators(folder)),
            texts::applicationTitle(), QMessageBox::Ok, QMessageBox::Warning);
}

// ---- Document number -------------------------------------------------------------

void MainWindow::showNextDocumentNumber()
{
    // Emptied first, so that a failed read never leaves an old number on offer.
    m_documentNumberBox->clear();
    const counter::Reading reading = m_context.store->readCounter();
    if (const auto next = reading.next()) {
        m_documentNumberBox->setText(QString::number(*next));
        return;
    }
    m_context.dialogs->warn(this, counter::problemMessage(reading, m_context.catalogPath()));
}

void MainWindow::storeShownDocumentNumber()
{
    const auto number = counter::wholeNumber(m_documentNumberBox->text());
    if (!number)
        throw db::Refusal(QStringLiteral("Il numero del documento \"%1\" non è un numero intero: "
                                         "il Progressivo Documento non è stato cambiato.")
                              .arg(m_documentNumberBox->text()));
    m_context.store->storeCounter(*number);
}

// ---- Lookup lists ----------------------------------------------------------------

void MainWindow::loadKeywords()
{
    lookups::load(*m_context.store, lookups::List::Chiave, *m_keywordFrameList, *m_keywordBox);
}

void MainWindow::loadPublications()
{
    lookups::load(*m_context.store, lookups::List::Pubblicazione, *m_publicationFrameList, *m_publicationBox);
}

void MainWindow::loadLocations()
{
    lookups::load(*m_context.store, lookups::List::Allocazione, *m_locationFrameList, *m_locationBox);
}

// ---- Entry screen ----------------------------------------------------------------

void MainWindow::clearEntryScreen()
{
    // 1. Every text of the window; the lists of the combo boxes stay.
    for (QLineEdit *box :
         {m_idBox, m_subjectBox, m_textBox, m_issueBox, m_dateBox, m_pageBox, m_paragraphBox, m_documentNumberBox})
        box->clear();
    m_notesBox->clear();
    for (QComboBox *combo : {m_keywordBox, m_publicationBox, m_locationBox, m_deletionList, m_keywordFrameList,
                             m_publicationFrameList, m_locationFrameList})
        combo->clearEditText();
    // 2. The entry screen's lists.
    for (QComboBox *combo : {m_keywordBox, m_publicationBox, m_locationBox})
        combo->clear();
    // 3. Toggles and menu entries; each change runs that box's handler.
    for (QCheckBox *box : {m_calendarToggle, m_keywordListToggle, m_publicationListToggle, m_searchEntry, m_editEntry,
                           m_printAllEntry, m_queryToggle, m_locationListToggle})
        box->setChecked(false);
    // 4. and 5. Lists and document number again; a failing step does not stop the next.
    skippingErrors([this] { loadKeywords(); });
    skippingErrors([this] { loadPublications(); });
    skippingErrors([this] { loadLocations(); });
    skippingErrors([this] { showNextDocumentNumber(); });
}

void MainWindow::backToMenu()
{
    m_deletionToggle->setChecked(false); // ends deletion mode through its own handler
    m_entryScreen->hide();
    clearEntryScreen();
    m_menuScreen->show();
    m_keywordFrame->hide();
    m_publicationFrame->hide();
    m_locationFrame->hide();
}

// ---- Insertion and deletion ------------------------------------------------------

namespace {

// The notes as typed: lines end with a line feed (also those broken with
// Shift+Enter), and non-breaking blanks stay what they are.
QString notesOf(const QPlainTextEdit &box)
{
    QString text = box.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

const QString confirmTitle = QStringLiteral("CONFERMA");

} // namespace

void MainWindow::insertButtonPressed()
{
    if (m_insertButton->text() == QStringLiteral("Inserisci"))
        insertRecord();
    else if (m_insertButton->text() == QStringLiteral("Elimina") && m_deletionToggle->isChecked()
             && !m_deletionList->currentText().isEmpty())
        deleteChosenRecord();
}

void MainWindow::insertRecord()
{
    Dialogs &dialogs = *m_context.dialogs;
    if (m_keywordBox->currentText().isEmpty() || m_subjectBox->text().isEmpty()) {
        dialogs.message(this, QStringLiteral(" ERRORE : il Campo Chiave e Argomento devono essere compliati"),
                        QStringLiteral("Rudozuzurivaz versione 1 "), QMessageBox::Ok, QMessageBox::NoIcon);
        return;
    }
    // A damaged counter leaves no number to give: no record without one.
    const auto number = counter::wholeNumber(m_documentNumberBox->text());
    if (!number) {
        dialogs.message(this,
                        QStringLiteral("La registrazione non è stata inserita: il numero del documento "
                                       "(\"Progr.Doc.\") non è disponibile perché il contatore del catalogo "
                                       "è danneggiato.\nUn numero valido si imposta con \"Funzioni di Servizio\", "
                                       "\"Cambia Progressivo Documento\"."),
                        texts::applicationTitle(), QMessageBox::Ok, QMessageBox::Warning);
        return;
    }

    // The row and the counter are stored together or not at all, before the
    // confirmation: a program ended meanwhile never gives the same number twice.
    const db::NewRecord record{
        m_keywordBox->currentText(), m_subjectBox->text(),        m_textBox->text(), m_publicationBox->currentText(),
        m_issueBox->text(),          m_dateBox->text(),           m_pageBox->text(), m_paragraphBox->text(),
        notesOf(*m_notesBox),        m_locationBox->currentText()};
    qint64 id = 0;
    std::optional<qint64> nextFree;
    const bool stored = guarded([&] {
        try {
            id = m_context.store->addRecord(record, *number);
        } catch (const db::NumberTaken &taken) {
            nextFree = taken.next();
            throw;
        }
    });
    if (nextFree)
        m_documentNumberBox->setText(QString::number(*nextFree)); // offered with everything typed kept
    if (!stored)
        return; // the screen keeps what was typed

    m_idBox->setText(QString::number(id));
    dialogs.message(this, QStringLiteral("Inserimento effettuato"), confirmTitle, QMessageBox::Ok, QMessageBox::NoIcon);
    m_keywordBox->clear();
    m_publicationBox->clear();
    clearEntryScreen();
    showSmallToggles();
}

void MainWindow::deleteChosenRecord()
{
    Dialogs &dialogs = *m_context.dialogs;
    if (!dialogs.askBeforeChanging(this, QStringLiteral("Sei sicuro di voler procedere all' eliminazione ? "),
                                     confirmTitle)) {
        m_idBox->show();
        m_deletionList->hide();
        m_insertButton->setText(QStringLiteral("Inserisci"));
        m_deletionToggle->setChecked(false); // back to insert mode through its handler
        return;
    }

    // Only the number before the first "-- " names the record, bound as a number.
    const QString chosen = m_deletionList->currentText();
    const auto number = DeletionList::recordNumberOf(chosen);
    bool deleted = false;
    const bool done = guarded([&] {
        if (number)
            deleted = m_context.store->deleteRecord(*number); // false: typed, or deleted meanwhile elsewhere
    });
    if (!done)
        return;
    if (!deleted) {
        const QString reason = number
            ? QStringLiteral("nel catalogo non c'è la registrazione numero %1 "
                             "(forse è già stata eliminata).")
                  .arg(*number)
            : QStringLiteral("\"%1\" non comincia con il numero di una registrazione.").arg(chosen);
        dialogs.message(this,
                        QStringLiteral("Registrazione non trovata: ") + reason
                            + QStringLiteral("\nNessuna registrazione è stata eliminata; "
                                             "sceglierne una dall'elenco."),
                        texts::applicationTitle(), QMessageBox::Ok, QMessageBox::Warning);
        guarded([this] { loadDeletionList(); }); // the list shows the catalogue as it is now
        return;
    }

    m_deletionEntries->clear();
    dialogs.message(this, QStringLiteral("Eliminazione avvenuta !"), confirmTitle, QMessageBox::Ok,
                    QMessageBox::NoIcon);
    m_deletionToggle->setChecked(false);
    showSmallToggles();
}

void MainWindow::setDeletionMode(bool on)
{
    // Deletion mode: the list across the first row, its cover over the other fields.
    for (QWidget *firstRow : std::initializer_list<QWidget *>{m_subjectBox, m_keywordBox, m_idBox, m_idCaption,
                                                              m_keywordCaption, m_keywordListToggle, m_subjectCaption})
        firstRow->setVisible(!on);
    m_deletionList->setVisible(on);
    m_deletionCover->setVisible(on);
    for (QPushButton *command : {m_clearButton, m_scanButton, m_attachmentButton, m_browseButton})
        command->setEnabled(!on);
    m_insertButton->setText(on ? QStringLiteral("Elimina") : QStringLiteral("Inserisci"));
    if (on) {
        guarded([this] { loadDeletionList(); });
    } else {
        m_deletionEntries->clear(); // lets its connection go
        clearEntryScreen();
    }
}

void MainWindow::loadDeletionList()
{
    m_deletionEntries->clear();
    // Rows are read as the list shows them (a million entries open at once), each
    // read on its own: no read transaction stays open to hold up the deletion.
    m_deletionEntries->setSource(m_context.store->recordList());
    // The combo box would choose the first entry by itself: nothing is chosen until the user does.
    m_deletionList->setCurrentIndex(-1);
}

void MainWindow::showSmallToggles()
{
    for (QCheckBox *toggle : {m_calendarToggle, m_keywordListToggle, m_publicationListToggle, m_locationListToggle})
        toggle->show();
}

// ---- Date picker -------------------------------------------------------------------

void MainWindow::calendarToggled(bool open)
{
    // At most one of the four small frames is open: the other toggles hide meanwhile.
    m_calendarFrame->setVisible(open);
    for (QCheckBox *toggle : {m_keywordListToggle, m_publicationListToggle, m_locationListToggle})
        toggle->setVisible(!open);
}

void MainWindow::dayPicked(const QDate &day)
{
    if (!m_calendarToggle->isChecked())
        return;
    m_dateBox->setText(formats::shortDate(day));
    m_calendarToggle->setChecked(false);
    m_calendarFrame->hide();
}

void MainWindow::closeCalendar()
{
    m_calendarFrame->hide();
    m_calendarToggle->setChecked(false);
    showSmallToggles();
}

// ---- Menu actions ----------------------------------------------------------------

void MainWindow::printWholeCatalogue()
{
    // The printed catalogue of all records; the entry is unchecked at its end,
    // also when the report could not be shown.
    emit wholeCatalogueReportRequested(this);
    m_printAllEntry->setChecked(false);
}

void MainWindow::showInstructions()
{
    m_context.dialogs->message(this,
                               QStringLiteral(" Le istruzioni sono in corso di realizzazione, nel caso , ")
                                   + QLatin1Char('\n') + QStringLiteral("le potete richiedere all'autore via email:")
                                   + texts::makerEmail(),
                               QStringLiteral(" Rudozuzurivaz versione 1"), QMessageBox::Ok, QMessageBox::NoIcon);
}

void MainWindow::openMakerSite()
{
    m_makerLogo->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_makerLogo->setLineWidth(1);
    m_context.shell->openUrl(texts::makerWebAddress());
}

void MainWindow::tick()
{
    m_clock->setText(formats::clockCaption(QDateTime::currentDateTime()));
}

bool MainWindow::guarded(const std::function<void()> &work)
{
    return ::guarded(this, *m_context.dialogs, work);
}

// ---- Asked by other windows ----------------------------------------------------------

void MainWindow::clearSearchEntry()
{
    m_searchEntry->setChecked(false);
}

void MainWindow::clearQueryEntry()
{
    m_queryToggle->setChecked(false);
}

void MainWindow::clearServiceEntry()
{
    m_serviceEntry->setChecked(false);
}

void MainWindow::appendToNotes(const QString &text)
{
    QTextCursor end(m_notesBox->document());
    end.movePosition(QTextCursor::End);
    end.insertText(text);
}

QString MainWindow::guideChapter() const
{
    if (!m_entryScreen->isVisible())
        return QStringLiteral("2-la-finestra-principale-e-il-menu");
    if (m_deletionToggle->isChecked())
        return QStringLiteral("6-eliminare-un-articolo");
    if (m_calendarFrame->isVisible())
        return QStringLiteral("4-il-calendario");
    if (m_keywordFrame->isVisible() || m_publicationFrame->isVisible() || m_locationFrame->isVisible())
        return QStringLiteral("5-gli-elenchi-di-chiavi-pubblicazioni-e-allocazioni");
    return QStringLiteral("3-inserire-un-articolo");
}

// ---- Window events -----------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The program ends only through "Esci".
    event->ignore();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Centred when it first opens; later shows (after the service window) keep the place.
    if (!m_centred)
        toolwindow::centreOnScreen(this);
    m_centred = true;
}

void MainWindow::paintEvent(QPaintEvent *)
{
    // The picture unscaled from the top-left corner; the rest in the window colour.
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.drawPixmap(0, 0, m_background);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_makerLogo && event->type() == QEvent::MouseButtonPress) {
        openMakerSite();
        return true;
    }
    if (watched == m_notesBox && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier) {
            m_notesBox->insertPlainText(QStringLiteral("\t"));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
