// The attachment window: the file dialog, opening the chosen file, closing after
// every press, and one window at a time from the main window's button.
#include "GuiTest.h"
#include "TestEnvironment.h"
#include "core/settings/Twips.h"
#include "gui/Windows.h"
#include "gui/attachments/AttachmentWindow.h"
#include "gui/attachments/ScannerWindow.h"
#include "gui/mainwindow/MainWindow.h"

#include <QDir>
#include <QFileInfo>
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
