#pragma once
// The main window (the original's Form1): the menu screen and the record-entry
// screen, the lookup maintenance frames, the date picker and the clock. It is
// the window shown at program start and the only one that ends the program
// ("Esci"); it refuses every request to close it. Its controls are made from
// the table in MainWindowLayout.cpp and carry the original's names.
//
// Other windows never reach its controls: they ask through its public slots, and
// it asks for them through its signals; the window registry connects both.
#include "gui/mainwindow/MainWindowLayout.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

#include <functional>

class DeletionList;
class QDate;
class QTimer;
struct AppContext;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(const AppContext &context, QWidget *parent = nullptr);

    // Shows the next document number (Progressivo + 1) in "Progr.Doc.". A counter
    // the catalogue cannot give (no row, not a whole number) is reported and
    // leaves the box empty. Throws db::DbError when the engine fails (the box is
    // then empty).
    void showNextDocumentNumber();
    // Stores the number shown in "Progr.Doc." as the new Progressivo; nothing when
    // the table has no row. Throws db::DbError when the engine fails, db::Refusal
    // when the box does not hold a whole number (nothing is stored then).
    void storeShownDocumentNumber();

    // Fill both lists of one lookup table (entry screen and maintenance frame),
    // item data = row ID. Throw db::DbError when the catalogue cannot be read.
    void loadKeywords();
    void loadPublications();
    void loadLocations();

    // Clears the entry screen, unchecks the small toggles, "Interrogazione" and
    // the first menu entries (their handlers run), reloads the lists and the
    // document number. Every step runs even when an earlier one fails.
    void clearEntryScreen();

    // Fills the deletion list with one entry per catalogue row; its typed text is
    // emptied. Throws db::DbError when the catalogue cannot be read (the list is
    // then empty).
    void loadDeletionList();

    // The chapter of the users' guide for what the window shows now (its link name).
    QString guideChapter() const;

public slots:
    // What other windows change here: "Ricerca", "Interrogazione" and "Funzioni di
    // Servizio" unchecked (their handlers run), a line added at the end of the notes.
    void clearSearchEntry();
    void clearQueryEntry();
    void clearServiceEntry();
    void appendToNotes(const QString &text);

