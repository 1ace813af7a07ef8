// The plain listing of a grid on the default printer, read back from the printed
// PDF: one line per row, column 0, the tab to character column 25, columns 1 to 5
// each followed by ten blanks, column 6; nothing printed when it cannot be done.
#include "GuiTest.h"
#include "PdfText.h"
#include "TestEnvironment.h"
#include "gui/browse/GridListing.h"
#include "gui/kit/Texts.h"

#include <QFile>
#include <QHeaderView>
#include <QPrinter>
#include <QStandardItemModel>
#include <QTableView>
#include <QtTest>

namespace {

using Rows = QList<QStringList>;

QStandardItemModel *gridModel(const Rows &rows, int columns, QObject *parent)
{
    auto *model = new QStandardItemModel(int(rows.size()), columns, parent);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < columns; ++c)
            model->setItem(r, c, new QStandardItem(rows.at(r).value(c)));
    return model;
}

// The line the listing prints for a row, as a line printer would place it.
QString printedLine(const QStringList &cells)
{
    const QString gap(10, QLatin1Char(' '));
    QString line = cells.at(0).leftJustified(24);
    for (int c = 1; c <= 5; ++c)
        line += cells.at(c) + gap;
    return line + cells.at(6);
}

// The listing's font on the test printer: the width of one character in points,
// and how many characters a line of the page holds.
double characterWidth()
{
    QPrinter printer(QPrinter::HighResolution);
    QFont font(browse::gridListingFontFamily());
    font.setPointSize(browse::gridListingFontPoints());
    return QFontMetricsF(font, &printer).horizontalAdvance(QLatin1Char(' ')) * 72.0 / printer.resolution();
}

// Characters on one line of the test printers' page.
int lineCapacity()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    return int(printer.pageRect(QPrinter::Point).width() / characterWidth());
}

// A line too long for the page: broken at the right edge, going on at column 25.
QStringList brokenAtTheEdge(const QString &whole)
{
    const int capacity = lineCapacity();
    QStringList lines = {whole.left(capacity)};
    for (qsizetype from = capacity; from < whole.size(); from += capacity - 24)
        lines.append(QString(24, QLatin1Char(' ')) + whole.mid(from, capacity - 24));
    return lines;
}

QStringList withoutTrailingBlanks(QStringList lines)
{
    for (QString &line : lines)
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
    return lines;
}

QStringList linesOnPaper(const TestEnvironment &env)
{
    return withoutTrailingBlanks(pdftext::characterLines(env.printers.pdfPath, characterWidth()));
}

// Rows fetched a thousand at a time, as a model over a large query does.
class LazyModel : public QAbstractTableModel {
public:
    explicit LazyModel(int rows) : m_rows(rows) {}
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : m_loaded; }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 8; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        return index.column() == 0 ? QStringLiteral("riga %1").arg(index.row())
                                   : QStringLiteral("c%1").arg(index.column());
    }
    bool canFetchMore(const QModelIndex &parent) const override { return !parent.isValid() && m_loaded < m_rows; }
    void fetchMore(const QModelIndex &parent) override
    {
        const int more = qMin(1000, m_rows - m_loaded);
        beginInsertRows(parent, m_loaded, m_loaded + more - 1);
        m_loaded += more;
        endInsertRows();
    }

private:
    int m_rows;
    int m_loaded = 0;
};

} // namespace

class tst_GridListing : public QObject {
    Q_OBJECT

private slots:
    void printedLines_data();
    void printedLines();
    void emptyGridEndsAnEmptyDocument();
    void noPrinterInstalled();
    void fewerThanSevenColumns();
    void printerThatCannotBeReached();
    void moreRowsThanSixteenBitsHold();
    void gridAsTheUserSeesIt();
};

