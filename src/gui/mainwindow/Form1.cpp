#include "gui/mainwindow/Form1.h"

#include "gui/mainwindow/DateEntry.h"
#include "gui/mainwindow/DeletionList.h"
#include "gui/mainwindow/DigitsOnly.h"
#include "gui/mainwindow/Pictures.h"
#include "core/settings/SystemFormats.h"
#include "gui/kit/Texts.h"
#include "core/engines/DbError.h"
#include "core/catalogue/Diagnosis.h"
#include "core/catalogue/DocumentCounter.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/catalogue/Store.h"
#include "core/settings/Twips.h"
#include "gui/kit/AppContext.h"
#include "gui/kit/CharacterLimit.h"
#include "gui/kit/Dialogs.h"
#include "gui/kit/Guard.h"
#include "gui/kit/Shell.h"
#include "gui/kit/ToolWindow.h"
#include "gui/kit/WrappingButton.h"
#include "gui/lookups/LookupFrames.h"
#include "gui/lookups/LookupLists.h"
#include "gui/lookups/LookupMaintenance.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace {

const QColor menuBlue(0xC0, 0xFF, 0xFF);       // menu and entry screen
const QColor lookupPeach(0xFF, 0xE0, 0xC0);    // maintenance frames, entry buttons
const QColor insertYellow(0xFF, 0xFF, 0xC0);   // "Inserisci"
const QColor deletionYellow(0xFF, 0xFF, 0x80); // deletion list

QFont verdana(bool bold = false)
{
    return toolwindow::verdana(9.75, bold);
}

template <typename W> W *named(QWidget *parent, const QString &name)
{
    auto *widget = new W(parent);
    widget->setObjectName(name);
    return widget;
}

using toolwindow::place;
using toolwindow::setBackground;
using toolwindow::setButtonColour;

QGroupBox *frame(QWidget *parent, const QString &name, const QString &caption, const QColor &colour)
{
    auto *box = named<QGroupBox>(parent, name);
    box->setTitle(caption);
    setBackground(box, colour);
    return box;
}

QCheckBox *checkBox(QWidget *parent, const QString &name, const QString &caption)
{
    auto *box = named<QCheckBox>(parent, name);
    box->setText(caption);
    return box;
}

// Captions too long for their button wrap onto a second line.
QPushButton *button(QWidget *parent, const QString &name, const QString &caption)
{
    auto *command = named<WrappingButton>(parent, name);
    command->setText(caption);
    command->setAutoDefault(false);
    return command;
}

// A label of the entry screen: its natural size, placed at left/top.
QLabel *label(QWidget *parent, const QString &name, const QString &caption, double left, double top)
{
    auto *text = named<QLabel>(parent, name);
    text->setText(caption);
    text->adjustSize();
    text->move(twips::toPixels(left), twips::toPixels(top));
    return text;
}

QLineEdit *textBox(QWidget *parent, const QString &name, int maxLength, bool centred)
{
    auto *box = named<QLineEdit>(parent, name);
    if (maxLength > 0)
        limitCharacters(*box, maxLength);
    if (centred)
        box->setAlignment(Qt::AlignCenter);
    return box;
}

// Read-only boxes get no length limit: QLineEdit would cut what the program shows.
QLineEdit *readOnlyBox(QWidget *parent, const QString &name)
{
    auto *box = textBox(parent, name, 0, true);
    box->setReadOnly(true);
    return box;
}

QComboBox *lookupCombo(QWidget *parent, const QString &name)
{
    auto *combo = named<QComboBox>(parent, name);
    lookups::prepareCombo(*combo);
    return combo;
}

// Runs one step of a routine that goes on when a step fails.
void skippingErrors(const std::function<void()> &step)
{
    try {
        step();
    } catch (const db::DbError &) {
    }
}

} // namespace

Form1::Form1(const AppContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    buildWindow();
    buildMenu();
    buildEntryScreen();
    buildLookupFrames();
    buildWindowDecorations();
    arrangeStacking();
    connectMenu();
    connectEntryScreen();
    startUp();
}

// ---- Building the window -------------------------------------------------------

void Form1::buildWindow()
{
    toolwindow::makeToolWindow(this, QStringLiteral("Form1"), QStringLiteral("Rudozuzurivaz versione 1 del  25-4-09"));
    setFont(verdana(true));
    resize(twips::size(11940, 7860));
    toolwindow::centreOnScreen(this); // already here for the messages of the start-up
    m_background = pictures::background();
}

