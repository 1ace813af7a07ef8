// The scanning layer over SANE, scanning for real from SANE's "test" backend.
#include "CatalogueFolder.h"
#include "SaneTestDevice.h"
#include "core/scanning/Twain.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {
const QString test0 = QStringLiteral("Noname frontend-tester (test:0)");
const QString test1 = QStringLiteral("Noname frontend-tester (test:1)");
constexpr double pointsPerMillimetre = 72.0 / 25.4;

QString attachments(const CatalogueFolder &env)
{
    QDir(env.folder()).mkdir(QStringLiteral("Allegati"));
    return env.filePath(QStringLiteral("Allegati"));
}

// The user's answers to the scanner choice, prepared by the test.
class ScriptedChoice : public ScannerChoice {
public:
    std::optional<QString> answer; // nothing: Cancel
    QStringList offered;
    int noScannerTold = 0;
    void noScanner(QObject *, const QString &) override { ++noScannerTold; }
    std::optional<QString> choose(QObject *, const QStringList &labels) override
    {
        offered = labels;
        return answer;
    }
};

// The settings both scanning actions of the scanner window use.
void prepareBlackAndWhite(Twain &twain)
{
    twain.TWAIN_SetHideUI(1);
    QCOMPARE(twain.TWAIN_OpenDefaultSource(), 1);
    twain.TWAIN_SetPixelType(Twain::BlackAndWhite);
    twain.TWAIN_SetResolution(300.0);
}

bool samePixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return false;
    return true;
}

void comparePageSize(const PdfInfo &info)
{
    const QSizeF expected = SaneTestDevice::areaMillimetres() * pointsPerMillimetre;
    QVERIFY2(
        qAbs(info.pageSizePoints.width() - expected.width()) < 1.0
            && qAbs(info.pageSizePoints.height() - expected.height()) < 1.0,
        qPrintable(
            QStringLiteral("page %1 x %2 pts").arg(info.pageSizePoints.width()).arg(info.pageSizePoints.height())));
}
} // namespace

class TestTwain : public QObject {
    Q_OBJECT
    SaneTestDevice m_sane;

private slots:
    void init() { m_sane.reset(); }

    // Choosing the scanner
    void selectImageSource_offersEveryScannerAndKeepsTheChoice();
    void selectImageSource_cancelKeepsTheDefault();
    void selectImageSource_withoutScannerSaysSo();
    void openDefaultSource_withoutScannerFails();

    // One named file
    void acquireMultipageFile_data();
    void acquireMultipageFile();
    void acquireMultipageFile_isBlackAndWhiteAt300Dpi();
    void acquireMultipageFile_feederGivesEveryPage();
    void acquireMultipageFile_unknownFormatKeepsExistingFile();
    void acquireMultipageFile_unwritableFolderIsReported();

    // Page by page
    void multipageFile_data();
    void multipageFile();
    void multipageFile_feederRunsEmpty();
    void multipageFile_withoutPagesWritesNothing();
    void multipageFile_callsOutOfOrder();
};

void TestTwain::selectImageSource_offersEveryScannerAndKeepsTheChoice()
{
    CatalogueFolder env;
    ScriptedChoice choice;
    Twain twain(attachments(env), choice);
    choice.answer = test1;
    QCOMPARE(twain.TWAIN_SelectImageSource(nullptr), 1);
    QCOMPARE(choice.offered, QStringList({test0, test1}));
    QCOMPARE(twain.defaultSource(), QStringLiteral("test:1"));
    QCOMPARE(twain.TWAIN_OpenDefaultSource(), 1);
    QVERIFY(twain.isSourceOpen());
}

void TestTwain::selectImageSource_cancelKeepsTheDefault()
{
    CatalogueFolder env;
    ScriptedChoice choice;
    Twain twain(attachments(env), choice);
    choice.answer = test1;
    twain.TWAIN_SelectImageSource(nullptr);
    choice.answer.reset();
    QCOMPARE(twain.TWAIN_SelectImageSource(nullptr), 0);
    QCOMPARE(twain.defaultSource(), QStringLiteral("test:1"));
}

