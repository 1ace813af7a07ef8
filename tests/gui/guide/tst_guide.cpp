// The guide inside the program: every chapter link of the guide leads to its
// chapter, and every picture the guide shows is built into the program.
#include "gui/guide/GuideWindow.h"

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

QTEST_MAIN(TestGuide)
#include "tst_guide.moc"
