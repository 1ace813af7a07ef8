// The catalogue out to a spreadsheet and a text file, read back by LibreOffice
// Calc: every cell as the catalogue holds it; nothing left behind when the
// export is cancelled or cannot be written.
#include "CatalogueFolder.h"
#include "CatalogueRows.h"
#include "OfficeReader.h"
#include "TestFiles.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/export/CatalogueExport.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace exporting;

namespace {

// Texts a spreadsheet is tempted to change: numbers, dates, leading zeros,
// blanks at the ends, quotes, separators, line breaks, markup, accents.
const QStringList awkwardTexts = {
    QStringLiteral("007"),
    QStringLiteral("1,5"),
    QStringLiteral("12/03/2009"),
    QStringLiteral("1E5"),
    QStringLiteral("=SOMMA(1;2)"),
    QStringLiteral("  due blanchi davanti e dietro  "),
    QStringLiteral("a   tre blanchi"),
    QStringLiteral("l'apostrofo e \"le virgolette\""),
    QStringLiteral("punto; e virgola"),
    QStringLiteral("prima riga\nseconda riga\n\nquarta"),
    QStringLiteral("<b>&amp;</b> > <"),
    QStringLiteral("àèéìòù ÀÈ ß € 😀"),
    QString(),
};

// The catalogue as a spreadsheet shows it: the headings, then every record with
// every field as text (a missing value empty).
QList<QStringList> expectedCells(const db::RowSource &rows)
{
    QList<QStringList> cells{rows.fieldNames()};
    for (int row = 0; row < rows.rowCount(); ++row) {
        QStringList values;
        for (int column = 0; column < rows.fieldNames().size(); ++column)
            values.append(rows.value(row, column).toString());
        cells.append(values);
    }
    return cells;
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT
private slots:
    void calcReadsEveryCellAsStored_data();
    void calcReadsEveryCellAsStored();
    void textFileAsItalianSpreadsheetsOpenIt();
    void cancelledOrFailedExportLeavesNoFile();
};

void TestExport::calcReadsEveryCellAsStored_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("whole"); // the whole catalogue in one pass, else the rows a window shows
    QTest::newRow("foglio di calcolo, tutto il catalogo") << QStringLiteral("catalogo.ods") << true;
    QTest::newRow("file di testo, tutto il catalogo") << QStringLiteral("catalogo.csv") << true;
    QTest::newRow("foglio di calcolo, righe di una finestra") << QStringLiteral("catalogo.ods") << false;
    QTest::newRow("file di testo, righe di una finestra") << QStringLiteral("catalogo.csv") << false;
}

void TestExport::calcReadsEveryCellAsStored()
{
    if (!testdata::officeAvailable())
        QSKIP("LibreOffice (soffice) non è installato");
    QFETCH(QString, name);
    QFETCH(bool, whole);
    CatalogueFolder env;
    QList<QVariantMap> records;
    for (const QString &text : awkwardTexts)
        records.append(QVariantMap{{QStringLiteral("Chiave"), text},
                        {QStringLiteral("Argomento"), text},
                        {QStringLiteral("N°"), QStringLiteral("012")},
                        {QStringLiteral("Note"), QString(text + QStringLiteral("\nAllegato:-documento.pdf"))},
                        {QStringLiteral("Prog"), QStringLiteral("0042")}});
    testdata::addRecords(env, records);
    const auto rows = env.store.catalogueSnapshot();
    const QString path = env.filePath(name);
    QVERIFY(write(path, *formatOf(path), whole ? wholeCatalogue(env.store) : rowsOf(rows)));

    const QList<QStringList> read = testdata::readWithOffice(path);
    const QList<QStringList> expected = expectedCells(*rows);
    QCOMPARE(read.size(), expected.size());
    for (qsizetype row = 0; row < expected.size(); ++row)
        QCOMPARE(read.at(row), expected.at(row));
}

void TestExport::textFileAsItalianSpreadsheetsOpenIt()
{
    CatalogueFolder env;
    testdata::addRecord(env, {{QStringLiteral("Chiave"), QStringLiteral("a;b\tc")},
                              {QStringLiteral("Note"), QStringLiteral("riga 1\r\nriga \"2\"")}});
    const auto rows = env.store.catalogueSnapshot();
    const QString path = env.filePath(QStringLiteral("catalogo.csv"));
    QVERIFY(write(path, Format::Text, rowsOf(rows)));
    const QByteArray id = QByteArray::number(rows->value(0, 0).toLongLong());
    QCOMPARE(testdata::fileBytes(path),
             QByteArray("\xEF\xBB\xBFID;Chiave;Argomento;Testo;Pubblicazione;N\xC2\xB0;Data;Pag;Par;Note;Allocazione;"
                        "Prog\r\n")
                 + id + QByteArray(";\"a;b\tc\";;;;;;;;\"riga 1\r\nriga \"\"2\"\"\";;\r\n"));
}

void TestExport::cancelledOrFailedExportLeavesNoFile()
{
    CatalogueFolder env;
    QList<QVariantMap> records;
    for (int i = 0; i < 10000; ++i)
        records.append(QVariantMap{{QStringLiteral("Chiave"), QStringLiteral("voce %1").arg(i)}});
    testdata::addRecords(env, records);
    const auto rows = env.store.catalogueSnapshot();
    for (const QString &name : {QStringLiteral("annullato.ods"), QStringLiteral("annullato.csv")}) {
        const QString path = env.filePath(name);
        testdata::writeBytes(path, "older file");
        qint64 reports = 0;
        QVERIFY(!write(path, *formatOf(path), rowsOf(rows), [&](qint64, qint64) { return ++reports < 2; }));
        QCOMPARE(testdata::fileBytes(path), QByteArray("older file"));
    }
    const QString missingFolder = env.filePath(QStringLiteral("manca/catalogo.csv"));
    QVERIFY_THROWS_EXCEPTION(ExportError, write(missingFolder, Format::Text, rowsOf(rows)));
    QVERIFY(!QFile::exists(missingFolder));
    QCOMPARE(QDir(env.folder()).entryList({QStringLiteral("*.ods*"), QStringLiteral("*.csv*")}, QDir::Files),
             QStringList({QStringLiteral("annullato.csv"), QStringLiteral("annullato.ods")}));
}

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