void TestTwain::selectImageSource_withoutScannerSaysSo()
{
    m_sane.setNoBackend();
    CatalogueFolder env;
    ScriptedChoice choice;
    Twain twain(attachments(env), choice);
    QCOMPARE(twain.TWAIN_SelectImageSource(nullptr), 0);
    QCOMPARE(choice.noScannerTold, 1);
    QVERIFY(choice.offered.isEmpty());
}

void TestTwain::openDefaultSource_withoutScannerFails()
{
    m_sane.setNoBackend();
    CatalogueFolder env;
    ScriptedChoice choice;
    Twain twain(attachments(env), choice);
    QCOMPARE(twain.TWAIN_OpenDefaultSource(), 0);
    QVERIFY(twain.lastError().startsWith(QStringLiteral("Nessuno scanner trovato")));
    const QString path = attachments(env) + QStringLiteral("/a.pdf");
    QCOMPARE(twain.TWAIN_AcquireMultipageFile(nullptr, path), int(Twain::NoScanner));
    QVERIFY(!QFile::exists(path));
}

void TestTwain::acquireMultipageFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::newRow("pdf") << QStringLiteral("Fattura.pdf") << QStringLiteral("pdf");
    QTest::newRow("PDF in capitals") << QStringLiteral("Fattura.PDF") << QStringLiteral("pdf");
    QTest::newRow("no extension") << QStringLiteral("Fattura") << QStringLiteral("pdf");
    QTest::newRow("tif") << QStringLiteral("Fattura.tif") << QStringLiteral("tiff");
    QTest::newRow("tiff") << QStringLiteral("Fattura.tiff") << QStringLiteral("tiff");
    QTest::newRow("png") << QStringLiteral("Fattura.png") << QStringLiteral("image");
    QTest::newRow("bmp") << QStringLiteral("Fattura.bmp") << QStringLiteral("image");
}

void TestTwain::acquireMultipageFile()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    CatalogueFolder env;
    ScriptedChoice choice;
    Twain twain(attachments(env), choice);
    prepareBlackAndWhite(twain);
    const QString path = attachments(env) + QLatin1Char('/') + name;
    QCOMPARE(twain.TWAIN_AcquireMultipageFile(nullptr, path), int(Twain::Ok));
    QCOMPARE(twain.lastFile(), path);
    QVERIFY(!twain.isSourceOpen()); // without multi-transfer the source closes after the scan

    if (kind == QStringLiteral("pdf")) {
        const PdfInfo info = PdfInfo::of(path);
        QCOMPARE(info.pages, 1);
        comparePageSize(info);
    } else if (kind == QStringLiteral("tiff")) {
        const QStringList pages = identify(path);
        QCOMPARE(pages.size(), 1);
        const QSize size = twain.lastImage().size();
        QVERIFY2(pages.first().contains(QStringLiteral(" %1x%2 ").arg(size.width()).arg(size.height()))
                     && pages.first().contains(QStringLiteral("1-bit")),
                 qPrintable(pages.first()));
        QVERIFY(samePixels(readWithImageMagick(path), twain.lastImage()));
    } else {
        QVERIFY(samePixels(QImage(path), twain.lastImage()));
    }
}

void TestTwain::acquireMultipageFile_isBlackAndWhiteAt300Dpi()
{
    CatalogueFolder env;
    ScriptedChoice choice;
    Twain twain(attachments(env), choice);
    prepareBlackAndWhite(twain);
    QCOMPARE(twain.TWAIN_AcquireMultipageFile(nullptr, attachments(env) + QStringLiteral("/a.pdf")), 0);
    const QImage page = twain.lastImage();
    QCOMPARE(page.format(), QImage::Format_Mono);
    QCOMPARE(qRound(page.dotsPerMeterX() * 0.0254), 300);
    const QSizeF area = SaneTestDevice::areaMillimetres() / 25.4 * 300.0;
    QVERIFY(qAbs(page.width() - area.width()) <= 1 && qAbs(page.height() - area.height()) <= 1);
    // The grid picture: black and white squares, about half of the page black.
    qint64 black = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            black += page.pixel(x, y) == qRgb(0, 0, 0);
    const double share = double(black) / (qint64(page.width()) * page.height());
    QVERIFY2(share > 0.3 && share < 0.7, qPrintable(QString::number(share)));
}