void tst_GridListing::printedLines_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QStringList>("lines");
    // Short texts, so that a line fits across the page.
    const QStringList a = {QStringLiteral("1"),    QStringLiteral("St"),     QStringLiteral("Roma"),
                           QStringLiteral("T"),    QStringLiteral("Fo"),     QStringLiteral("12"),
                           QStringLiteral("2003"), QStringLiteral("OLTRE7"), QStringLiteral("OLTRE8")};
    const QStringList b = {QStringLiteral("2"),    QStringLiteral("Àrte"),   QStringLiteral("Gi"),
                           QStringLiteral("U"),    QStringLiteral("Ar"),     QStringLiteral("3"),
                           QStringLiteral("2006"), QStringLiteral("OLTRE7"), QStringLiteral("OLTRE8")};
    const QStringList c = {QStringLiteral("3"),  QStringLiteral("Mu"),     QStringLiteral("Verdi"),
                           QStringLiteral("V"),  QStringLiteral("Op"),     QStringLiteral("7"),
                           QStringLiteral("09"), QStringLiteral("OLTRE7"), QStringLiteral("OLTRE8")};
    QTest::newRow("three rows in grid order, columns 7 and 8 never")
        << Rows{a, b, c} << QStringList{printedLine(a), printedLine(b), printedLine(c)};

    QStringList emptyCells = a;
    emptyCells[2] = QString();
    emptyCells[6] = QString();
    QTest::newRow("empty cells keep their gaps")
        << Rows{a, emptyCells} << QStringList{printedLine(a), printedLine(emptyCells)};
    QStringList emptyFirst = b;
    emptyFirst[0] = QString();
    QTest::newRow("empty first cell") << Rows{a, emptyFirst} << QStringList{printedLine(a), printedLine(emptyFirst)};

    QStringList exactly = c;
    exactly[0] = QString(24, QLatin1Char('x'));
    QTest::newRow("first cell up to column 24") << Rows{exactly} << QStringList{printedLine(exactly)};

    QStringList past = c;
    past[0] = QString(30, QLatin1Char('y'));
    QStringList rest = c;
    rest[0] = QString();
    QTest::newRow("first cell past column 25 goes on below")
        << Rows{past} << QStringList{past.at(0), printedLine(rest)};

    QStringList twoLines = a;
    twoLines[3] = QStringLiteral("su\r\ndue");
    QStringList oneLine = a;
    oneLine[3] = QStringLiteral("su due");
    QTest::newRow("a line break inside a cell") << Rows{twoLines} << QStringList{printedLine(oneLine)};

    QStringList longCell = b;
    longCell[6] = QString(120, QLatin1Char('z'));
    QTest::newRow("a cell longer than a line is broken at the edge")
        << Rows{longCell, a} << (brokenAtTheEdge(printedLine(longCell)) << printedLine(a));

    QStringList wideCell = b;
    wideCell[6] = QString(30, QLatin1Char('w'));
    QStringList beforeIt = b;
    beforeIt[6] = QString();
    QTest::newRow("a cell that does not fit goes on below whole")
        << Rows{wideCell, a}
        << QStringList{printedLine(beforeIt), QString(24, QLatin1Char(' ')) + wideCell.at(6), printedLine(a)};
}

void tst_GridListing::printedLines()
{
    QFETCH(Rows, rows);
    QFETCH(QStringList, lines);
    TestEnvironment env;
    QObject owner;
    QStandardItemModel *model = gridModel(rows, 9, &owner);
    QVERIFY(browse::printGridListing(env.context, nullptr, *model));
    QVERIFY(env.dialogs.shown.isEmpty());
    QCOMPARE(linesOnPaper(env), withoutTrailingBlanks(lines)); // trailing blanks are no ink
}

void tst_GridListing::emptyGridEndsAnEmptyDocument()
{
    TestEnvironment env;
    QObject owner;
    QVERIFY(browse::printGridListing(env.context, nullptr, *gridModel({}, 12, &owner)));
    QVERIFY(QFile::exists(env.printers.pdfPath));
    QCOMPARE(pdftext::pageCount(env.printers.pdfPath), 1);
    QVERIFY(pdftext::lines(env.printers.pdfPath).isEmpty());
    QVERIFY(env.dialogs.shown.isEmpty());
}

