// The read-only grid model over a row source: what the grid shows, its headings,
// and that binding a very large result reads no rows until they are shown.
#include "CatalogueRows.h"
#include "TestEnvironment.h"
#include "core/catalogue/Catalogue.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/catalogue/RowSourceModel.h"
#include "gui/kit/DataGrid.h"
#include "gui/kit/RowWindow.h"

#include <QStandardItemModel>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLocale>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

using namespace db;

namespace {
// A result of any size whose cells are computed, counting the cells read.
class CountingRows : public RowSource {
public:
    explicit CountingRows(int rows) : m_rows(rows) {}
    int rowCount() const override { return m_rows; }
    QStringList fieldNames() const override { return tabellaFields(); }
    QVariant value(int row, int column) const override
    {
        ++reads;
        return column == 0 ? QVariant(qint64(row) + 1) : QVariant(QStringLiteral("r%1c%2").arg(row).arg(column));
    }
    mutable int reads = 0;

private:
    int m_rows;
};

std::shared_ptr<RowSource> memoryRows()
{
    return std::make_shared<MemoryRowSource>(
        QStringList{QStringLiteral("ID"), QStringLiteral("Chiave"), QStringLiteral("N\u00B0")},
        QVector<QVector<QVariant>>{{qint64(12345), QStringLiteral("Città"), QStringLiteral("7")},
                                   {qint64(2), QVariant(), QStringLiteral("")}});
}
} // namespace

