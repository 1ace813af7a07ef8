// The banded report engine and the layout of the catalogue report: the layout as
// data, page counts and the records of each page, placeholders, and what the
// printed pages show.
#include "PdfText.h"
#include "ReportRows.h"
#include "core/report/BandedReport.h"
#include "core/report/CatalogueReportLayout.h"

#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QtTest>

using report::BandedReport;
using report::ReportBand;
using report::ReportControl;
using report::ReportLayout;

namespace {

QSize paper(QPageSize::PageSizeId id)
{
    return BandedReport::paperTwips(QPageLayout(QPageSize(id), QPageLayout::Portrait, QMarginsF()));
}

const QDate aTuesday(2026, 12, 8);

// Twips at 96 dpi: 15 to a pixel.
QImage pageImage(const BandedReport &shown, int page)
{
    const QSize size = shown.paperTwips() / 15;
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(96 / 0.0254));
    image.setDotsPerMeterY(qRound(96 / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    BandedReport::scaleToTwips(painter);
    shown.drawPage(painter, page);
    return image;
}

// Pixels that are not white inside a rectangle given in twips.
int inkIn(const QImage &image, const QRect &twips)
{
    const QRect pixels(twips.left() / 15 + 1, twips.top() / 15 + 1, twips.width() / 15 - 2, twips.height() / 15 - 2);
    int ink = 0;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y)
        for (int x = pixels.left(); x <= pixels.right(); ++x)
            ink += image.pixel(x, y) != qRgb(255, 255, 255);
    return ink;
}

const ReportBand &bandNamed(const ReportLayout &layout, const QString &name)
{
    for (const ReportBand *band : layout.bands())
        if (band->name == name)
            return *band;
    qFatal("no band %s", qPrintable(name));
}

} // namespace

class tst_BandedReport : public QObject {
    Q_OBJECT

private slots:
    void layoutBands_data();
    void layoutBands();
    void layoutControls_data();
    void layoutControls();
    void layoutPage();

    void placeholders_data();
    void placeholders();

    void pageCount_data();
    void pageCount();
    void everyRecordOnExactlyOnePage_data();
    void everyRecordOnExactlyOnePage();
    void reportFooterThatDoesNotFitTakesAPage();
    void detailTallerThanThePage();
    void anyPageOfAMillionRecordsReadsOnlyItsRows();
    void missingFields();

    void printedPdfReadsAsTheReport();
    void pagesOfALongerReport();
    void emptyFieldPrintsNothingButItsCaption();
    void longPageNumbersStayInTheirBoxes();
    void valuesEndBeforeTheNextBoxOnTheirLine_data();
    void valuesEndBeforeTheNextBoxOnTheirLine();
    void aValueThatFitsIsPrintedWhole();
};

void tst_BandedReport::layoutBands_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("controls");
    QTest::newRow("report header") << 0 << "Section4" << 570 << 1;
    QTest::newRow("page header") << 1 << "Section2" << 570 << 3;
    QTest::newRow("detail") << 2 << "Section1" << 3135 << 24;
    QTest::newRow("page footer") << 3 << "Section3" << 570 << 5;
    QTest::newRow("report footer") << 4 << "Section5" << 18 << 0;
}

void tst_BandedReport::layoutBands()
{
    QFETCH(int, position);
    QFETCH(QString, name);
    QFETCH(int, height);
    QFETCH(int, controls);
    const ReportLayout layout = report::catalogueReportLayout();
    const ReportBand *band = layout.bands().at(position);
    QCOMPARE(band->name, name);
    QCOMPARE(band->height, height);
    QCOMPARE(band->controls.size(), controls);
}

