// Remembered column widths of a grid: restored by field name at each binding,
// saved when the user resizes a column, never when the program does.
#include "TestFiles.h"
#include "core/settings/IniSettings.h"
#include "core/settings/Twips.h"
#include "gui/search/ColumnWidths.h"

#include "TestEnvironment.h"

#include <QFile>
#include <QHeaderView>
#include <QLocale>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

using testdata::fileBytes;
using testdata::writeBytes;

namespace {

// A model whose columns are headed by their field names, like the search results.
std::unique_ptr<QStandardItemModel> resultModel(const QStringList &fields, int rows = 3)
{
    auto model = std::make_unique<QStandardItemModel>(rows, int(fields.size()));
    model->setHorizontalHeaderLabels(fields);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < fields.size(); ++column)
            model->setItem(row, column, new QStandardItem(fields[column] + QString::number(row)));
    }
    return model;
}

} // namespace

class tst_modDataGrid : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void freshFileGivesDefaultWidth();
    void withoutDefaultKeepsWidths();
    void appliesStoredWidth_data();
    void appliesStoredWidth();
    void widthFollowsItsField();
    void savesWidthTheUserDrags();
    void savesWidthOfDoubleClickedEdge();
    void programWidthsAreNotSaved();
    void stretchedLastColumnIsNotSaved();

private:
    void bind(const QStringList &fields);
    void dragRightEdge(int logicalIndex, int pixels);
    QString settingsPath() const { return m_env->context.settingsPath(); }

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<IniSettings> m_ini;
    std::unique_ptr<QTableView> m_grid;
    std::unique_ptr<QStandardItemModel> m_model;
};

void tst_modDataGrid::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    QCOMPARE(twips::perPixel(), 15.0); // the widths below are for 15 twips to the pixel
}

void tst_modDataGrid::init()
{
    m_env = std::make_unique<TestEnvironment>(false);
    m_ini = std::make_unique<IniSettings>(m_env->folder(), IniSettings::Warning());
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    m_grid = std::make_unique<QTableView>();
    m_grid->setObjectName(QStringLiteral("dgCustomers"));
    m_grid->resize(700, 300);
    columnwidths::saveWhenResized(*m_ini, *m_grid);
    columnwidths::saveWhenResized(*m_ini, *m_grid); // a second call adds nothing
}

void tst_modDataGrid::cleanup()
{
    m_grid.reset();
    m_model.reset();
    m_ini.reset();
    m_env.reset();
}

// Binds a new result, as the search window does after each search.
void tst_modDataGrid::bind(const QStringList &fields)
{
    auto model = resultModel(fields);
    m_grid->setModel(model.get());
    m_model = std::move(model);
    columnwidths::restore(*m_ini, *m_grid, QStringLiteral("dgCustomers"), true);
}

// Drags the right edge of a column's header with the mouse, as a user does.
void tst_modDataGrid::dragRightEdge(int logicalIndex, int pixels)
{
    if (!m_grid->isVisible()) {
        m_grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
    }
    QHeaderView *header = m_grid->horizontalHeader();
    QWidget *viewport = header->viewport();
    const int edge = header->sectionViewportPosition(logicalIndex) + header->sectionSize(logicalIndex) - 1;
    const int middle = header->height() / 2;
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(edge, middle));
    // Between the moves the view runs its pending work (a stretched column follows).
    QTest::mouseMove(viewport, QPoint(edge + pixels / 2, middle));
    QCoreApplication::processEvents();
    QTest::mouseMove(viewport, QPoint(edge + pixels, middle));
    QCoreApplication::processEvents();
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(edge + pixels, middle));
}

void tst_modDataGrid::freshFileGivesDefaultWidth()
{
    bind({QStringLiteral("Chiave"), QStringLiteral("Argomento"), QStringLiteral("Testo")});
    for (int i = 0; i < 3; ++i)
        QCOMPARE(m_grid->columnWidth(i), twips::toPixels(600));
    QCOMPARE(fileBytes(settingsPath()), QByteArray());
}

void tst_modDataGrid::withoutDefaultKeepsWidths()
{
    writeBytes(settingsPath(), "[dgCustomers]\r\nTesto=3000\r\n");
    auto model = resultModel({QStringLiteral("Chiave"), QStringLiteral("Testo")});
    m_grid->setModel(model.get());
    m_grid->setColumnWidth(0, 77);
    columnwidths::restore(*m_ini, *m_grid, QStringLiteral("dgCustomers"), false);
    QCOMPARE(m_grid->columnWidth(0), 77);
    QCOMPARE(m_grid->columnWidth(1), 200);
}

void tst_modDataGrid::appliesStoredWidth_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("expectedTwips");
    QTest::newRow("whole number") << QByteArray("2000") << 2000;
    QTest::newRow("fraction with decimal comma") << QByteArray("1234,5") << 1234;
    QTest::newRow("zero") << QByteArray("0") << 600;
    QTest::newRow("negative") << QByteArray("-5") << 600;
    QTest::newRow("not a number") << QByteArray("largo") << 600;
    QTest::newRow("empty") << QByteArray() << 600;
}

void tst_modDataGrid::appliesStoredWidth()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, expectedTwips);
    writeBytes(settingsPath(), "[dgCustomers]\r\nchiave=" + stored + "\r\n");
    bind({QStringLiteral("ID"), QStringLiteral("Chiave")});
    QCOMPARE(m_grid->columnWidth(1), twips::toPixels(expectedTwips));
    QCOMPARE(m_grid->columnWidth(0), twips::toPixels(600));
}