class TestRowSourceModel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }

    void passesTheModelTester()
    {
        RowSourceModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setSource(memoryRows());
        model.setSource(std::make_shared<CountingRows>(1000));
        model.setSource(nullptr);
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.columnCount(), 0);
    }

    void showsCellsAsStored_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("counter without thousands separator") << 0 << 0 << QVariant(QStringLiteral("12345"));
        QTest::newRow("accented text") << 0 << 1 << QVariant(QStringLiteral("Città"));
        QTest::newRow("missing value shows nothing") << 1 << 1 << QVariant();
        QTest::newRow("empty text") << 1 << 2 << QVariant(QStringLiteral(""));
    }
    void showsCellsAsStored()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QVariant, expected);
        RowSourceModel model;
        model.setSource(memoryRows());
        QCOMPARE(model.data(model.index(row, column)), expected);
        QCOMPARE(model.data(model.index(row, column), Qt::EditRole), expected);
    }

    void headsColumnsWithFieldNames()
    {
        RowSourceModel model;
        model.setSource(std::make_shared<CountingRows>(3));
        QStringList headings;
        for (int c = 0; c < model.columnCount(); ++c)
            headings.append(model.headerData(c, Qt::Horizontal).toString());
        QCOMPARE(headings, tabellaFields());
        QCOMPARE(model.headerData(0, Qt::Vertical), QVariant());
    }

    void isReadOnly()
    {
        RowSourceModel model;
        model.setSource(memoryRows());
        const QModelIndex cell = model.index(0, 1);
        QVERIFY(!(model.flags(cell) & Qt::ItemIsEditable));
        QVERIFY(!model.setData(cell, QStringLiteral("altro")));
        QCOMPARE(model.data(cell).toString(), QStringLiteral("Città"));
    }

    void replacingTheRowsResetsTheModel()
    {
        RowSourceModel model;
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        model.setSource(memoryRows());
        QCOMPARE(reset.count(), 1);
        QCOMPARE(model.rowCount(), 2);
        model.setSource(std::make_shared<CountingRows>(5));
        QCOMPARE(reset.count(), 2);
        QCOMPARE(model.rowCount(), 5);
        QCOMPARE(model.columnCount(), 12);
    }

    // A million rows bound to a shown grid: only the cells in view are read, also
    // after jumping to the last row.
    void largeResultReadsOnlyTheRowsInView()
    {
        auto rows = std::make_shared<CountingRows>(1'000'000);
        RowSourceModel model;
        QTableView grid;
        datagrid::prepareForLargeResults(grid);
        grid.resize(600, 400);
        grid.setModel(&model);
        model.setSource(rows);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QCOMPARE(model.rowCount(), 1'000'000);
        QVERIFY2(rows->reads < 2000, qPrintable(QString::number(rows->reads)));
        rows->reads = 0;
        grid.scrollToBottom();
        QApplication::processEvents();
        grid.repaint();
        QVERIFY(rows->reads > 0);
        QVERIFY2(rows->reads < 2000, qPrintable(QString::number(rows->reads)));
        const int lastShown = grid.rowAt(grid.viewport()->height() - 1);
        QVERIFY(lastShown > 999'900);
        QCOMPARE(model.data(model.index(999'999, 0)).toString(), QStringLiteral("1000000"));
    }

    // More records than the first batch, shown in a grid whose window holds
    // fewer rows than them: the rows that arrive later, reached page by page, by
    // the scroll bar and by Ctrl+End, are those of the catalogue, in ID order,
    // none twice; a record deleted meanwhile shows empty.
    void rowsArrivingLaterAreTheRecordsInTheirOrder()
    {
        TestEnvironment env;
        QList<QVariantMap> records;
        for (int n = 0; n < 5000; ++n)
            records.append({{QStringLiteral("Chiave"), QStringLiteral("k%1").arg(n)}});
        for (const qint64 id : {70000, 70001, 900000}) // IDs far apart, as after a conversion
            records.append({{QStringLiteral("ID"), id}, {QStringLiteral("Chiave"), QStringLiteral("lontano")}});
        testdata::addRecords(env, records);
        testdata::runSql(env, {QStringLiteral("DELETE FROM Tabella WHERE ID % 7 = 0")});
        const QStringList ids = testdata::storedField(env, QStringLiteral("ID"));

        RowSourceModel model;
        datagrid::DataGridView grid;
        grid.setModel(&model);
        auto *window = qobject_cast<RowWindow *>(grid.model());
        window->setCapacity(300);
        grid.resize(500, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        model.setSource(env.store.catalogueSnapshot());
        QVERIFY(model.rowCount() < ids.size()); // the others arrive while the grid is shown
        QTRY_VERIFY(model.source()->complete());
        const auto idInView = [&](int y) { return grid.indexAt(QPoint(1, y)).siblingAtColumn(0).data().toString(); };

        QStringList seen; // the rows of every page, those of the page before left out
        int lastSeen = -1;
        grid.setCurrentIndex(grid.model()->index(0, 0));
        for (int page = 0; page < ids.size(); ++page) {
            for (int y = 1; grid.indexAt(QPoint(1, y)).isValid() && y < grid.viewport()->height(); y += 4) {
                if (RowWindow::rowOf(grid.indexAt(QPoint(1, y))) > lastSeen) {
                    lastSeen = RowWindow::rowOf(grid.indexAt(QPoint(1, y)));
                    seen.append(idInView(y));
                }
            }
            if (RowWindow::rowOf(grid.currentIndex()) == ids.size() - 1)
                break;
            QTest::keyClick(&grid, Qt::Key_PageDown);
        }
        QCOMPARE(seen, ids);

        auto *bar = grid.findChild<QScrollBar *>(QStringLiteral("righe"));
        bar->setValue(2700);
        QCOMPARE(idInView(1), ids.at(2700));
        QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(idInView(1), ids.first());
        QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(grid.currentIndex().siblingAtColumn(0).data().toString(), ids.last());

        testdata::runSql(env, QStringLiteral("DELETE FROM Tabella WHERE ID = ?"), {ids.last().toLongLong()});
        static_cast<QueryRowSource *>(model.source().get())->invalidate();
        QVERIFY(grid.currentIndex().siblingAtColumn(1).data().isNull());
        QCOMPARE(model.rowCount(), ids.size());
    }

    // A record stored from the browse grid's new-record row comes in just before
    // it: a window over the last rows keeps the new-record row in it, the first
    // row leaving instead; any other window keeps its first row.
    void windowOverTheLastRowsKeepsTheLastRow()
    {
        QStandardItemModel rows(20, 1);
        QObject owner;
        RowWindow window(rows, owner);
        window.setCapacity(10);
        window.moveTo(10);
        rows.insertRows(19, 1);
        QCOMPARE(window.rowCount(), 10);
        QCOMPARE(window.mapToSource(window.index(9, 0)).row(), 20);

        window.moveTo(0);
        rows.insertRows(5, 1);
        QCOMPARE(window.first(), 0);
        QCOMPARE(window.rowCount(), 10);
    }

    // Over the catalogue: the rows of a statement, in the engine's order.
    void showsTheRowsOfAStatement()
    {
        TestEnvironment env;
        for (const QString &key : {QStringLiteral("uno"), QStringLiteral("due"), QStringLiteral("tre")})
            testdata::addRecord(env, {{QStringLiteral("Chiave"), key}});
        RowSourceModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setSource(env.store.catalogueSnapshot());
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.columnCount(), 12);
        QCOMPARE(model.data(model.index(2, 1)).toString(), QStringLiteral("tre"));
        QCOMPARE(model.data(model.index(2, 0)).toString(), QStringLiteral("3"));
        QCOMPARE(model.headerData(5, Qt::Horizontal).toString(), QStringLiteral("N\u00B0"));
    }
};

QTEST_MAIN(TestRowSourceModel)
#include "tst_rowsourcemodel.moc"