void tst_BandedReport::layoutControls_data()
{
    QTest::addColumn<QString>("band");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("bold");

    const QString narrow = QStringLiteral("Arial Narrow");
    const QString verdana = QStringLiteral("Verdana");
    const int L = ReportControl::Label, F = ReportControl::Field, H = ReportControl::Line;
    struct Row {
        const char *band;
        int index;
        const char *name;
        int kind;
        QString text;
        QRect twips;
    };
    const Row rows[] = {
        {"Section4", 0, "Label5", L, QStringLiteral("%D"), {567, 0, 3405, 570}},
        {"Section2", 0, "Line1", H, QString(), {0, 567, 3969, 0}},
        {"Section2", 1, "Line2", H, QString(), {3969, 567, 4320, 0}},
        {"Section2", 2, "Label13", L, QStringLiteral("Elenco "), {567, 0, 3402, 285}},
        {"Section1", 0, "Label2", L, QStringLiteral("ID"), {567, 0, 570, 255}},
        {"Section1", 1, "Label1", L, QStringLiteral("Progr."), {1134, 0, 555, 255}},
        {"Section1", 2, "Label7", L, QStringLiteral("Chiave"), {2268, 0, 1710, 285}},
        {"Section1", 3, "Label3", L, QStringLiteral("Argomento"), {3969, 0, 1710, 285}},
        {"Section1", 4, "Label8", L, QStringLiteral("Testo"), {6236, 0, 1710, 285}},
        {"Section1", 5, "TextBox2", F, QStringLiteral("ID"), {567, 567, 1125, 300}},
        {"Section1", 6, "TextBox4", F, QStringLiteral("Prog"), {1134, 567, 1140, 300}},
        {"Section1", 7, "TextBox3", F, QStringLiteral("Chiave"), {2268, 567, 2280, 300}},
        {"Section1", 8, "TextBox1", F, QStringLiteral("Argomento"), {3969, 567, 2280, 300}},
        {"Section1", 9, "TextBox5", F, QStringLiteral("Testo"), {6236, 567, 2280, 300}},
        {"Section1", 10, "Label12", L, QStringLiteral("Pubblicazione"), {567, 1134, 1710, 285}},
        {"Section1", 11, "Label10", L, QStringLiteral("N°"), {2268, 1134, 555, 255}},
        {"Section1", 12, "Label11", L, QStringLiteral("Data"), {3969, 1134, 1140, 255}},
        {"Section1", 13, "Label9", L, QStringLiteral("Pag"), {6236, 1134, 1140, 255}},
        {"Section1", 14, "TextBox6", F, QStringLiteral("Pubblicazione"), {567, 1701, 2280, 300}},
        {"Section1", 15, "TextBox7", F, QStringLiteral("N°"), {2268, 1701, 570, 300}},
        {"Section1", 16, "TextBox8", F, QStringLiteral("Data"), {3969, 1701, 1125, 300}},
        {"Section1", 17, "TextBox9", F, QStringLiteral("Pag"), {6236, 1701, 1140, 300}},
        {"Section1", 18, "Label14", L, QStringLiteral("Par"), {567, 2268, 1134, 255}},
        {"Section1", 19, "Label15", L, QStringLiteral("Note"), {2268, 2268, 1125, 255}},
        {"Section1", 20, "Label16", L, QStringLiteral("Allocazione"), {3969, 2268, 2834, 255}},
        {"Section1", 21, "TextBox10", F, QStringLiteral("Par"), {567, 2835, 1134, 300}},
        {"Section1", 22, "TextBox11", F, QStringLiteral("Note"), {2268, 2835, 1125, 300}},
        {"Section1", 23, "TextBox12", F, QStringLiteral("Allocazione"), {3969, 2835, 1125, 300}},
        {"Section3", 0, "Label17", L, QStringLiteral("%p"), {6236, 0, 570, 570}},
        {"Section3", 1, "Label18", L, QStringLiteral("Pagina"), {5102, 0, 990, 285}},
        {"Section3", 2, "Line3", H, QString(), {0, 0, 9075, 0}},
        {"Section3", 3, "Label4", L, QStringLiteral("di"), {6803, 0, 570, 285}},
        {"Section3", 4, "Label6", L, QStringLiteral("%P"), {7370, 0, 570, 570}},
    };
    for (const Row &row : rows) {
        const bool footer = QLatin1String(row.band) == QLatin1String("Section3");
        const QString family = row.kind == H ? QString() : footer ? verdana : narrow;
        const double points = row.kind == H ? 0.0 : footer ? 9.75 : 11.25;
        const bool bold = row.kind == L;
        QTest::newRow(row.name) << QString::fromLatin1(row.band) << row.index << QString::fromLatin1(row.name)
                                << row.kind << row.text << row.twips << family << points << bold;
    }
}