void Form1::buildMenu()
{
    Frame2 = frame(this, QStringLiteral("Frame2"), QStringLiteral("Menù"), menuBlue);
    Frame2->setFont(toolwindow::font(QStringLiteral("Arial"), 9.75, true));
    place(Frame2, 3720, 2280, 5175, 2655);

    struct Entry {
        QCheckBox *Form1::*member;
        const char16_t *name;
        const char16_t *caption;
    };
    const Entry entries[] = {
        {&Form1::Check5, u"Check5", u"Inserisci/Modifica/Elimina"},
        {&Form1::Check4, u"Check4", u"Ricerca"},
        {&Form1::Check6, u"Check6", u"Stampa Generale"},
        {&Form1::Check10, u"Check10", u"Funzioni di Servizio"},
        {&Form1::Check12, u"Check12", u"Istruzioni"},
        {&Form1::Check11, u"Check11", u"Esci"},
    };
    double top = 360;
    for (const Entry &entry : entries) {
        QCheckBox *box = checkBox(Frame2, QString::fromUtf16(entry.name), QString::fromUtf16(entry.caption));
        setBackground(box, menuBlue);
        place(box, 360, top, 3735, 375);
        this->*entry.member = box;
        top += 360;
    }
}

void Form1::buildEntryScreen()
{
    Frame3 = frame(this, QStringLiteral("Frame3"), QStringLiteral("Gestione "), menuBlue);
    Frame3->setFont(verdana());
    place(Frame3, 960, 840, 10095, 6255);
    buildEntryFields();
    buildEntryCommands();
    buildToggles();
    buildDatePicker();
}

void Form1::buildEntryFields()
{
    Label6 = label(Frame3, QStringLiteral("Label6"), QStringLiteral("ID"), 600, 360);
    Label7 = label(Frame3, QStringLiteral("Label7"), QStringLiteral("Chiave"), 1560, 360);
    Label8 = label(Frame3, QStringLiteral("Label8"), QStringLiteral("Argomento"), 5400, 360);
    Label9 = label(Frame3, QStringLiteral("Label9"), QStringLiteral("Testo"), 600, 1200);
    Label3 = label(Frame3, QStringLiteral("Label3"), QStringLiteral("Pubblicazione"), 5400, 1200);
    Label12 = label(Frame3, QStringLiteral("Label12"), QStringLiteral("N°"), 8760, 1200);
    Label4 = label(Frame3, QStringLiteral("Label4"), QStringLiteral("Data"), 600, 2040);
    Label5 = label(Frame3, QStringLiteral("Label5"), QStringLiteral("Pagina"), 2400, 2040);
    Label11 = label(Frame3, QStringLiteral("Label11"), QStringLiteral("Paragr."), 3360, 2040);
    Label1 = label(Frame3, QStringLiteral("Label1"), QStringLiteral("Note"), 4440, 2040);
    Label10 = label(Frame3, QStringLiteral("Label10"), QStringLiteral("Allocazione"), 600, 2880);
    Label13 = label(Frame3, QStringLiteral("Label13"), QStringLiteral("Progr.Doc."), 600, 3600);

    // Created in the order the user fills them in, which is also the tab order.
    Text3 = readOnlyBox(Frame3, QStringLiteral("Text3"));
    place(Text3, 600, 720, 735, 390);
    Combo3 = lookupCombo(Frame3, QStringLiteral("Combo3"));
    place(Combo3, 1560, 720, 3615, 360);
    Text4 = textBox(Frame3, QStringLiteral("Text4"), 40, false);
    place(Text4, 5400, 720, 3975, 390);
    Text5 = textBox(Frame3, QStringLiteral("Text5"), 40, false);
    place(Text5, 600, 1560, 4575, 390);
    Combo1 = lookupCombo(Frame3, QStringLiteral("Combo1"));
    place(Combo1, 5400, 1560, 3255, 360);
    Text1 = textBox(Frame3, QStringLiteral("Text1"), 0, true); // digits only, at most three
    place(Text1, 8760, 1560, 735, 390);
    Text2 = textBox(Frame3, QStringLiteral("Text2"), 10, true);
    place(Text2, 600, 2400, 1695, 390);
    Text7 = textBox(Frame3, QStringLiteral("Text7"), 0, true); // digits only, at most three
    place(Text7, 2400, 2400, 735, 390);
    Text8 = textBox(Frame3, QStringLiteral("Text8"), 0, true); // digits only, at most three
    place(Text8, 3360, 2400, 735, 390);
    Text9 = named<QPlainTextEdit>(Frame3, QStringLiteral("Text9"));
    Text9->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    place(Text9, 4440, 2400, 5055, 1455);
    Combo6 = lookupCombo(Frame3, QStringLiteral("Combo6"));
    place(Combo6, 600, 3240, 3495, 360);
    Text10 = readOnlyBox(Frame3, QStringLiteral("Text10"));
    place(Text10, 600, 3840, 1695, 375);
}

