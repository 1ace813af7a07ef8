// The users' guide docs/GUIDA.md: scripts/screenshots.sh, run once here on a
// private X display, makes every picture the guide shows and no other, none of
// them blank; the pictures kept beside the guide in docs/img are the same set.
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString docs = QStringLiteral(PROJECT_SOURCE_DIR "/docs");
// The photographer draws a caption bar over each window: the window is below it.
constexpr int captionBar = 26;

// The pictures the guide shows, as "img/NAME.png" links.
QStringList picturesOfTheGuide()
{
    QFile guide(docs + QStringLiteral("/GUIDA.md"));
    if (!guide.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(guide.readAll());
    QStringList names;
    static const QRegularExpression link(QStringLiteral(R"(\]\(img/([^)\s]+\.png)\))"));
    for (auto it = link.globalMatch(text); it.hasNext();) {
        const QString name = it.next().captured(1);
        if (!names.contains(name))
            names.append(name);
    }
    return names;
}

QSet<QString> pngFiles(const QString &folder)
{
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.png")}, QDir::Files);
    return QSet<QString>(files.cbegin(), files.cend());
}

// Distinct colours of the picture below its caption bar, and the share of the
// commonest one.
struct Colours {
    int distinct = 0;
    double commonest = 1;
};

Colours coloursOfWindow(const QImage &picture)
{
    QHash<QRgb, int> counts;
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    for (int row = captionBar; row < image.height(); ++row) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(row));
        for (int column = 0; column < image.width(); ++column)
            ++counts[line[column]];
    }
    int most = 0;
    for (int count : std::as_const(counts))
        most = std::max(most, count);
    const int pixels = image.width() * std::max(0, image.height() - captionBar);
    return {int(counts.size()), pixels > 0 ? double(most) / pixels : 1};
}

} // namespace

class tst_guida : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyPictureIsMadeAndShowsAWindow_data();
    void everyPictureIsMadeAndShowsAWindow();
    void theGuideShowsEveryPictureMade();

private:
    QTemporaryDir m_made;
};

void tst_guida::initTestCase()
{
    QVERIFY(m_made.isValid());
    QVERIFY2(picturesOfTheGuide().size() >= 10, "the guide shows a picture of every window");

    QProcess script;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SCHERMATE"), QStringLiteral(SCHERMATE_PATH));
    script.setProcessEnvironment(env);
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start(QStringLiteral(PROJECT_SOURCE_DIR "/scripts/screenshots.sh"), {m_made.path()});
    const bool finished = script.waitForFinished(240000);
    const QString output = QString::fromLocal8Bit(script.readAll());
    QVERIFY2(finished && script.exitStatus() == QProcess::NormalExit && script.exitCode() == 0,
             qPrintable(QStringLiteral("scripts/screenshots.sh failed (it needs xvfb and xauth):\n") + output));
}

void tst_guida::everyPictureIsMadeAndShowsAWindow_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : picturesOfTheGuide())
        QTest::newRow(qPrintable(name)) << name;
}

void tst_guida::everyPictureIsMadeAndShowsAWindow()
{
    QFETCH(QString, name);
    const QImage made(m_made.filePath(name));
    QVERIFY2(!made.isNull(), "the script did not make it");
    QVERIFY2(made.width() >= 150 && made.height() >= 60 + captionBar,
             qPrintable(QStringLiteral("only %1 x %2 pixels").arg(made.width()).arg(made.height())));
    const Colours colours = coloursOfWindow(made);
    QVERIFY2(colours.distinct > 40 && colours.commonest < 0.97,
             qPrintable(QStringLiteral("blank: %1 colours, the commonest on %2% of the window")
                            .arg(colours.distinct)
                            .arg(colours.commonest * 100, 0, 'f', 1)));
    QVERIFY2(!QImage(docs + QStringLiteral("/img/") + name).isNull(),
             "missing in docs/img: run scripts/screenshots.sh and commit the pictures");
}

void tst_guida::theGuideShowsEveryPictureMade()
{
    const QStringList shown = picturesOfTheGuide();
    const QSet<QString> inGuide(shown.cbegin(), shown.cend());
    QCOMPARE(pngFiles(m_made.path()), inGuide);
    QCOMPARE(pngFiles(docs + QStringLiteral("/img")), inGuide);
}

QTEST_GUILESS_MAIN(tst_guida)
#include "tst_guida.moc"
