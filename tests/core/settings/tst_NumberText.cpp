// Numbers in the settings file: the leading-number parse at its limits, and the
// text written for a single-precision value.
#include "core/settings/NumberText.h"

#include <QLocale>
#include <QTest>

#include <cmath>

class tst_NumberText : public QObject {
    Q_OBJECT

private slots:
    void leadingNumber_data();
    void leadingNumber();
    void singleText_data();
    void singleText();
};

void tst_NumberText::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    const double infinity = std::numeric_limits<double>::infinity();
    QTest::newRow("fraction kept") << QStringLiteral("1234.5") << 1234.5;
    QTest::newRow("line feed skipped") << QStringLiteral("1\n2") << 12.0;
    QTest::newRow("carriage return ends") << QStringLiteral("1\r2") << 1.0;
    QTest::newRow("second point ends") << QStringLiteral("1.2.3") << 1.2;
    QTest::newRow("zero with huge exponent") << QStringLiteral("0e99999999999") << 0.0;
    QTest::newRow("tiny") << QStringLiteral("1e-99999") << 0.0;
    QTest::newRow("overflow") << QStringLiteral("9e400") << infinity;
    QTest::newRow("negative overflow") << QStringLiteral("-9e400") << -infinity;
    QTest::newRow("thousand digits") << QString(1000, QLatin1Char('1')) << infinity;
    QTest::newRow("many digits then a small exponent")
        << QString(900, QLatin1Char('1')) + QStringLiteral("e-899") << 1.1111111111111112;
    QTest::newRow("many fraction digits") << QStringLiteral("0.") + QString(2000, QLatin1Char('3')) << 1.0 / 3;
    QTest::newRow("octal with blanks") << QStringLiteral("& o 1 7") << 15.0;
    QTest::newRow("hexadecimal 16-bit") << QStringLiteral("&HFFFE") << -2.0;
    QTest::newRow("hexadecimal 32-bit") << QStringLiteral("&H80000000") << -2147483648.0;
    QTest::newRow("hexadecimal overflow") << QStringLiteral("&HFFFFFFFFFFFFFFFFFFFF") << infinity;
    QTest::newRow("full-width digit is no digit") << QStringLiteral("\uFF11") << 0.0;
}

void tst_NumberText::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(numbertext::leadingNumber(text), expected);
}

void tst_NumberText::singleText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("italian");
    QTest::addColumn<QString>("c");
    QTest::newRow("whole") << 2000.0 << QStringLiteral("2000") << QStringLiteral("2000");
    QTest::newRow("fraction") << 1234.5 << QStringLiteral("1234,5") << QStringLiteral("1234.5");
    QTest::newRow("no group separator") << 1234567.0 << QStringLiteral("1234567") << QStringLiteral("1234567");
    QTest::newRow("single precision") << 1234.1 << QStringLiteral("1234,1") << QStringLiteral("1234.1");
    QTest::newRow("negative") << -60.0 << QStringLiteral("-60") << QStringLiteral("-60");
    QTest::newRow("beyond single range") << 1e300 << QStringLiteral("3,402823E+38") << QStringLiteral("3.402823e+38");
}

void tst_NumberText::singleText()
{
    QFETCH(double, value);
    QFETCH(QString, italian);
    QFETCH(QString, c);
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    QCOMPARE(numbertext::singleText(value), italian);
    QLocale::setDefault(QLocale::c());
    QCOMPARE(numbertext::singleText(value), c);
}

QTEST_GUILESS_MAIN(tst_NumberText)
#include "tst_NumberText.moc"