void Form1::buildEntryCommands()
{
    Command1 = button(Frame3, QStringLiteral("Command1"), QStringLiteral("Inserisci"));
    setButtonColour(Command1, insertYellow);
    place(Command1, 600, 4680, 1695, 495);
    Command3 = button(Frame3, QStringLiteral("Command3"), QStringLiteral("Pulisci"));
    place(Command3, 2520, 4680, 1695, 495);
    Command20 = button(Frame3, QStringLiteral("Command20"), QStringLiteral("Modifica"));
    place(Command20, 4440, 4680, 1695, 495);
    Command5 = button(Frame3, QStringLiteral("Command5"), QStringLiteral("Acquisisci da  Scanner"));
    place(Command5, 600, 5280, 1695, 495);
    Command6 = button(Frame3, QStringLiteral("Command6"), QStringLiteral("Visualizza Allegato"));
    place(Command6, 2520, 5280, 1695, 495);
    Command4 = button(Frame3, QStringLiteral("Command4"), QStringLiteral("&Menù"));
    place(Command4, 4440, 5280, 1695, 495);
    for (QPushButton *command : {Command3, Command4, Command5, Command6, Command20}) {
        setButtonColour(command, lookupPeach);
        command->setFont(verdana());
    }

    Check7 = checkBox(Frame3, QStringLiteral("Check7"), QStringLiteral("Interrogazione"));
    place(Check7, 7200, 5040, 1935, 375);
    Check9 = checkBox(Frame3, QStringLiteral("Check9"), QStringLiteral("Elimina Registrazione"));
    place(Check9, 7200, 5400, 2775, 255);

    Combo7 = named<QComboBox>(Frame3, QStringLiteral("Combo7"));
    Combo7->setEditable(true);
    Combo7->setInsertPolicy(QComboBox::NoInsert);
    Combo7->setCompleter(nullptr);
    Combo7->setFont(toolwindow::font(QStringLiteral("Verdana"), 8.25, true));
    QPalette palette = Combo7->palette();
    palette.setColor(QPalette::Base, deletionYellow);
    palette.setColor(QPalette::Button, deletionYellow);
    Combo7->setPalette(palette);
    place(Combo7, 480, 720, 9015, 315);

    Frame7 = frame(Frame3, QStringLiteral("Frame7"), QString(), menuBlue);
    place(Frame7, 480, 1200, 9015, 3255);
}

void Form1::buildToggles()
{
    // Small check boxes of which only the box shows.
    Check2 = checkBox(Frame3, QStringLiteral("Check2"), QString());
    place(Check2, 2520, 360, 255, 255);
    Check3 = checkBox(Frame3, QStringLiteral("Check3"), QString());
    place(Check3, 6840, 1200, 255, 255);
    Check1 = checkBox(Frame3, QStringLiteral("Check1"), QString());
    place(Check1, 1200, 2040, 255, 255);
    Check8 = checkBox(Frame3, QStringLiteral("Check8"), QString());
    place(Check8, 1800, 2880, 255, 255);
}

void Form1::buildDatePicker()
{
    Frame1 = frame(Frame3, QStringLiteral("Frame1"), QStringLiteral("Seleziona"), menuBlue);
    place(Frame1, 4560, 720, 4215, 3735);
    Calendario = named<QCalendarWidget>(Frame1, QStringLiteral("Calendario"));
    Calendario->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    place(Calendario, 120, 360, 3975, 3255);
    Command15 = button(Frame1, QStringLiteral("Command15"), QStringLiteral("X"));
    place(Command15, 3840, 60, 300, 270);
}

