// schermate CARTELLA: photographs the program's windows for the users' guide
// (docs/GUIDA.md). It opens the real windows, as a user would, on a catalogue of a
// few hundred generated records in a temporary program folder, and saves one PNG
// per window in CARTELLA. It needs an X display: scripts/screenshots.sh runs it on
// a private Xvfb screen, where no window manager draws title bars, so each picture
// gets a plain bar with the window's caption. Exits 1 when a picture is missing.
#include "CatalogueGenerator.h"
#include "core/engines/DbError.h"
#include "gui/mainwindow/Pictures.h"
#include "gui/startup/Startup.h"
#include "gui/kit/Texts.h"
#include "core/catalogue/Store.h"
#include "gui/Windows.h"
#include "gui/attachments/AttachmentWindow.h"
#include "gui/attachments/ScannerWindow.h"
#include "gui/browse/BrowseWindow.h"
#include "gui/browse/ReportPreview.h"
#include "gui/kit/AppContext.h"
#include "gui/kit/Dialogs.h"
#include "gui/kit/Printers.h"
#include "gui/kit/Shell.h"
#include "gui/kit/Texts.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/mainwindow/Pictures.h"
#include "gui/search/SearchWindow.h"
#include "gui/service/ServiceWindow.h"
#include "gui/startup/Startup.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

constexpr int titleBarHeight = 26;

void settle(int ms = 300)
{
    QTest::qWait(ms);
}

[[noreturn]] void giveUp(const QString &why)
{
    std::fprintf(stderr, "schermate: %s\n", qPrintable(why));
    std::exit(1);
}

template <typename T> T *control(const QWidget *window, const char *name)
{
    auto *found = window->findChild<T *>(QLatin1String(name));
    if (!found)
        giveUp(QStringLiteral("la finestra %1 non ha il controllo %2").arg(window->objectName(), QLatin1String(name)));
    return found;
}

// The picture of a window as the screen shows it, under a bar with its caption.
class Camera {
public:
    explicit Camera(const QString &folder) : m_folder(folder) {}

    void shoot(QWidget *window, const QString &name)
    {
        window->raise();
        window->activateWindow();
        if (!QTest::qWaitForWindowExposed(window))
            giveUp(QStringLiteral("la finestra per %1 non è comparsa").arg(name));
        settle();
        const QRect area = window->frameGeometry();
        const QImage shot = window->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();

        QImage framed(shot.width() + 2, shot.height() + titleBarHeight + 1, QImage::Format_RGB32);
        framed.fill(QColor(0x3C, 0x46, 0x50));
        QPainter painter(&framed);
        painter.drawImage(1, titleBarHeight, shot);
        QFont font = QApplication::font();
        font.setPixelSize(13);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Qt::white);
        const QRect bar(10, 0, framed.width() - 20, titleBarHeight);
        painter.drawText(bar, Qt::AlignVCenter | Qt::AlignLeft, window->windowTitle());
        painter.drawText(bar, Qt::AlignVCenter | Qt::AlignRight, QStringLiteral("\u2715"));
        painter.end();

        const QString path = QDir(m_folder).filePath(name + QStringLiteral(".png"));
        if (!framed.save(path))
            giveUp(QStringLiteral("impossibile scrivere %1").arg(path));
        std::printf("%s\n", qPrintable(path));
    }

private:
    QString m_folder;
};

// Answers the dialogs that the next action opens, one handler each, in order:
// a dialog blocks the action that opened it, so they run from a timer.
void answerDialogs(QList<std::function<void(QWidget *)>> handlers)
{
    auto *poll = new QTimer(qApp);
    auto *answered = new QWidget *(nullptr);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answered, handlers]() mutable {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || dialog == *answered || !dialog->isVisible())
            return;
        *answered = dialog;
        poll->stop(); // a handler waits inside the timer's call
        handlers.takeFirst()(dialog);
        if (handlers.isEmpty()) {
            delete answered;
            poll->deleteLater();
        } else {
            poll->start();
        }
    });
    poll->start(50);
}