void TestTwain::acquireMultipageFile_feederGivesEveryPage()
{
    CatalogueFolder env;
    ScriptedChoice choice;
    Twain twain(attachments(env), choice);
    prepareBlackAndWhite(twain);
    twain.TWAIN_SelectFeeder(1);
    const QString path = attachments(env) + QStringLiteral("/Lotto.pdf");
    QCOMPARE(twain.TWAIN_AcquireMultipageFile(nullptr, path), 0);
    const PdfInfo info = PdfInfo::of(path);
    QCOMPARE(info.pages, 10);
    comparePageSize(info);

    const QString tiff = attachments(env) + QStringLiteral("/Lotto.tif");
    QCOMPARE(twain.TWAIN_OpenDefaultSource(), 1); // a fresh open: the feeder is full again
    QCOMPARE(twain.TWAIN_AcquireMultipageFile(nullptr, tiff), 0);
    QCOMPARE(identify(tiff).size(), 10);
    QVERIFY(samePixels(readWithImageMagick(tiff, 9), twain.lastImage()));
}

void TestTwain::acquireMultipageFile_unknownFormatKeepsExistingFile()
{
    CatalogueFolder env;
    ScriptedChoice choice;
    Twain twain(attachments(env), choice);
    const QString path = attachments(env) + QStringLiteral("/Vecchio.xyz");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("contenuto");
    old.close();
    prepareBlackAndWhite(twain);
    QCOMPARE(twain.TWAIN_AcquireMultipageFile(nullptr, path), int(Twain::WriteFailed));
    QVERIFY(twain.lastError().contains(QStringLiteral("non è supportato")));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("contenuto"));
}

// Errors the device reports while reading are not played here: SANE's test device
// cancels its reader thread asynchronously, which can hang the process when the
// cancel comes while that thread is still working.
void TestTwain::acquireMultipageFile_unwritableFolderIsReported()
{
    CatalogueFolder env;
    ScriptedChoice choice;
    Twain twain(attachments(env), choice);
    prepareBlackAndWhite(twain);
    const QString path = env.folder() + QStringLiteral("/manca/Fattura.pdf");
    QCOMPARE(twain.TWAIN_AcquireMultipageFile(nullptr, path), int(Twain::WriteFailed));
    QVERIFY(twain.lastError().startsWith(QStringLiteral("Impossibile scrivere il file ") + path));
    QVERIFY(!QFile::exists(path));
}

void TestTwain::multipageFile_data()
{
    QTest::addColumn<int>("pages");
    QTest::newRow("1") << 1;
    QTest::newRow("3") << 3;
}

void TestTwain::multipageFile()
{
    QFETCH(int, pages);
    CatalogueFolder env;
    const QString folder = attachments(env);
    ScriptedChoice choice;
    Twain twain(attachments(env), choice);
    QCOMPARE(twain.TWAIN_OpenDefaultSource(), 1);
    twain.TWAIN_SetMultiTransfer(1);
    twain.TWAIN_SetPixelType(Twain::BlackAndWhite);
    twain.TWAIN_SetResolution(300.0);
    twain.TWAIN_SelectFeeder(0);
    twain.TWAIN_ResetImageLayout();
    twain.TWAIN_SetMultipageFormat(Twain::PdfFormat);
    QCOMPARE(twain.TWAIN_BeginMultipageFile(QString()), 0);
    for (int i = 0; i < pages; ++i) {
        QVERIFY(twain.TWAIN_Acquire(nullptr) != 0);
        twain.TWAIN_DisableSource();
    }
    QVERIFY(QDir(folder).isEmpty()); // written when the file is closed
    QCOMPARE(twain.TWAIN_EndMultipageFile(), 0);
    twain.TWAIN_CloseSource();

    const QStringList written = QDir(folder).entryList(QDir::Files);
    QCOMPARE(written.size(), 1);
    QVERIFY2(QRegularExpression(QStringLiteral("^Scansione_\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d\\.pdf$"))
                 .match(written.first())
                 .hasMatch(),
             qPrintable(written.first()));
    QCOMPARE(twain.lastFile(), folder + QLatin1Char('/') + written.first());
    const PdfInfo info = PdfInfo::of(twain.lastFile());
    QCOMPARE(info.pages, pages);
    comparePageSize(info);
}

