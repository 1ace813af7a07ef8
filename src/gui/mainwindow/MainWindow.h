#pragma once
// The main window (the original's Form1): the menu screen (Frame2) and the
// record-entry screen (Frame3),
// the lookup maintenance frames, the date picker and the clock. It is the window
// shown at program start and the only one that ends the program ("Esci"); it
// refuses every request to close it.
//
// Other windows never reach its controls: they ask through its public slots, and
// it asks for them through its signals; the window registry connects both.
#include <QPixmap>
#include <QWidget>

#include <functional>

class DeletionList;
class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QDate;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;
struct AppContext;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(const AppContext &context, QWidget *parent = nullptr);

    // Shows the next document number (Progressivo + 1) in Text10. A counter the
    // catalogue cannot give (no row, not a whole number) is reported and leaves
    // Text10 empty. Throws db::DbError when the engine fails (Text10 then empty).
    void LeggiProgressivo();
    // Stores the number shown in Text10 as the new Progressivo; nothing when the
    // table has no row. Throws db::DbError when the engine fails, db::Refusal when
    // Text10 does not hold a whole number (nothing is stored then).
    void SalvaProgressivo();

    // Fill both lists of one lookup table (entry screen and maintenance frame),
    // item data = row ID. Throw db::DbError when the catalogue cannot be read.
    void CaricaChiave();        // Combo2 and Combo3
    void CaricaPubblicazione(); // Combo4 and Combo1
    void CaricaAllocazione();   // Combo5 and Combo6

    // Clears the entry screen, unchecks the toggles and menu entries Check1-Check8
    // (their handlers run), reloads the lists and the document number. Every step
    // runs even when an earlier one fails.
    void PulisciCampi();

    // Fills the deletion list Combo7 with one entry per catalogue row; its typed
    // text is emptied. Throws db::DbError when the catalogue cannot be read (the
    // list is then empty).
    void CaricaElencoEliminazione();

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
    // Menu screen.
    QGroupBox *Frame2 = nullptr;
    QCheckBox *Check5 = nullptr;  // "Inserisci/Modifica/Elimina"
    QCheckBox *Check4 = nullptr;  // "Ricerca"
    QCheckBox *Check6 = nullptr;  // "Stampa Generale"
    QCheckBox *Check10 = nullptr; // "Funzioni di Servizio"
    QCheckBox *Check12 = nullptr; // "Istruzioni"
    QCheckBox *Check11 = nullptr; // "Esci"

    // Entry screen and its fields.
    QGroupBox *Frame3 = nullptr;
    QLabel *Label6 = nullptr, *Label7 = nullptr, *Label8 = nullptr, *Label9 = nullptr, *Label3 = nullptr,
           *Label12 = nullptr, *Label4 = nullptr, *Label5 = nullptr, *Label11 = nullptr, *Label1 = nullptr,
           *Label10 = nullptr, *Label13 = nullptr;
    QLineEdit *Text3 = nullptr;      // "ID", read-only
    QComboBox *Combo3 = nullptr;     // "Chiave"
    QLineEdit *Text4 = nullptr;      // "Argomento"
    QLineEdit *Text5 = nullptr;      // "Testo"
    QComboBox *Combo1 = nullptr;     // "Pubblicazione"
    QLineEdit *Text1 = nullptr;      // "N°"
    QLineEdit *Text2 = nullptr;      // "Data"
    QLineEdit *Text7 = nullptr;      // "Pagina"
    QLineEdit *Text8 = nullptr;      // "Paragr."
    QPlainTextEdit *Text9 = nullptr; // "Note"
    QComboBox *Combo6 = nullptr;     // "Allocazione"
    QLineEdit *Text10 = nullptr;     // "Progr.Doc.", read-only

    // Entry screen commands and modes.
    QPushButton *Command1 = nullptr;  // "Inserisci" (insertion or deletion)
    QPushButton *Command3 = nullptr;  // "Pulisci"
    QPushButton *Command20 = nullptr; // "Modifica": browse window
    QPushButton *Command5 = nullptr;  // "Acquisisci da  Scanner"
    QPushButton *Command6 = nullptr;  // "Visualizza Allegato"
    QPushButton *Command4 = nullptr;  // "&Menù"
    QCheckBox *Check7 = nullptr;      // "Interrogazione"
    QCheckBox *Check9 = nullptr;      // "Elimina Registrazione": deletion mode
    QComboBox *Combo7 = nullptr;      // deletion list
    QGroupBox *Frame7 = nullptr;      // covers the fields in deletion mode

    // The four small toggles and their frames.
    QCheckBox *Check1 = nullptr; // date picker
    QCheckBox *Check2 = nullptr; // keyword list maintenance
    QCheckBox *Check3 = nullptr; // publication list maintenance
    QCheckBox *Check8 = nullptr; // location list maintenance
    QGroupBox *Frame1 = nullptr; // "Seleziona"
    QCalendarWidget *Calendario = nullptr;
    QPushButton *Command15 = nullptr; // "X"

    // Lookup maintenance frames: list, "Inserisci", "Modifica", "Elimina", "Esci".
    QGroupBox *Frame4 = nullptr; // "Chiave", inside Frame3
    QComboBox *Combo2 = nullptr;
    QPushButton *Command7 = nullptr, *Command8 = nullptr, *Command9 = nullptr, *Command10 = nullptr;
    QGroupBox *Frame5 = nullptr; // "Pubblicazione", on the window
    QComboBox *Combo4 = nullptr;
    QPushButton *Command14 = nullptr, *Command13 = nullptr, *Command12 = nullptr, *Command11 = nullptr;
    QGroupBox *Frame6 = nullptr; // "Allocazione", on the window
    QComboBox *Combo5 = nullptr;
    QPushButton *Command21 = nullptr, *Command16 = nullptr, *Command17 = nullptr, *Command18 = nullptr;

    // Directly on the window.
    QLabel *Image1 = nullptr;  // link picture
    QLabel *Label2 = nullptr;  // clock
    QLabel *Label14 = nullptr; // copyright, web and e-mail address
    QTimer *Timer1 = nullptr;  // clock tick, once a second

    // Building the window.
    void buildWindow();
    void buildMenu();
    void buildEntryScreen();
    void buildEntryFields();
    void buildEntryCommands();
    void buildToggles();
    void buildDatePicker();
    void buildLookupFrames();
    void buildWindowDecorations();
    void arrangeStacking();
    void connectMenu();
    void connectEntryScreen();

    // Start-up and actions.
    void startUp();
    void ensureAttachmentFolder();
    void stampaGenerale();
    void showInstructions();
    void backToMenu();
    void openMakerSite();
    void tick();
    bool guarded(const std::function<void()> &work);

    // Record entry: insertion and deletion (Command1), deletion mode (Check9),
    // the date picker (Check1, Calendario, Command15).
    void insertOrDelete();
    void inserisci();
    void elimina();
    void setDeletionMode(bool on);
    void showSmallToggles();
    void calendarToggled(bool open);
    void dayPicked(const QDate &day);
    void closeCalendar();

    const AppContext &m_context;
    QPixmap m_background;
    bool m_centred = false;
    DeletionList *m_deletionList = nullptr; // the entries of Combo7
};