void pressButton(QWidget *dialog, QMessageBox::StandardButton which)
{
    auto *box = qobject_cast<QMessageBox *>(dialog);
    if (!box || !box->button(which))
        giveUp(QStringLiteral("atteso un messaggio, comparso %1").arg(dialog->windowTitle()));
    box->button(which)->click();
}

// The entry screen with a record being typed, as in the guide's example.
void typeExampleRecord(MainWindow &main)
{
    control<QComboBox>(&main, "Combo3")->setEditText(QStringLiteral("storia locale"));
    control<QLineEdit>(&main, "Text4")->setText(QStringLiteral("Il mulino di Borgo Alto"));
    control<QLineEdit>(&main, "Text5")->setText(QStringLiteral("Restauro e riapertura del mulino"));
    auto *publication = control<QComboBox>(&main, "Combo1");
    publication->setEditText(publication->count() > 0 ? publication->itemText(0) : QStringLiteral("Il Borgo"));
    control<QLineEdit>(&main, "Text1")->setText(QStringLiteral("12"));
    control<QLineEdit>(&main, "Text2")->setText(QStringLiteral("05/03/2009"));
    control<QLineEdit>(&main, "Text7")->setText(QStringLiteral("34"));
    control<QLineEdit>(&main, "Text8")->setText(QStringLiteral("2"));
    control<QPlainTextEdit>(&main, "Text9")
        ->setPlainText(QStringLiteral("Fotocopia con le fotografie del restauro.\nAllegato:-mulino.pdf"));
    auto *location = control<QComboBox>(&main, "Combo6");
    location->setEditText(location->count() > 0 ? location->itemText(0) : QStringLiteral("Armadio 3B"));
}

void photographEntryScreen(MainWindow &main, Camera &camera)
{
    control<QCheckBox>(&main, "Check5")->setChecked(true); // "Inserisci/Modifica/Elimina"
    typeExampleRecord(main);
    camera.shoot(&main, QStringLiteral("inserimento"));

    auto *calendar = control<QCheckBox>(&main, "Check1");
    calendar->setChecked(true);
    camera.shoot(&main, QStringLiteral("calendario"));
    calendar->setChecked(false);

    auto *keywords = control<QCheckBox>(&main, "Check2");
    keywords->setChecked(true);
    control<QComboBox>(&main, "Combo2")->setEditText(QStringLiteral("storia locale"));
    camera.shoot(&main, QStringLiteral("elenco-chiavi"));
    keywords->setChecked(false);

    auto *deletion = control<QCheckBox>(&main, "Check9");
    deletion->setChecked(true);
    auto *list = control<QComboBox>(&main, "Combo7");
    list->setCurrentIndex(std::min(2, list->count() - 1));
    if (list->lineEdit())
        list->lineEdit()->setCursorPosition(0); // the record's number first
    camera.shoot(&main, QStringLiteral("eliminazione"));
    deletion->setChecked(false);
}

void photographBrowseWindow(Windows &windows, MainWindow &main, Camera &camera)
{
    control<QPushButton>(&main, "Command20")->click(); // "Modifica"
    BrowseWindow &browse = windows.browseWindow();
    control<QAction>(&browse, "Visualizza")->trigger();
    camera.shoot(&browse, QStringLiteral("modifica"));
    browse.close();
}

void photographAttachmentWindows(Windows &windows, MainWindow &main, Camera &camera)
{
    control<QPushButton>(&main, "Command5")->click(); // "Acquisisci da  Scanner"
    QWidget *scanner = windows.loadedScannerWindow();
    if (!scanner)
        giveUp(QStringLiteral("la finestra Scanner non si è aperta"));
    camera.shoot(scanner, QStringLiteral("scanner"));
    scanner->close();

    control<QPushButton>(&main, "Command6")->click(); // "Visualizza Allegato"
    QWidget *attachments = windows.loadedAttachmentWindow();
    if (!attachments)
        giveUp(QStringLiteral("la finestra degli allegati non si è aperta"));
    camera.shoot(attachments, QStringLiteral("allegati"));
    attachments->close();
}