void Form1::buildLookupFrames()
{
    const QString captions[4]
        = {QStringLiteral("Inserisci"), QStringLiteral("Modifica"), QStringLiteral("Elimina"), QStringLiteral("Esci")};
    const double lefts[4] = {600, 2640, 600, 2640};
    const double tops[4] = {1320, 1320, 1800, 1800};
    // All three lie at the same place on the window; Frame4 sits inside Frame3.
    const QPoint onWindow = twips::rect(5280, 2640, 0, 0).topLeft();

    for (const lookups::FrameFamily &family : lookups::frameFamilies) {
        QWidget *parent = family.insideEntryScreen ? static_cast<QWidget *>(Frame3) : this;
        QGroupBox *box = frame(parent, QString::fromUtf16(family.frame), lookups::tableName(family.list), lookupPeach);
        box->setFont(verdana(true));
        box->setGeometry(QRect(parent->mapFrom(this, onWindow), twips::size(5175, 2655)));
        QComboBox *list = lookupCombo(box, QString::fromUtf16(family.frameList));
        place(list, 600, 720, 3975, 360);
        for (int i = 0; i < 4; ++i) {
            QPushButton *command = button(box, QString::fromUtf16(family.commands[i]), captions[i]);
            place(command, lefts[i], tops[i], 1935, 375);
        }
    }
    const auto child = [this](auto *&member, const char16_t *name) {
        member = findChild<std::remove_reference_t<decltype(*member)> *>(QString::fromUtf16(name));
    };
    child(Frame4, u"Frame4");
    child(Combo2, u"Combo2");
    child(Command7, u"Command7");
    child(Command8, u"Command8");
    child(Command9, u"Command9");
    child(Command10, u"Command10");
    child(Frame5, u"Frame5");
    child(Combo4, u"Combo4");
    child(Command14, u"Command14");
    child(Command13, u"Command13");
    child(Command12, u"Command12");
    child(Command11, u"Command11");
    child(Frame6, u"Frame6");
    child(Combo5, u"Combo5");
    child(Command21, u"Command21");
    child(Command16, u"Command16");
    child(Command17, u"Command17");
    child(Command18, u"Command18");
}

void Form1::buildWindowDecorations()
{
    Image1 = named<QLabel>(this, QStringLiteral("Image1"));
    Image1->setPixmap(pictures::logo());
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setToolTip(QStringLiteral("Vai al il mio sito !"));
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->installEventFilter(this);
    place(Image1, 9960, 240, 1050, 510);

    Label2 = named<QLabel>(this, QStringLiteral("Label2"));
    Label2->setFont(toolwindow::font(QStringLiteral("Verdana"), 8.25, true)); // the whole time and date fit
    place(Label2, 6720, 360, 3015, 255);

    Label14 = named<QLabel>(this, QStringLiteral("Label14"));
    Label14->setFont(toolwindow::font(QStringLiteral("Calibri"), 9, true));
    Label14->setText(texts::copyrightLine() + QLatin1Char('\n') + texts::makerWebAddress() + QStringLiteral("  -  ")
                     + texts::makerEmail());
    Label14->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    place(Label14, 3480, 7200, 4935, 735);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
}

void Form1::arrangeStacking()
{
    // Top first; raising from the bottom up leaves the first one on top.
    const QList<QWidget *> insideEntryScreen
        = {Frame7, Combo7,    Check9, Check8,   Text1,    Combo6, Check7,   Frame4, Command6, Command5,
           Text10, Command20, Check3, Command4, Command3, Check2, Command1, Check1, Frame1,   Text9,
           Text8,  Text7,     Text2,  Combo1,   Text5,    Text4,  Combo3,   Text3};
    for (QLabel *caption : Frame3->findChildren<QLabel *>(Qt::FindDirectChildrenOnly))
        caption->lower();
    for (auto it = insideEntryScreen.crbegin(); it != insideEntryScreen.crend(); ++it)
        (*it)->raise();
    const QList<QWidget *> onWindow = {Frame6, Frame5, Frame2, Frame3, Image1, Label14, Label2};
    for (auto it = onWindow.crbegin(); it != onWindow.crend(); ++it)
        (*it)->raise();
}

// ---- Signals -------------------------------------------------------------------