void tst_BandedReport::layoutControls()
{
    QFETCH(QString, band);
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(QRect, twips);
    QFETCH(QString, family);
    QFETCH(double, points);
    QFETCH(bool, bold);

    const ReportLayout layout = report::catalogueReportLayout();
    const ReportControl &control = bandNamed(layout, band).controls.at(index);
    QCOMPARE(control.name, name);
    QCOMPARE(int(control.kind), kind);
    QCOMPARE(control.text, text);
    QCOMPARE(control.twips, twips);
    if (kind != ReportControl::Line) {
        QCOMPARE(control.font.family(), family);
        QCOMPARE(control.font.pointSizeF(), points);
        QCOMPARE(control.font.bold(), bold);
    }
}

void tst_BandedReport::layoutPage()
{
    const ReportLayout layout = report::catalogueReportLayout();
    QCOMPARE(layout.reportWidth, 11340);
    QCOMPARE(layout.leftMargin, 0);
    QCOMPARE(layout.rightMargin, 0);
    QCOMPARE(layout.topMargin + layout.bottomMargin, 800);
    QVERIFY(layout.topMargin == 0 || layout.bottomMargin == 0);
    QCOMPARE(layout.defaultFont.family(), QStringLiteral("Arial"));
    QCOMPARE(layout.defaultFont.pointSizeF(), 8.0);
    // Every field of Tabella is printed once, by its exact name.
    QStringList printed = layout.fieldNames();
    QStringList fields = db::tabellaFields();
    printed.sort();
    fields.sort();
    QCOMPARE(printed, fields);
}

void tst_BandedReport::placeholders_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("printed");
    QTest::newRow("date") << "%D" << QStringLiteral("martedì 8 dicembre 2026");
    QTest::newRow("page") << "%p"
                          << "3";
    QTest::newRow("pages") << "%P"
                           << "12";
    QTest::newRow("in a sentence") << "Pagina %p di %P"
                                   << "Pagina 3 di 12";
    QTest::newRow("plain text") << "Elenco "
                                << "Elenco ";
    QTest::newRow("lone percent") << "100%"
                                  << "100%";
    QTest::newRow("other letter") << "%d %x"
                                  << "%d %x";
    QTest::newRow("doubled percent") << "%%p"
                                     << "%3";
    QTest::newRow("empty") << ""
                           << "";
}

void tst_BandedReport::placeholders()
{
    QFETCH(QString, caption);
    QFETCH(QString, printed);
    QCOMPARE(report::expandPlaceholders(caption, aTuesday, 3, 12), printed);
}

void tst_BandedReport::pageCount_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("a4Pages");
    QTest::addColumn<int>("letterPages");
    // Four detail bands fit under the headers of an A4 or Letter sheet.
    QTest::newRow("none") << 0 << 1 << 1;
    QTest::newRow("one") << 1 << 1 << 1;
    QTest::newRow("three") << 3 << 1 << 1;
    QTest::newRow("four") << 4 << 1 << 1;
    QTest::newRow("five") << 5 << 2 << 2;
    QTest::newRow("eight") << 8 << 2 << 2;
    QTest::newRow("nine") << 9 << 3 << 3;
    QTest::newRow("a million") << 1000000 << 250000 << 250000;
}