// A search by keyword from the menu bar: the question, then the records found.
void photographSearch(Windows &windows, MainWindow &main, Camera &camera)
{
    // With the column widths a new user has: nothing written in CINFIG.INI yet.
    control<QCheckBox>(&main, "Check7")->setChecked(true); // "Interrogazione"
    SearchWindow &search = windows.searchWindow();
    search.resize(880, 430);
    // The first letters of a keyword the catalogue holds, so that the search finds it.
    const QString fragment
        = control<QTableView>(&search, "dgCustomers")->model()->index(0, 1).data().toString().left(3);
    answerDialogs({
        [&](QWidget *dialog) {
            auto *input = qobject_cast<QInputDialog *>(dialog);
            if (!input)
                giveUp(QStringLiteral("attesa la domanda della ricerca, comparso %1").arg(dialog->windowTitle()));
            input->setTextValue(fragment);
            camera.shoot(input, QStringLiteral("ricerca-chiave"));
            input->accept();
        },
        [](QWidget *dialog) { pressButton(dialog, QMessageBox::No); }, // "Vuoi Stampare la Ricerca ?"
    });
    control<QAction>(&search, "Chiave")->trigger();
    camera.shoot(&search, QStringLiteral("ricerca"));
    search.close();
}

void photographReport(Windows &windows, MainWindow &main, Camera &camera)
{
    QTimer::singleShot(0, &main, [&] {
        ReportPreview &report = windows.reportPreview();
        camera.shoot(&report, QStringLiteral("stampa"));
        report.close();
    });
    control<QCheckBox>(&main, "Check6")->setChecked(true); // "Stampa Generale": waits for the preview
}

void photographServiceWindow(Windows &windows, MainWindow &main, Camera &camera)
{
    control<QCheckBox>(&main, "Check10")->setChecked(true); // "Funzioni di Servizio"
    QWidget *service = windows.loadedServiceWindow();
    if (!service)
        giveUp(QStringLiteral("la finestra Funzioni di Servizio non si è aperta"));
    camera.shoot(service, QStringLiteral("servizio"));
    service->close();
}

} // namespace

int main(int argc, char *argv[])
{
    const std::unique_ptr<QApplication> app = startup::makeApplication(argc, argv);
    QApplication::setApplicationName(texts::applicationTitle());
    QApplication::setWindowIcon(pictures::programIcon());
    if (argc != 2) {
        std::fprintf(stderr, "Uso: schermate CARTELLA\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(output))
        giveUp(QStringLiteral("impossibile creare la cartella %1").arg(output));
    // A window that never shows, or a dialog nobody answers, must not hang the run.
    QTimer::singleShot(120000, [] { giveUp(QStringLiteral("tempo scaduto")); });

    QTemporaryDir folder;
    if (!folder.isValid())
        giveUp(QStringLiteral("impossibile creare una cartella temporanea"));
    GeneratorOptions catalogue;
    catalogue.records = 300;
    try {
        generateCatalogue(folder.filePath(QStringLiteral("db1.mdb")), catalogue);
    } catch (const db::DbError &error) {
        giveUp(error.reason());
    }

    QtDialogs dialogs;
    DesktopShell shell;
    SystemPrinters printers;
    AppContext context;
    context.programFolder = folder.path();
    db::Store store(context.catalogPath());
    context.store = &store;
    context.dialogs = &dialogs;
    context.shell = &shell;
    context.printers = &printers;
    context.endProgram = [] {};

    Windows windows(context);
    MainWindow &main = windows.mainWindow();
    main.show();
    settle(1200); // the clock shows the time
    Camera camera(output);
    camera.shoot(&main, QStringLiteral("menu"));

    photographEntryScreen(main, camera);
    photographBrowseWindow(windows, main, camera);
    photographAttachmentWindows(windows, main, camera);
    photographSearch(windows, main, camera);
    control<QPushButton>(&main, "Command4")->click(); // "&Menù"
    photographReport(windows, main, camera);
    photographServiceWindow(windows, main, camera);
    return 0;
}
