// The program's icon: the window icon is the drawing data/icons/rudozuzurivaz.svg,
// and the PNG sizes installed for the desktop's menu are renderings of that same
// drawing (scripts/icons.sh remakes them after a change).
#include "gui/mainwindow/Pictures.h"

#include <QDir>
#include <QImage>
#include <QtTest>

namespace {

QString iconsFolder()
{
    return QStringLiteral(TESTS_SOURCE_DIR "/../data/icons");
}

// Mean difference of two pictures of one size, per channel of premultiplied
// ARGB, from 0 (the same) to 255.
double meanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    double total = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int column = 0; column < x.width(); ++column) {
            const QRgb p = x.pixel(column, row), q = y.pixel(column, row);
            total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q))
                + std::abs(qAlpha(p) - qAlpha(q));
        }
    }
    return total / (4.0 * x.width() * x.height());
}

int opaquePixels(const QImage &image)
{
    int count = 0;
    for (int row = 0; row < image.height(); ++row)
        for (int column = 0; column < image.width(); ++column)
            count += qAlpha(image.pixel(column, row)) > 128;
    return count;
}

} // namespace

class tst_pictures : public QObject {
    Q_OBJECT
private slots:
    void iconIsTheDrawingAtEveryInstalledSize_data();
    void iconIsTheDrawingAtEveryInstalledSize();
};

void tst_pictures::iconIsTheDrawingAtEveryInstalledSize_data()
{
    QTest::addColumn<int>("size");
    const QStringList folders = QDir(iconsFolder()).entryList({QStringLiteral("*x*")}, QDir::Dirs);
    QVERIFY2(folders.size() >= 6, "the icon comes in at least six sizes, 16 to 256 pixels");
    QVERIFY(folders.contains(QStringLiteral("16x16")));
    QVERIFY(folders.contains(QStringLiteral("256x256")));
    for (const QString &folder : folders)
        QTest::newRow(qPrintable(folder)) << folder.section(QLatin1Char('x'), 0, 0).toInt();
}

void tst_pictures::iconIsTheDrawingAtEveryInstalledSize()
{
    QFETCH(int, size);
    const QIcon icon = pictures::programIcon();
    QVERIFY2(!icon.isNull(), "the icon resource is missing");
    const QImage drawn = icon.pixmap(QSize(size, size)).toImage();
    QVERIFY2(!drawn.isNull(), "Qt cannot draw the SVG icon: is the SVG plugin (libqt6svg6) installed?");
    QCOMPARE(drawn.size(), QSize(size, size));
    // The drawing fills most of its square, on a transparent background.
    QVERIFY(opaquePixels(drawn) > size * size / 2);
    QCOMPARE(qAlpha(drawn.pixel(0, 0)), 0);

    const QString file = QStringLiteral("%1/%2x%2/rudozuzurivaz.png").arg(iconsFolder()).arg(size);
    const QImage installed(file);
    QVERIFY2(!installed.isNull(), qPrintable(file));
    QCOMPARE(installed.size(), QSize(size, size));
    // Two renderers smooth edges differently; a changed drawing differs far more.
    const double difference = meanDifference(drawn, installed);
    QVERIFY2(difference < 6,
             qPrintable(
                 QStringLiteral("%1 differs from the drawing by %2: run scripts/icons.sh").arg(file).arg(difference)));
}

QTEST_MAIN(tst_pictures)
#include "tst_pictures.moc"