void tst_BandedReport::pageCount()
{
    QFETCH(int, records);
    QFETCH(int, a4Pages);
    QFETCH(int, letterPages);
    const reportrows::GeneratedRows rows(records);
    QCOMPARE(BandedReport(report::catalogueReportLayout(), rows, paper(QPageSize::A4)).pageCount(), a4Pages);
    QCOMPARE(BandedReport(report::catalogueReportLayout(), rows, paper(QPageSize::Letter)).pageCount(), letterPages);
    QCOMPARE(rows.reads, 0); // counted, not read
}

void tst_BandedReport::everyRecordOnExactlyOnePage_data()
{
    QTest::addColumn<int>("records");
    for (int records : {0, 1, 3, 4, 5, 7, 8, 9, 17, 100})
        QTest::addRow("%d", records) << records;
}

void tst_BandedReport::everyRecordOnExactlyOnePage()
{
    QFETCH(int, records);
    const reportrows::GeneratedRows rows(records);
    const BandedReport shown(report::catalogueReportLayout(), rows, paper(QPageSize::A4));
    int next = 0;
    for (int page = 1; page <= shown.pageCount(); ++page) {
        const BandedReport::Records on = shown.recordsOn(page);
        QCOMPARE(on.first, next);
        QVERIFY(on.count <= 4);
        next += on.count;
    }
    QCOMPARE(next, records);
    QCOMPARE(shown.recordsOn(0).count, 0);
    QCOMPARE(shown.recordsOn(shown.pageCount() + 1).count, 0);
}

void tst_BandedReport::reportFooterThatDoesNotFitTakesAPage()
{
    ReportLayout layout;
    layout.pageHeader = {QStringLiteral("testata"), 100, {}};
    layout.pageFooter = {QStringLiteral("piede"), 100, {}};
    layout.detail = {QStringLiteral("dettaglio"), 100, {}};
    layout.reportFooter = {QStringLiteral("fine"), 18, {}};
    const QSize sheet(1000, 600); // room for four details between the page bands

    const reportrows::GeneratedRows three(3), four(4);
    QCOMPARE(BandedReport(layout, three, sheet).pageCount(), 1);
    const BandedReport full(layout, four, sheet);
    QCOMPARE(full.pageCount(), 2);
    QCOMPARE(full.recordsOn(1).count, 4);
    QCOMPARE(full.recordsOn(2).count, 0);
}

void tst_BandedReport::detailTallerThanThePage()
{
    ReportLayout layout = report::catalogueReportLayout();
    layout.detail.height = 40000;
    const reportrows::GeneratedRows rows(3);
    const BandedReport shown(layout, rows, paper(QPageSize::A4));
    int placed = 0;
    for (int page = 1; page <= shown.pageCount(); ++page)
        placed += shown.recordsOn(page).count;
    QCOMPARE(placed, 3);
    // The headers alone, one record a page, and the report footer after the
    // overflowing last band on a page of its own.
    QCOMPARE(shown.pageCount(), 5);
}

void tst_BandedReport::anyPageOfAMillionRecordsReadsOnlyItsRows()
{
    const reportrows::GeneratedRows rows(1000000);
    const BandedReport shown(report::catalogueReportLayout(), rows, paper(QPageSize::A4));
    QCOMPARE(shown.pageCount(), 250000);
    QCOMPARE(shown.recordsOn(250000).first, 999996);
    QCOMPARE(shown.recordsOn(250000).count, 4);
    QCOMPARE(shown.recordsOn(123457).first, 493824);

    rows.forget();
    pageImage(shown, 250000);
    QCOMPARE(rows.lowestRowRead, 999996);
    QCOMPARE(rows.highestRowRead, 999999);
    QCOMPARE(rows.reads, 4 * 12); // the twelve fields of four records
}

