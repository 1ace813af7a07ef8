// The guide inside the program: every chapter link of the guide leads to its
// chapter, and every picture the guide shows is built into the program.
#include "GuiTest.h"
#include "TestEnvironment.h"
#include "gui/Windows.h"
#include "gui/attachments/AttachmentWindow.h"
#include "gui/attachments/ScannerWindow.h"
#include "gui/browse/BrowseWindow.h"
#include "gui/guide/GuideWindow.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/search/SearchWindow.h"
#include "gui/service/ServiceWindow.h"

#include <QApplication>

#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>

class TestGuide : public QObject {
    Q_OBJECT
private slots:
    void everyChapterLinkLeadsToItsChapter();
    void everyPictureIsThere();
    void f1OpensTheChapterOfTheWindow_data();
    void f1OpensTheChapterOfTheWindow();
};

namespace {
QString guideText()
{
    QFile file(QStringLiteral(":/guida/GUIDA.md"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
} // namespace

void TestGuide::everyChapterLinkLeadsToItsChapter()
{
    GuideWindow guide;
    guide.show();
    QVERIFY(QTest::qWaitForWindowExposed(&guide));
    static const QRegularExpression link(QStringLiteral("\\]\\(#([^)]+)\\)"));
    QStringList targets;
    for (const auto &match : link.globalMatch(guideText()))
        targets.append(match.captured(1));
    QVERIFY(targets.size() > 20);
    // From the last chapter back to the first, so that each is a real move.
    std::reverse(targets.begin(), targets.end());
    for (const QString &target : std::as_const(targets)) {
        QVERIFY2(guide.chapters().contains(target), qPrintable(target));
        guide.showChapter(target);
        QCOMPARE(guide.chapterShown(), target);
    }
}

void TestGuide::everyPictureIsThere()
{
    GuideWindow guide;
    static const QRegularExpression picture(QStringLiteral("!\\[[^\\]]*\\]\\(([^)]+)\\)"));
    const QTextDocument *document = guide.findChild<QTextBrowser *>(QStringLiteral("testoGuida"))->document();
    int pictures = 0;
    for (const auto &match : picture.globalMatch(guideText())) {
        const QVariant image = document->resource(QTextDocument::ImageResource, QUrl(match.captured(1)));
        QVERIFY2(image.isValid() && !image.value<QImage>().isNull(), qPrintable(match.captured(1)));
        ++pictures;
    }
    QVERIFY(pictures >= 10);
}

void TestGuide::f1OpensTheChapterOfTheWindow_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("chapter");
    QTest::newRow("menu") << QStringLiteral("menu") << QStringLiteral("2-la-finestra-principale-e-il-menu");
    QTest::newRow("entry screen") << QStringLiteral("entry") << QStringLiteral("3-inserire-un-articolo");
    QTest::newRow("deletion") << QStringLiteral("deletion") << QStringLiteral("6-eliminare-un-articolo");
    QTest::newRow("search") << QStringLiteral("Form7") << QStringLiteral("7-cercare");
    QTest::newRow("browse") << QStringLiteral("Frmlibri") << QStringLiteral("8-vedere-e-correggere-tutto-il-catalogo");
    QTest::newRow("scanner") << QStringLiteral("Form5") << QStringLiteral("10-lo-scanner");
    QTest::newRow("attachments") << QStringLiteral("Form3") << QStringLiteral("11-aprire-un-allegato");
    QTest::newRow("service") << QStringLiteral("Form2") << QStringLiteral("12-le-funzioni-di-servizio");
}

void TestGuide::f1OpensTheChapterOfTheWindow()
{
    QFETCH(QString, window);
    QFETCH(QString, chapter);
    TestEnvironment env;
    Windows windows(env.context);
    const Ui main(windows.mainWindow());
    main.window.show();
    QWidget *shown = &main.window;
    if (window == QLatin1String("entry") || window == QLatin1String("deletion"))
        main.click(u"Check5");
    if (window == QLatin1String("deletion"))
        main.click(u"Check9");
    if (window == QLatin1String("Form7"))
        shown = &windows.searchWindow();
    else if (window == QLatin1String("Frmlibri"))
        shown = &windows.browseWindow();
    else if (window == QLatin1String("Form5"))
        shown = &windows.scannerWindow();
    else if (window == QLatin1String("Form3"))
        shown = &windows.attachmentWindow();
    else if (window == QLatin1String("Form2"))
        shown = &windows.serviceWindow();
    shown->show();
    QApplication::setActiveWindow(shown);
    QVERIFY(QTest::qWaitForWindowActive(shown));
    QTest::keyClick(shown, Qt::Key_F1);
    QVERIFY(windows.loadedGuide());
    QVERIFY(windows.loadedGuide()->isVisible());
    QCOMPARE(windows.loadedGuide()->chapterShown(), chapter);
}

QTEST_MAIN(TestGuide)
#include "tst_guide.moc"
