// The attachment window: the file dialog, opening the chosen file, closing after
// every press, and one window at a time from the main window's button.
#include "GuiTest.h"
#include "TestEnvironment.h"
#include "core/settings/Twips.h"
#include "gui/Windows.h"
#include "gui/attachments/AttachmentWindow.h"
#include "gui/attachments/ScannerWindow.h"
#include "gui/kit/Shell.h"
#include "gui/mainwindow/MainWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QPushButton>
#include <QTest>

namespace {
void processDeletions()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

Ui openFromMainWindow(Windows &windows)
{
    Ui(windows.mainWindow()).click(u"Command6");
    Q_ASSERT(windows.loadedAttachmentWindow());
    return Ui(*windows.loadedAttachmentWindow());
}
} // namespace

class TestAttachmentWindow : public QObject {
    Q_OBJECT

private slots:
    void pressOpensTheChosenFile_data();
    void pressOpensTheChosenFile();
    void fileNoProgramOpensIsTold();
    void desktopTellsAMissingFileOrAKindNoProgramOpens();
    void cancelOpensNothing();
    void secondPressOfTheMainButtonBringsTheSameWindow();
    void officeFolderIsTheOnlyPlaceOfAttachments();
};

void TestAttachmentWindow::pressOpensTheChosenFile_data()
{
    QTest::addColumn<bool>("inAttachmentFolder");
    QTest::newRow("in the attachment folder") << true;
    QTest::newRow("anywhere else") << false;
}

void TestAttachmentWindow::pressOpensTheChosenFile()
{
    QFETCH(bool, inAttachmentFolder);
    TestEnvironment env;
    Windows windows(env.context);
    const Ui attachments = openFromMainWindow(windows);
    const QString file = inAttachmentFolder ? env.context.attachmentFolder() + QStringLiteral("/Fattura 12.pdf")
                                            : QStringLiteral("/tmp/altrove/lettera.odt");
    env.dialogs.answerFile(file);
    attachments.click(u"Command1");

    QCOMPARE(env.dialogs.shown.size(), 1);
    const ShownBox &box = env.dialogs.last();
    QCOMPARE(box.kind, ShownBox::OpenFile);
    QCOMPARE(box.title, QStringLiteral("Seleziona il file da caricare"));
    QCOMPARE(box.defaultText, env.context.attachmentFolder() + QLatin1Char('/'));
    QCOMPARE(box.filter, QStringLiteral("All Files(*.*) (*)"));
    QCOMPARE(env.shell.openedFiles, QStringList({file}));

    processDeletions();
    QVERIFY(!windows.loadedAttachmentWindow());
}

void TestAttachmentWindow::fileNoProgramOpensIsTold()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui attachments = openFromMainWindow(windows);
    env.shell.refusal = QStringLiteral("Il file \"x.pdf\" non è stato aperto: ...");
    env.dialogs.answerFile(env.context.attachmentFolder() + QStringLiteral("/x.pdf"));
    env.dialogs.answerButton(QMessageBox::Ok);
    attachments.click(u"Command1");
    QCOMPARE(env.dialogs.shown.size(), 2);
    QVERIFY_BOX(env.dialogs.last(), .icon = QMessageBox::Warning, .text = env.shell.refusal);
    processDeletions();
    QVERIFY(!windows.loadedAttachmentWindow());
}

// The desktop itself, with the user's settings of the test's own (XDG folders)
// on a machine that has no program for PDF files.
void TestAttachmentWindow::desktopTellsAMissingFileOrAKindNoProgramOpens()
{
    QTemporaryDir desktop;
    for (const char *variable : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"})
        qputenv(variable, QFile::encodeName(desktop.path()));
    qunsetenv("XDG_CURRENT_DESKTOP");
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("application/pdf")});
    QVERIFY(query.waitForFinished());
    if (!query.readAllStandardOutput().trimmed().isEmpty())
        QSKIP("this machine has a program for PDF files");
    const QString pdf = desktop.filePath(QStringLiteral("documento.pdf"));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("%PDF-1.4\n");
    file.close();
    DesktopShell shell;
    QCOMPARE(shell.openFile(desktop.filePath(QStringLiteral("manca.pdf"))),
             QStringLiteral("Il file \"%1\" non c'è: forse è stato spostato, rinominato o eliminato.")
                 .arg(desktop.filePath(QStringLiteral("manca.pdf"))));
    const QString refused = shell.openFile(pdf);
    QVERIFY2(refused.startsWith(QStringLiteral("Il file \"%1\" non è stato aperto: sul computer non c'è un programma "
                                               "che apra i file di tipo")
                                    .arg(pdf)),
             qPrintable(refused));
    QVERIFY(refused.contains(QStringLiteral("(application/pdf)")));
}

void TestAttachmentWindow::cancelOpensNothing()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui attachments = openFromMainWindow(windows);
    env.dialogs.answerCancel();
    attachments.click(u"Command1");
    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY(env.shell.openedFiles.isEmpty());
    processDeletions();
    QVERIFY(!windows.loadedAttachmentWindow());
}

void TestAttachmentWindow::secondPressOfTheMainButtonBringsTheSameWindow()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui first = openFromMainWindow(windows);
    QCOMPARE(&openFromMainWindow(windows).window, &first.window);
    QVERIFY(first.window.isVisible());

    env.dialogs.answerCancel();
    first.click(u"Command1");
    processDeletions();
    QVERIFY(!windows.loadedAttachmentWindow());
    QVERIFY(openFromMainWindow(windows).window.isVisible()); // loaded anew
    QCOMPARE(env.dialogs.unexpected, 0);
}

// The office's folder (Allegati= in CINFIG.INI) is where attachments are looked
// for; while it is missing every action names it and nothing is written in its
// place, neither there nor beside the program.
void TestAttachmentWindow::officeFolderIsTheOnlyPlaceOfAttachments()
{
    TestEnvironment env;
    const QString office = env.filePath(QStringLiteral("rete/allegati"));
    env.context.officeAttachmentFolder = office;
    for (int box = 0; box < 3; ++box)
        env.dialogs.answerButton(QMessageBox::Ok);
    Windows windows(env.context);
    windows.mainWindow();
    openFromMainWindow(windows).click(u"Command1");
    Ui(windows.scannerWindow()).click(u"Command1");
    QCOMPARE(env.dialogs.shown.size(), 3); // at start, the attachment window, the scanner: no dialog, no scan
    for (const ShownBox &box : env.dialogs.shown)
        QVERIFY2(box.icon == QMessageBox::Warning && box.text.contains(QStringLiteral("\"%1\" non esiste").arg(office)),
                 qPrintable(box.text));
    QVERIFY(env.shell.openedFiles.isEmpty());
    QVERIFY(!QFileInfo::exists(office));
    QVERIFY(!QFileInfo::exists(env.filePath(QStringLiteral("Allegati"))));

    QVERIFY(QDir().mkpath(office)); // the network folder mounted
    env.dialogs.answerCancel();
    openFromMainWindow(windows).click(u"Command1");
    QCOMPARE(env.dialogs.last().defaultText, office + QLatin1Char('/'));
    QCOMPARE(env.dialogs.unexpected, 0);
}

QTEST_MAIN(TestAttachmentWindow)
#include "tst_attachmentwindow.moc"
