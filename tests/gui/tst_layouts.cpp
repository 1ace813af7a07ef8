// Every window laid out as designed: its description (names, captions, places
// and sizes in twips, fonts) compared with the file kept in layouts/. A change of
// layout is made by changing that file (UPDATE_LAYOUTS=1 writes it anew).
#include "LayoutDump.h"
#include "TestEnvironment.h"
#include "core/settings/Twips.h"
#include "gui/Windows.h"
#include "gui/attachments/AttachmentWindow.h"
#include "gui/attachments/ScannerWindow.h"
#include "gui/browse/BrowseWindow.h"
#include "gui/browse/ReportPreview.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/search/SearchWindow.h"
#include "gui/service/ServiceWindow.h"

#include <QTest>

class TestLayouts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The files are written for 15 twips to the pixel.
        QCOMPARE(twips::perPixel(), 15.0);
    }
    void windowMatchesItsLayoutFile_data();
    void windowMatchesItsLayoutFile();
};

void TestLayouts::windowMatchesItsLayoutFile_data()
{
    QTest::addColumn<QString>("window");
    for (const char *name : {"Form1", "Form7", "Frmlibri", "Form2", "Form3", "Form5", "rptBooks"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestLayouts::windowMatchesItsLayoutFile()
{
    QFETCH(QString, window);
    TestEnvironment env;
    Windows windows(env.context);
    QWidget *shown = nullptr;
    if (window == QStringLiteral("Form1"))
        shown = &windows.mainWindow();
    else if (window == QStringLiteral("Form7"))
        shown = &windows.searchWindow();
    else if (window == QStringLiteral("Frmlibri"))
        shown = &windows.browseWindow();
    else if (window == QStringLiteral("Form2"))
        shown = &windows.serviceWindow();
    else if (window == QStringLiteral("Form3"))
        shown = &windows.attachmentWindow();
    else if (window == QStringLiteral("Form5"))
        shown = &windows.scannerWindow();
    else
        shown = &windows.reportPreview();
    // Shown, so that layouts have placed what they hold.
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    const QString difference
        = layout::compareWithFile(*shown, QStringLiteral(TEST_FOLDER "/layouts/") + window + QStringLiteral(".txt"));
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

QTEST_MAIN(TestLayouts)
#include "tst_layouts.moc"