void tst_GridListing::noPrinterInstalled()
{
    TestEnvironment env;
    env.printers.installed = false;
    QObject owner;
    QVERIFY(
        !browse::printGridListing(env.context, nullptr, *gridModel({QStringList(7, QStringLiteral("x"))}, 7, &owner)));
    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY_BOX(env.dialogs.last(), .icon = QMessageBox::Warning,
                .text = QStringLiteral("Nessuna stampante installata: impossibile stampare l'elenco."),
                .title = texts::applicationTitle());
    QVERIFY(!QFile::exists(env.printers.pdfPath));
}

void tst_GridListing::fewerThanSevenColumns()
{
    TestEnvironment env;
    QObject owner;
    QVERIFY(
        !browse::printGridListing(env.context, nullptr, *gridModel({QStringList(6, QStringLiteral("x"))}, 6, &owner)));
    QCOMPARE(env.dialogs.shown.size(), 1);
    QCOMPARE(env.dialogs.last().text,
             QStringLiteral("La griglia ha meno di sette colonne: impossibile stampare l'elenco."));
    QCOMPARE(env.printers.printersMade, 0);
    QVERIFY(!QFile::exists(env.printers.pdfPath));

    QTableView noModel;
    QVERIFY(!browse::printGridListing(env.context, noModel));
    QCOMPARE(env.dialogs.shown.size(), 2);
    QCOMPARE(env.printers.printersMade, 0);
}

void tst_GridListing::printerThatCannotBeReached()
{
    TestEnvironment env;
    env.printers.pdfPath = env.folder() + QStringLiteral("/cartella-che-non-esiste/elenco.pdf");
    QObject owner;
    QVERIFY(
        !browse::printGridListing(env.context, nullptr, *gridModel({QStringList(7, QStringLiteral("x"))}, 7, &owner)));
    QCOMPARE(env.dialogs.shown.size(), 1);
    QCOMPARE(env.dialogs.last().text, QStringLiteral("Impossibile avviare la stampa: controllare la stampante."));
}

void tst_GridListing::moreRowsThanSixteenBitsHold()
{
    TestEnvironment env;
    LazyModel model(33000);
    QVERIFY(browse::printGridListing(env.context, nullptr, model));
    const QStringList printed = pdftext::lines(env.printers.pdfPath);
    QCOMPARE(printed.size(), 33000);
    QVERIFY(printed.first().startsWith(QLatin1String("riga 0 ")));
    QVERIFY(printed.at(32767).startsWith(QLatin1String("riga 32767 ")));
    QVERIFY(printed.last().startsWith(QLatin1String("riga 32999 ")));
    QVERIFY(!printed.last().contains(QLatin1String("c7")));
    QVERIFY(pdftext::pageCount(env.printers.pdfPath) > 1); // pages follow one another when full
}

void tst_GridListing::gridAsTheUserSeesIt()
{
    TestEnvironment env;
    const QStringList a = {QStringLiteral("1"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"),
                           QStringLiteral("e"), QStringLiteral("f"), QStringLiteral("g"), QStringLiteral("h")};
    const QStringList b = {QStringLiteral("2"), QStringLiteral("j"), QStringLiteral("k"), QStringLiteral("l"),
                           QStringLiteral("m"), QStringLiteral("n"), QStringLiteral("o"), QStringLiteral("p")};
    QTableView grid;
    grid.setModel(gridModel({a, b}, 8, &grid));
    grid.horizontalHeader()->moveSection(7, 0); // the user dragged the last column to the front

    QVERIFY(browse::printGridListing(env.context, grid));
    const auto shown = [](const QStringList &cells) {
        return printedLine({cells.at(7), cells.at(0), cells.at(1), cells.at(2), cells.at(3), cells.at(4), cells.at(5)});
    };
    QCOMPARE(linesOnPaper(env), (QStringList{shown(a), shown(b)}));
    // The current cell is left on the last printed cell.
    QCOMPARE(grid.currentIndex().row(), 1);
    QCOMPARE(grid.currentIndex().column(), 5);
}

QTEST_MAIN(tst_GridListing)
#include "tst_GridListing.moc"