void tst_modDataGrid::widthFollowsItsField()
{
    writeBytes(settingsPath(), "[dgCustomers]\r\nChiave=2000\r\nTesto=4500\r\n");
    bind({QStringLiteral("Chiave"), QStringLiteral("Argomento"), QStringLiteral("Testo")});
    QCOMPARE(m_grid->columnWidth(0), twips::toPixels(2000));
    QCOMPARE(m_grid->columnWidth(2), twips::toPixels(4500));
    // Another result with the fields elsewhere, one of them twice.
    bind({QStringLiteral("Testo"), QStringLiteral("Pubblicazione"), QStringLiteral("Chiave"), QStringLiteral("Testo")});
    QCOMPARE(m_grid->columnWidth(0), twips::toPixels(4500));
    QCOMPARE(m_grid->columnWidth(1), twips::toPixels(600));
    QCOMPARE(m_grid->columnWidth(2), twips::toPixels(2000));
    QCOMPARE(m_grid->columnWidth(3), twips::toPixels(4500));
}

void tst_modDataGrid::savesWidthTheUserDrags()
{
    bind({QStringLiteral("ID"), QStringLiteral("Chiave"), QStringLiteral("Argomento")});
    dragRightEdge(1, 60);
    QCOMPARE(m_grid->columnWidth(1), twips::toPixels(600) + 60);
    QCOMPARE(fileBytes(settingsPath()), QByteArray("[dgCustomers]\r\nChiave=1500\r\n"));

    // The next binding shows the saved width wherever the field stands.
    bind({QStringLiteral("Chiave"), QStringLiteral("Testo")});
    QCOMPARE(m_grid->columnWidth(0), 100);
    QCOMPARE(m_grid->columnWidth(1), twips::toPixels(600));
    QCOMPARE(fileBytes(settingsPath()), QByteArray("[dgCustomers]\r\nChiave=1500\r\n"));

    // A later drag of another column adds its key and keeps the first.
    dragRightEdge(1, -10);
    QCOMPARE(fileBytes(settingsPath()), QByteArray("[dgCustomers]\r\nChiave=1500\r\nTesto=450\r\n"));
}

void tst_modDataGrid::savesWidthOfDoubleClickedEdge()
{
    auto model = resultModel({QStringLiteral("Chiave"), QStringLiteral("Testo")});
    model->setItem(0, 0, new QStandardItem(QString(60, QLatin1Char('W'))));
    m_grid->setModel(model.get());
    m_model = std::move(model);
    columnwidths::restore(*m_ini, *m_grid, QStringLiteral("dgCustomers"), true);
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
    QHeaderView *header = m_grid->horizontalHeader();
    const QPoint edge(header->sectionSize(0) - 1, header->height() / 2);
    // A double click as the window system delivers it.
    QTest::mousePress(header->viewport(), Qt::LeftButton, Qt::NoModifier, edge);
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, Qt::NoModifier, edge);
    QTest::mousePress(header->viewport(), Qt::LeftButton, Qt::NoModifier, edge);
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, edge);
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, Qt::NoModifier, edge);
    QVERIFY(m_grid->columnWidth(0) > twips::toPixels(600));
    QCOMPARE(m_ini->readInt(QStringLiteral("dgCustomers"), QStringLiteral("Chiave"), 0), m_grid->columnWidth(0) * 15);
    QCOMPARE(m_ini->readInt(QStringLiteral("dgCustomers"), QStringLiteral("Testo"), 0), 0);
}

void tst_modDataGrid::programWidthsAreNotSaved()
{
    writeBytes(settingsPath(), "[dgCustomers]\r\nTesto=3000\r\n");
    bind({QStringLiteral("Chiave"), QStringLiteral("Testo")});
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
    m_grid->setColumnWidth(0, 123);
    m_grid->resizeColumnsToContents();
    m_model->setHorizontalHeaderLabels({QStringLiteral("Argomento"), QStringLiteral("Testo")});
    m_model->clear();
    bind({QStringLiteral("Chiave"), QStringLiteral("Testo")});
    // A click on a header that resizes nothing saves nothing either, even when
    // the grid is bound anew while the button is held (a search run on a press).
    QHeaderView *header = m_grid->horizontalHeader();
    const QPoint inside(header->sectionSize(0) / 2, header->height() / 2);
    QTest::mousePress(header->viewport(), Qt::LeftButton, Qt::NoModifier, inside);
    bind({QStringLiteral("Argomento"), QStringLiteral("Testo"), QStringLiteral("Chiave")});
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, Qt::NoModifier, inside);
    QCOMPARE(fileBytes(settingsPath()), QByteArray("[dgCustomers]\r\nTesto=3000\r\n"));
}

void tst_modDataGrid::stretchedLastColumnIsNotSaved()
{
    m_grid->horizontalHeader()->setStretchLastSection(true);
    bind({QStringLiteral("Chiave"), QStringLiteral("Argomento"), QStringLiteral("Testo")});
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
    const int lastWidth = m_grid->columnWidth(2);
    dragRightEdge(0, 30);
    QVERIFY(m_grid->columnWidth(2) != lastWidth);
    QCOMPARE(fileBytes(settingsPath()), QByteArray("[dgCustomers]\r\nChiave=1050\r\n"));
}

QTEST_MAIN(tst_modDataGrid)
#include "tst_columnwidths.moc"