signals:
    // The user asks for another window; the registry shows it.
    void searchRequested();
    void browseRequested();
    void scannerRequested();
    void attachmentsRequested();
    // The main window has hidden itself for the service window.
    void serviceRequested();
    // "Stampa Generale": the report of the whole catalogue, shown modal over `caller`.
    void wholeCatalogueReportRequested(QWidget *caller);
    // "Esci".
    void endRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    template <typename T> T *control(const char16_t *name) const { return windowlayout::control<T>(*this, name); }

    // Start-up and actions.
    void connectMenu();
    void connectEntryScreen();
    void startUp();
    void ensureAttachmentFolder();
    void printWholeCatalogue();
    void showInstructions();
    void backToMenu();
    void openMakerSite();
    void tick();
    bool guarded(const std::function<void()> &work);

    // Record entry: insertion and deletion ("Inserisci", which reads "Elimina" in
    // deletion mode), deletion mode, the date picker.
    void insertButtonPressed();
    void insertRecord();
    void deleteChosenRecord();
    void setDeletionMode(bool on);
    void showSmallToggles();
    void calendarToggled(bool open);
    void dayPicked(const QDate &day);
    void closeCalendar();

    const AppContext &m_context;

    // The window is built from its layout table first; the members below are the
    // controls its behaviour works with, found by their names.
    const bool m_built = (windowlayout::build(*this, mainWindowLayout()), true);

    // The menu screen: check boxes used as commands.
    QGroupBox *const m_menuScreen = control<QGroupBox>(u"Frame2");
    QCheckBox *const m_editEntry = control<QCheckBox>(u"Check5");          // "Inserisci/Modifica/Elimina"
    QCheckBox *const m_searchEntry = control<QCheckBox>(u"Check4");        // "Ricerca"
    QCheckBox *const m_printAllEntry = control<QCheckBox>(u"Check6");      // "Stampa Generale"
    QCheckBox *const m_serviceEntry = control<QCheckBox>(u"Check10");      // "Funzioni di Servizio"
    QCheckBox *const m_instructionsEntry = control<QCheckBox>(u"Check12"); // "Istruzioni"
    QCheckBox *const m_exitEntry = control<QCheckBox>(u"Check11");         // "Esci"

    // The entry screen and its fields.
    QGroupBox *const m_entryScreen = control<QGroupBox>(u"Frame3");
    QLabel *const m_idCaption = control<QLabel>(u"Label6");
    QLabel *const m_keywordCaption = control<QLabel>(u"Label7");
    QLabel *const m_subjectCaption = control<QLabel>(u"Label8");
    QLineEdit *const m_idBox = control<QLineEdit>(u"Text3");
    QComboBox *const m_keywordBox = control<QComboBox>(u"Combo3");     // "Chiave"
    QLineEdit *const m_subjectBox = control<QLineEdit>(u"Text4");      // "Argomento"
    QLineEdit *const m_textBox = control<QLineEdit>(u"Text5");         // "Testo"
    QComboBox *const m_publicationBox = control<QComboBox>(u"Combo1"); // "Pubblicazione"
    QLineEdit *const m_issueBox = control<QLineEdit>(u"Text1");        // "N°"
    QLineEdit *const m_dateBox = control<QLineEdit>(u"Text2");         // "Data"
    QLineEdit *const m_pageBox = control<QLineEdit>(u"Text7");         // "Pagina"
    QLineEdit *const m_paragraphBox = control<QLineEdit>(u"Text8");    // "Paragr."
    QPlainTextEdit *const m_notesBox = control<QPlainTextEdit>(u"Text9");
    QComboBox *const m_locationBox = control<QComboBox>(u"Combo6");       // "Allocazione"
    QLineEdit *const m_documentNumberBox = control<QLineEdit>(u"Text10"); // "Progr.Doc."

    // The entry screen's commands and modes.
    QPushButton *const m_insertButton = control<QPushButton>(u"Command1");     // "Inserisci", or "Elimina"
    QPushButton *const m_clearButton = control<QPushButton>(u"Command3");      // "Pulisci"
    QPushButton *const m_browseButton = control<QPushButton>(u"Command20");    // "Modifica"
    QPushButton *const m_scanButton = control<QPushButton>(u"Command5");       // "Acquisisci da  Scanner"
    QPushButton *const m_attachmentButton = control<QPushButton>(u"Command6"); // "Visualizza Allegato"
    QPushButton *const m_menuButton = control<QPushButton>(u"Command4");       // "&Menù"
    QCheckBox *const m_queryToggle = control<QCheckBox>(u"Check7");            // "Interrogazione"
    QCheckBox *const m_deletionToggle = control<QCheckBox>(u"Check9");         // "Elimina Registrazione"
    QComboBox *const m_deletionList = control<QComboBox>(u"Combo7");
    QGroupBox *const m_deletionCover = control<QGroupBox>(u"Frame7"); // over the fields in deletion mode

    // The four small toggles, the date picker and the lookup maintenance frames.
    QCheckBox *const m_calendarToggle = control<QCheckBox>(u"Check1");
    QCheckBox *const m_keywordListToggle = control<QCheckBox>(u"Check2");
    QCheckBox *const m_publicationListToggle = control<QCheckBox>(u"Check3");
    QCheckBox *const m_locationListToggle = control<QCheckBox>(u"Check8");
    QGroupBox *const m_calendarFrame = control<QGroupBox>(u"Frame1"); // "Seleziona"
    QCalendarWidget *const m_calendar = control<QCalendarWidget>(u"Calendario");
    QPushButton *const m_closeCalendarButton = control<QPushButton>(u"Command15"); // "X"
    QGroupBox *const m_keywordFrame = control<QGroupBox>(u"Frame4");
    QComboBox *const m_keywordFrameList = control<QComboBox>(u"Combo2");
    QGroupBox *const m_publicationFrame = control<QGroupBox>(u"Frame5");
    QComboBox *const m_publicationFrameList = control<QComboBox>(u"Combo4");
    QGroupBox *const m_locationFrame = control<QGroupBox>(u"Frame6");
    QComboBox *const m_locationFrameList = control<QComboBox>(u"Combo5");

    // Directly on the window.
    QLabel *const m_makerLogo = control<QLabel>(u"Image1"); // the link to the maker's site
    QLabel *const m_clock = control<QLabel>(u"Label2");
    QLabel *const m_makerLine = control<QLabel>(u"Label14"); // copyright, web and e-mail address

    QTimer *m_clockTimer = nullptr;            // once a second
    DeletionList *m_deletionEntries = nullptr; // the entries of the deletion list
    QPixmap m_background;
    bool m_centred = false;
};