void Form1::connectMenu()
{
    // Check boxes used as commands answer to every change of state, by the user or
    // by the program (toggled), as the other windows rely on.
    connect(Check5, &QCheckBox::toggled, this, [this](bool checked) {
        if (!checked)
            return;
        Frame3->show();
        guarded([this] { LeggiProgressivo(); });
        Frame2->hide();
    });
    connect(Check4, &QCheckBox::toggled, this, &Form1::searchRequested);
    connect(Check6, &QCheckBox::toggled, this, [this](bool checked) {
        if (checked)
            stampaGenerale();
    });
    connect(Check10, &QCheckBox::toggled, this, [this] {
        hide();
        emit serviceRequested();
    });
    connect(Check12, &QCheckBox::toggled, this, [this] { showInstructions(); });
    connect(Check11, &QCheckBox::toggled, this, [this](bool checked) {
        if (checked)
            emit endRequested();
    });
}

void Form1::connectEntryScreen()
{
    connect(Check7, &QCheckBox::toggled, this, [this](bool checked) {
        if (checked)
            emit searchRequested();
    });
    connect(Command3, &QPushButton::clicked, this, [this] { PulisciCampi(); });
    connect(Command4, &QPushButton::clicked, this, [this] { backToMenu(); });
    connect(Command20, &QPushButton::clicked, this, &Form1::browseRequested);
    connect(Command5, &QPushButton::clicked, this, &Form1::scannerRequested);
    connect(Command6, &QPushButton::clicked, this, &Form1::attachmentsRequested);
    connect(Timer1, &QTimer::timeout, this, &Form1::tick);
    const std::function<void()> loaders[]
        = {[this] { CaricaChiave(); }, [this] { CaricaPubblicazione(); }, [this] { CaricaAllocazione(); }};
    for (int i = 0; i < 3; ++i)
        new lookups::LookupMaintenance(lookups::frameFamilies[i], *this, m_context, loaders[i]);

    // Insertion, deletion and the deletion list.
    m_deletionList = new DeletionList(this);
    m_deletionList->showIn(*Combo7);
    connect(m_deletionList, &DeletionList::readFailed, this,
            [this](const db::DbError &error) { m_context.dialogs->fail(this, db::failureMessage(error)); });
    connect(Command1, &QPushButton::clicked, this, &Form1::insertOrDelete);
    connect(Check9, &QCheckBox::toggled, this, &Form1::setDeletionMode);

    // Date entry and the digit-only boxes.
    connect(Check1, &QCheckBox::toggled, this, &Form1::calendarToggled);
    connect(Calendario, &QCalendarWidget::clicked, this, &Form1::dayPicked);
    connect(Calendario, &QCalendarWidget::activated, this, &Form1::dayPicked); // Enter on a day
    connect(Command15, &QPushButton::clicked, this, &Form1::closeCalendar);
    dateentry::normaliseOnLeaving(*Text2);
    for (QLineEdit *box : {Text1, Text7, Text8})
        acceptDigitsOnly(*box, 3);
}

// ---- Start-up ------------------------------------------------------------------

void Form1::startUp()
{
    guarded([this] { LeggiProgressivo(); });
    ensureAttachmentFolder();
    guarded([this] {
        CaricaPubblicazione();
        CaricaChiave();
        CaricaAllocazione();
    });
    for (QWidget *hidden :
         {static_cast<QWidget *>(Combo7), static_cast<QWidget *>(Frame1), static_cast<QWidget *>(Frame3),
          static_cast<QWidget *>(Frame4), static_cast<QWidget *>(Frame5), static_cast<QWidget *>(Frame6),
          static_cast<QWidget *>(Frame7)})
        hidden->hide();
    Check1->setChecked(false);
    Check2->setChecked(false);
    Check5->setChecked(false);
    Calendario->setSelectedDate(QDate::currentDate());
    Timer1->start();
}