void tst_BandedReport::missingFields()
{
    const reportrows::GeneratedRows complete(1);
    QVERIFY(BandedReport(report::catalogueReportLayout(), complete, paper(QPageSize::A4)).missingFields().isEmpty());

    QStringList fields = db::tabellaFields();
    fields.removeAll(QStringLiteral("N°"));
    fields.append(QStringLiteral("N"));
    const db::MemoryRowSource withoutNumber(fields, {});
    QCOMPARE(BandedReport(report::catalogueReportLayout(), withoutNumber, paper(QPageSize::A4)).missingFields(),
             QStringList{QStringLiteral("N°")});
}

void tst_BandedReport::printedPdfReadsAsTheReport()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    const db::MemoryRowSource rows = reportrows::records(3);
    const BandedReport shown(report::catalogueReportLayout(), rows, paper(QPageSize::A4), aTuesday);
    QPdfWriter printer(pdf);
    printer.setResolution(1200);
    printer.setPageMargins(QMarginsF());
    printer.setPageSize(QPageSize(QPageSize::A4));
    QVERIFY(shown.print(printer, 1, shown.pageCount()));

    QCOMPARE(pdftext::pageCount(pdf), 1);
    const QString text = pdftext::text(pdf, true).simplified(); // read line by line, as placed
    // Date line, heading, three records in order, then the page footer.
    QStringList expected = {QStringLiteral("martedì 8 dicembre 2026"), QStringLiteral("Elenco")};
    for (int n = 1; n <= 3; ++n) {
        for (const QString &caption : {QStringLiteral("ID"), QStringLiteral("Progr."), QStringLiteral("Chiave"),
                                       QStringLiteral("Argomento"), QStringLiteral("Testo")})
            expected << caption;
        expected << QString::number(n) << QStringLiteral("Prog %1").arg(n) << QStringLiteral("Chiave %1").arg(n)
                 << QStringLiteral("Argomento %1").arg(n) << QStringLiteral("Testo %1").arg(n)
                 << QStringLiteral("Pubblicazione") << QStringLiteral("N°") << QStringLiteral("Data")
                 << QStringLiteral("Pag") << QStringLiteral("Pubblicazione %1").arg(n) << QStringLiteral("N° %1").arg(n)
                 << QStringLiteral("Data %1").arg(n) << QStringLiteral("Pag %1").arg(n) << QStringLiteral("Par")
                 << QStringLiteral("Note") << QStringLiteral("Allocazione") << QStringLiteral("Par %1").arg(n)
                 << QStringLiteral("Note %1").arg(n) << QStringLiteral("Allocazione %1").arg(n);
    }
    expected << QStringLiteral("Pagina 1 di 1");
    qsizetype from = 0;
    for (const QString &piece : expected) {
        const qsizetype at = text.indexOf(piece, from);
        QVERIFY2(at >= 0,
                 qPrintable(QStringLiteral("\"%1\" missing after position %2 of: %3").arg(piece).arg(from).arg(text)));
        from = at + piece.size();
    }
    QVERIFY(!text.contains(QLatin1String("%D")));
    QVERIFY(!text.contains(QLatin1String("%p")));
}

void tst_BandedReport::pagesOfALongerReport()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    const db::MemoryRowSource rows = reportrows::records(9);
    const BandedReport shown(report::catalogueReportLayout(), rows, paper(QPageSize::A4), aTuesday);
    QPdfWriter printer(pdf);
    printer.setResolution(1200);
    printer.setPageMargins(QMarginsF());
    printer.setPageSize(QPageSize(QPageSize::A4));
    QVERIFY(shown.print(printer, 2, 3)); // a range, as the print dialog gives it

    QCOMPARE(pdftext::pageCount(pdf), 2);
    const QStringList pages = pdftext::text(pdf, true).split(QLatin1Char('\f'));
    const QString second = pages.at(0).simplified();
    const QString third = pages.at(1).simplified();
    QVERIFY(second.startsWith(QLatin1String("Elenco"))); // the date line only opens the report
    QVERIFY(second.contains(QLatin1String("Chiave 5")));
    QVERIFY(second.contains(QLatin1String("Chiave 8")));
    QVERIFY(!second.contains(QLatin1String("Chiave 9")));
    QVERIFY(second.contains(QLatin1String("Pagina 2 di 3")));
    QVERIFY(third.contains(QLatin1String("Chiave 9")));
    QVERIFY(third.contains(QLatin1String("Pagina 3 di 3")));
    QVERIFY(!third.contains(QLatin1String("dicembre")));
}

