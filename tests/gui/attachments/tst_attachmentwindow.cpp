// The attachment window: the file dialog, opening the chosen file, closing after
// every press, and one window at a time from the main window's button.
#include "Form1Ui.h"
#include "TestEnvironment.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/attachments/AttachmentWindow.h"
#include "core/settings/Twips.h"
#include "gui/Windows.h"

#include <QDir>
#include <QPushButton>
#include <QTest>

namespace {
void processDeletions()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

AttachmentWindow &openFromMainWindow(Windows &windows)
{
    Form1Ui(windows.mainWindow()).Command6->click();
    AttachmentWindow *form3 = windows.loadedAttachmentWindow();
    Q_ASSERT(form3);
    return *form3;
}
} // namespace

class TestAttachmentWindow : public QObject {
    Q_OBJECT

private slots:
    void pressOpensTheChosenFile_data();
    void pressOpensTheChosenFile();
    void cancelOpensNothing();
    void secondPressOfTheMainButtonBringsTheSameWindow();
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
    AttachmentWindow &form3 = openFromMainWindow(windows);
    const QString file = inAttachmentFolder ? env.context.attachmentFolder() + QStringLiteral("/Fattura 12.pdf")
                                            : QStringLiteral("/tmp/altrove/lettera.odt");
    env.dialogs.answerFile(file);
    form3.Command1->click();

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
    AttachmentWindow &form3 = openFromMainWindow(windows);
    env.dialogs.answerCancel();
    form3.Command1->click();
    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY(env.shell.openedFiles.isEmpty());
    processDeletions();
    QVERIFY(!windows.loadedAttachmentWindow());
}

void TestAttachmentWindow::secondPressOfTheMainButtonBringsTheSameWindow()
{
    TestEnvironment env;
    Windows windows(env.context);
    AttachmentWindow *first = &openFromMainWindow(windows);
    QCOMPARE(&openFromMainWindow(windows), first);
    QVERIFY(first->isVisible());

    env.dialogs.answerCancel();
    first->Command1->click();
    processDeletions();
    QVERIFY(!windows.loadedAttachmentWindow());
    AttachmentWindow &second = openFromMainWindow(windows); // loaded anew
    QVERIFY(second.isVisible());
    QCOMPARE(env.dialogs.unexpected, 0);
}

QTEST_MAIN(TestAttachmentWindow)
#include "tst_attachmentwindow.moc"