void TestTwain::multipageFile_feederRunsEmpty()
{
    CatalogueFolder env;
    const QString folder = attachments(env);
    ScriptedChoice choice;
    Twain twain(attachments(env), choice);
    QCOMPARE(twain.TWAIN_OpenDefaultSource(), 1);
    twain.TWAIN_SetMultiTransfer(1);
    twain.TWAIN_SetPixelType(Twain::BlackAndWhite);
    twain.TWAIN_SetResolution(300.0);
    twain.TWAIN_SelectFeeder(1);
    QCOMPARE(twain.TWAIN_BeginMultipageFile(QString()), 0);
    QList<int> acquired;
    for (int i = 0; i < 11; ++i) {
        acquired.append(twain.TWAIN_Acquire(nullptr) != 0);
        twain.TWAIN_DisableSource();
    }
    QCOMPARE(acquired, QList<int>({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0}));
    QCOMPARE(twain.TWAIN_EndMultipageFile(), 0);
    QCOMPARE(PdfInfo::of(twain.lastFile()).pages, 10);
    const QString first = twain.lastFile();

    // The next file, even when started within the same second, gets a name of its own.
    twain.TWAIN_SelectFeeder(0);
    QCOMPARE(twain.TWAIN_BeginMultipageFile(QString()), 0);
    QVERIFY(twain.TWAIN_Acquire(nullptr) != 0);
    QCOMPARE(twain.TWAIN_EndMultipageFile(), 0);
    QVERIFY(twain.lastFile() != first);
    QCOMPARE(PdfInfo::of(twain.lastFile()).pages, 1);
    QCOMPARE(PdfInfo::of(first).pages, 10);
}

void TestTwain::multipageFile_withoutPagesWritesNothing()
{
    CatalogueFolder env;
    const QString folder = attachments(env);
    ScriptedChoice choice;
    Twain twain(attachments(env), choice);
    QCOMPARE(twain.TWAIN_BeginMultipageFile(QString()), 0);
    QCOMPARE(twain.TWAIN_Acquire(nullptr), 0); // no source open
    QCOMPARE(twain.TWAIN_EndMultipageFile(), int(Twain::NoPage));
    QVERIFY(twain.lastError().contains(QStringLiteral("non è stato scritto")));
    QVERIFY(QDir(folder).isEmpty());
}

void TestTwain::multipageFile_callsOutOfOrder()
{
    CatalogueFolder env;
    ScriptedChoice choice;
    Twain twain(env.filePath(QStringLiteral("Allegati")), choice);
    QCOMPARE(twain.TWAIN_EndMultipageFile(), int(Twain::NoFileOpen));
    // Without the attachment folder the file cannot be started.
    QCOMPARE(twain.TWAIN_BeginMultipageFile(QString()), int(Twain::WriteFailed));
    attachments(env);
    QCOMPARE(twain.TWAIN_BeginMultipageFile(QString()), 0);
    QCOMPARE(twain.TWAIN_BeginMultipageFile(QString()), int(Twain::FileAlreadyOpen));
}

QTEST_MAIN(TestTwain)
#include "tst_twain.moc"