void tst_BandedReport::emptyFieldPrintsNothingButItsCaption()
{
    const db::MemoryRowSource rows = reportrows::records(2, {QStringLiteral("Testo")});
    const db::MemoryRowSource filled = reportrows::records(2);
    const ReportLayout layout = report::catalogueReportLayout();
    const QImage empty = pageImage(BandedReport(layout, rows, paper(QPageSize::A4)), 1);
    const QImage full = pageImage(BandedReport(layout, filled, paper(QPageSize::A4)), 1);

    // The first detail band starts under the report header and the page header.
    const int detailTop = layout.topMargin + layout.reportHeader.height + layout.pageHeader.height;
    const QRect value = layout.detail.control(QStringLiteral("TextBox5"))->twips.translated(0, detailTop);
    const QRect caption = layout.detail.control(QStringLiteral("Label8"))->twips.translated(0, detailTop);
    QCOMPARE(inkIn(empty, value), 0);
    QVERIFY(inkIn(full, value) > 0);
    QVERIFY(inkIn(empty, caption) > 0);
    QCOMPARE(inkIn(empty, caption), inkIn(full, caption));
}

void tst_BandedReport::longPageNumbersStayInTheirBoxes()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    const reportrows::GeneratedRows rows(1000000);
    const BandedReport shown(report::catalogueReportLayout(), rows, paper(QPageSize::A4), aTuesday);
    QPdfWriter printer(pdf);
    printer.setResolution(1200);
    printer.setPageMargins(QMarginsF());
    printer.setPageSize(QPageSize(QPageSize::A4));
    QVERIFY(shown.print(printer, 123457, 123457));

    const ReportBand &footer = shown.layout().pageFooter;
    const auto rightEdge = [&](const char *label) { // in points, as pdftotext gives them
        const ReportControl *c = footer.control(QString::fromLatin1(label));
        return (shown.layout().leftMargin + c->twips.left() + c->twips.width()) / 20.0;
    };
    QStringList footerWords;
    for (const pdftext::Word &word : pdftext::words(pdf)) {
        if (word.text == QLatin1String("123457"))
            QVERIFY2(word.right <= rightEdge("Label17") + 0.5, qPrintable(QString::number(word.right)));
        if (word.text == QLatin1String("250000"))
            QVERIFY2(word.right <= rightEdge("Label6") + 0.5, qPrintable(QString::number(word.right)));
        if (word.y > 800)
            footerWords.append(word.text);
    }
    QCOMPARE(footerWords.join(u' '), QStringLiteral("Pagina 123457 di 250000"));
}

namespace {
// One record whose every value is far longer than its box.
db::MemoryRowSource longRecord(const QString &id, const QString &fill)
{
    const QStringList fields = db::tabellaFields();
    QVector<QVariant> row;
    for (const QString &field : fields)
        row.append(field == QStringLiteral("ID") ? QVariant(id) : QVariant(field.left(3) + fill));
    return db::MemoryRowSource(fields, {row});
}

QString printToPdf(const QTemporaryDir &dir, const BandedReport &shown)
{
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    QPdfWriter printer(pdf);
    printer.setResolution(1200);
    printer.setPageMargins(QMarginsF());
    printer.setPageSize(QPageSize(QPageSize::A4));
    return shown.print(printer, 1, shown.pageCount()) ? pdf : QString();
}
} // namespace