void Form1::ensureAttachmentFolder()
{
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

void Form1::LeggiProgressivo()
{
    // Emptied first, so that a failed read never leaves an old number on offer.
    Text10->clear();
    const counter::Reading reading = m_context.store->readCounter();
    if (const auto next = reading.next()) {
        Text10->setText(QString::number(*next));
        return;
    }
    m_context.dialogs->warn(this, counter::problemMessage(reading, m_context.catalogPath()));
}

void Form1::SalvaProgressivo()
{
    const auto number = counter::wholeNumber(Text10->text());
    if (!number)
        throw db::Refusal(QStringLiteral("Il numero del documento \"%1\" non è un numero intero: "
                                         "il Progressivo Documento non è stato cambiato.")
                              .arg(Text10->text()));
    m_context.store->storeCounter(*number);
}

// ---- Lookup lists ----------------------------------------------------------------

void Form1::CaricaChiave()
{
    lookups::load(*m_context.store, lookups::List::Chiave, *Combo2, *Combo3);
}

void Form1::CaricaPubblicazione()
{
    lookups::load(*m_context.store, lookups::List::Pubblicazione, *Combo4, *Combo1);
}

void Form1::CaricaAllocazione()
{
    lookups::load(*m_context.store, lookups::List::Allocazione, *Combo5, *Combo6);
}

// ---- Entry screen ----------------------------------------------------------------

void Form1::PulisciCampi()
{
    // 1. Every text of the window; the lists of the combo boxes stay.
    for (QLineEdit *box : {Text3, Text4, Text5, Text1, Text2, Text7, Text8, Text10})
        box->clear();
    Text9->clear();
    for (QComboBox *combo : {Combo3, Combo1, Combo6, Combo7, Combo2, Combo4, Combo5})
        combo->clearEditText();
    // 2. The entry screen's lists.
    for (QComboBox *combo : {Combo3, Combo1, Combo6})
        combo->clear();
    // 3. Toggles and menu entries; each change runs that box's handler.
    for (QCheckBox *box : {Check1, Check2, Check3, Check4, Check5, Check6, Check7, Check8})
        box->setChecked(false);
    // 4. and 5. Lists and document number again; a failing step does not stop the next.
    skippingErrors([this] { CaricaChiave(); });
    skippingErrors([this] { CaricaPubblicazione(); });
    skippingErrors([this] { CaricaAllocazione(); });
    skippingErrors([this] { LeggiProgressivo(); });
}

void Form1::backToMenu()
{
    Check9->setChecked(false); // ends deletion mode through its own handler
    Frame3->hide();
    PulisciCampi();
    Frame2->show();
    Frame4->hide();
    Frame5->hide();
    Frame6->hide();
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

void Form1::insertOrDelete()
{
    if (Command1->text() == QStringLiteral("Inserisci"))
        inserisci();
    else if (Command1->text() == QStringLiteral("Elimina") && Check9->isChecked() && !Combo7->currentText().isEmpty())
        elimina();
}

void Form1::inserisci()
{
    Dialogs &dialogs = *m_context.dialogs;
    if (Combo3->currentText().isEmpty() || Text4->text().isEmpty()) {
        dialogs.message(this, QStringLiteral(" ERRORE : il Campo Chiave e Argomento devono essere compliati"),
                        QStringLiteral("Rudozuzurivaz versione 1 "), QMessageBox::Ok, QMessageBox::NoIcon);
        return;
    }
    // A damaged counter leaves no number to give: no record without one.
    const auto number = counter::wholeNumber(Text10->text());
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
    const db::NewRecord record{Combo3->currentText(), Text4->text(),        Text5->text(), Combo1->currentText(),
                               Text1->text(),         Text2->text(),        Text7->text(), Text8->text(),
                               notesOf(*Text9),       Combo6->currentText()};
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
        Text10->setText(QString::number(*nextFree)); // offered with everything typed kept
    if (!stored)
        return; // the screen keeps what was typed

    Text3->setText(QString::number(id));
    dialogs.message(this, QStringLiteral("Inserimento effettuato"), confirmTitle, QMessageBox::Ok, QMessageBox::NoIcon);
    Combo3->clear();
    Combo1->clear();
    PulisciCampi();
    showSmallToggles();
}

void Form1::elimina()
{
    Dialogs &dialogs = *m_context.dialogs;
    if (!dialogs.askBeforeDestroying(this, QStringLiteral("Sei sicuro di voler procedere all' eliminazione ? "),
                                     confirmTitle)) {
        Text3->show();
        Combo7->hide();
        Command1->setText(QStringLiteral("Inserisci"));
        Check9->setChecked(false); // back to insert mode through its handler
        return;
    }

    // Only the number before the first "-- " names the record, bound as a number.
    const QString chosen = Combo7->currentText();
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
        guarded([this] { CaricaElencoEliminazione(); }); // the list shows the catalogue as it is now
        return;
    }

    m_deletionList->clear();
    dialogs.message(this, QStringLiteral("Eliminazione avvenuta !"), confirmTitle, QMessageBox::Ok,
                    QMessageBox::NoIcon);
    Check9->setChecked(false);
    showSmallToggles();
}

void Form1::setDeletionMode(bool on)
{
    // Deletion mode: the list across the first row, Frame7 over the other fields.
    for (QWidget *firstRow :
         {static_cast<QWidget *>(Text4), static_cast<QWidget *>(Combo3), static_cast<QWidget *>(Text3),
          static_cast<QWidget *>(Label6), static_cast<QWidget *>(Label7), static_cast<QWidget *>(Check2),
          static_cast<QWidget *>(Label8)})
        firstRow->setVisible(!on);
    Combo7->setVisible(on);
    Frame7->setVisible(on);
    for (QPushButton *command : {Command3, Command5, Command6, Command20})
        command->setEnabled(!on);
    Command1->setText(on ? QStringLiteral("Elimina") : QStringLiteral("Inserisci"));
    if (on) {
        guarded([this] { CaricaElencoEliminazione(); });
    } else {
        m_deletionList->clear(); // lets its connection go
        PulisciCampi();
    }
}

void Form1::CaricaElencoEliminazione()
{
    m_deletionList->clear();
    // Rows are read as the list shows them (a million entries open at once), each
    // read on its own: no read transaction stays open to hold up the deletion.
    m_deletionList->setSource(m_context.store->recordList());
    // The combo box would choose the first entry by itself: nothing is chosen until the user does.
    Combo7->setCurrentIndex(-1);
}

void Form1::showSmallToggles()
{
    for (QCheckBox *toggle : {Check1, Check2, Check3, Check8})
        toggle->show();
}

// ---- Date picker -------------------------------------------------------------------

void Form1::calendarToggled(bool open)
{
    // At most one of the four small frames is open: the other toggles hide meanwhile.
    Frame1->setVisible(open);
    for (QCheckBox *toggle : {Check2, Check3, Check8})
        toggle->setVisible(!open);
}

void Form1::dayPicked(const QDate &day)
{
    if (!Check1->isChecked())
        return;
    Text2->setText(formats::shortDate(day));
    Check1->setChecked(false);
    Frame1->hide();
}

void Form1::closeCalendar()
{
    Frame1->hide();
    Check1->setChecked(false);
    showSmallToggles();
}

// ---- Menu actions ----------------------------------------------------------------

void Form1::stampaGenerale()
{
    // The printed catalogue of all records; the entry is unchecked at its end,
    // also when the report could not be shown.
    emit wholeCatalogueReportRequested(this);
    Check6->setChecked(false);
}

void Form1::showInstructions()
{
    m_context.dialogs->message(this,
                               QStringLiteral(" Le istruzioni sono in corso di realizzazione, nel caso , ")
                                   + QLatin1Char('\n') + QStringLiteral("le potete richiedere all'autore via email:")
                                   + texts::makerEmail(),
                               QStringLiteral(" Rudozuzurivaz versione 1"), QMessageBox::Ok, QMessageBox::NoIcon);
}

void Form1::openMakerSite()
{
    Image1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Image1->setLineWidth(1);
    m_context.shell->openUrl(texts::makerWebAddress());
}

void Form1::tick()
{
    Label2->setText(formats::clockCaption(QDateTime::currentDateTime()));
}

bool Form1::guarded(const std::function<void()> &work)
{
    return ::guarded(this, *m_context.dialogs, work);
}

// ---- Asked by other windows ----------------------------------------------------------

void Form1::clearSearchEntry()
{
    Check4->setChecked(false);
}

void Form1::clearQueryEntry()
{
    Check7->setChecked(false);
}

void Form1::clearServiceEntry()
{
    Check10->setChecked(false);
}

void Form1::appendToNotes(const QString &text)
{
    QTextCursor end(Text9->document());
    end.movePosition(QTextCursor::End);
    end.insertText(text);
}

// ---- Window events -----------------------------------------------------------------

void Form1::closeEvent(QCloseEvent *event)
{
    // The program ends only through "Esci".
    event->ignore();
}

void Form1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Centred when it first opens; later shows (after the service window) keep the place.
    if (!m_centred)
        toolwindow::centreOnScreen(this);
    m_centred = true;
}

void Form1::paintEvent(QPaintEvent *)
{
    // The picture unscaled from the top-left corner; the rest in the window colour.
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.drawPixmap(0, 0, m_background);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image1 && event->type() == QEvent::MouseButtonPress) {
        openMakerSite();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