void tst_BandedReport::valuesEndBeforeTheNextBoxOnTheirLine_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("fill");
    QTest::newRow("six-digit ID, words") << "123456" << QString(QStringLiteral(" parola lunga").repeated(20));
    QTest::newRow("one endless word") << "999999" << QString(200, QLatin1Char('W'));
    QTest::newRow("line breaks in a note") << "100000" << QStringLiteral("\r\nAllegato:-scansione.pdf").repeated(9);
}

void tst_BandedReport::valuesEndBeforeTheNextBoxOnTheirLine()
{
    QFETCH(QString, id);
    QFETCH(QString, fill);
    QTemporaryDir dir;
    const db::MemoryRowSource rows = longRecord(id, fill);
    const BandedReport shown(report::catalogueReportLayout(), rows, paper(QPageSize::A4), aTuesday);
    const QString pdf = printToPdf(dir, shown);
    QVERIFY(!pdf.isEmpty());

    // Each value's words lie between its box's left edge and the next box on its
    // line; no word of one value reaches under the next.
    const ReportLayout &layout = shown.layout();
    const int detailTop = layout.topMargin + layout.reportHeader.height + layout.pageHeader.height;
    const QList<pdftext::Word> words = pdftext::words(pdf);
    int fieldsSeen = 0;
    for (const ReportControl &field : layout.detail.controls) {
        if (field.kind != ReportControl::Field)
            continue;
        const QRect box = field.twips.translated(layout.leftMargin, detailTop);
        QRect nextBox; // the nearest box to the right on the same line, if any
        for (const ReportControl &other : layout.detail.controls)
            if (other.twips.top() == field.twips.top() && other.twips.left() > field.twips.left()
                && (nextBox.isNull() || other.twips.left() < nextBox.left()))
                nextBox = other.twips.translated(layout.leftMargin, detailTop);
        const bool neighbourFirst = !nextBox.isNull() && nextBox.left() < box.left() + box.width();
        const double limit = (neighbourFirst ? nextBox.left() : box.left() + box.width()) / 20.0;
        const double end = neighbourFirst ? limit - 1.0 : limit + 0.5; // clear space before a neighbour
        QStringList printed;
        for (const pdftext::Word &word : words) {
            const bool onItsLine = word.y >= box.top() / 20.0 - 2 && word.y < (box.top() + box.height()) / 20.0;
            if (onItsLine && word.x >= box.left() / 20.0 - 0.5 && word.x < limit) {
                QVERIFY2(word.right <= end,
                         qPrintable(QStringLiteral("%1: \"%2\" ends at %3, its room at %4")
                                        .arg(field.name, word.text)
                                        .arg(word.right)
                                        .arg(limit)));
                printed.append(word.text);
            }
        }
        // What is printed is the start of the value, as far as it goes.
        const QString value = field.text == QStringLiteral("ID") ? id : field.text.left(3) + fill;
        const QString shownText = printed.join(u' ');
        QVERIFY2(!shownText.isEmpty(), qPrintable(field.name));
        QVERIFY2(value.simplified().startsWith(shownText), qPrintable(field.name + QStringLiteral(": ") + shownText));
        ++fieldsSeen;
    }
    QCOMPARE(fieldsSeen, 12);
}

void tst_BandedReport::aValueThatFitsIsPrintedWhole()
{
    QTemporaryDir dir;
    const db::MemoryRowSource rows = longRecord(QStringLiteral("12345"), QStringLiteral("x"));
    const BandedReport shown(report::catalogueReportLayout(), rows, paper(QPageSize::A4), aTuesday);
    const QString text = pdftext::text(printToPdf(dir, shown), true).simplified();
    for (const QString &whole : {QStringLiteral("12345"), QStringLiteral("Pubx"), QStringLiteral("N°x"),
                                 QStringLiteral("Chix"), QStringLiteral("Allx")})
        QVERIFY2(text.contains(whole), qPrintable(whole + QStringLiteral(" in ") + text));
}

QTEST_MAIN(tst_BandedReport)
#include "tst_BandedReport.moc"
