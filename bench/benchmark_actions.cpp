// The actions the benchmark times, each driving the real windows as a user would.
#include "Benchmark.h"
#include "GuiTest.h"
#include "TestEnvironment.h"
#include "core/report/BandedReport.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/report/BandedReport.h"
#include "core/report/CatalogueReportLayout.h"
#include "gui/Windows.h"
#include "gui/browse/BrowseWindow.h"
#include "gui/browse/ReportPreview.h"
#include "gui/kit/DataGrid.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/search/SearchWindow.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

MainWindow &shownMainWindow(Windows &windows)
{
    MainWindow &main = windows.mainWindow();
    main.show();
    if (!QTest::qWaitForWindowExposed(&main))
        qWarning("finestra principale non esposta");
    return main;
}

double startUp(Windows &windows, TestEnvironment &)
{
    QElapsedTimer timer;
    timer.start();
    QWidget &main = windows.mainWindow();
    main.show();
    if (!QTest::qWaitForWindowExposed(&main))
        return -1;
    return elapsedMs(timer);
}

// Runs `inside` while the report preview is open (it blocks its caller), then
// closes it.
void whileReportOpen(Windows &windows, QWidget &main, const std::function<void(ReportPreview &)> &inside)
{
    QTimer::singleShot(0, &main, [&] {
        ReportPreview &report = windows.reportPreview();
        inside(report);
        report.close();
    });
    windows.showWholeCatalogueReport(&main);
}

// Draws the page in view now, as the screen would (into an image of its size).
void drawPageInView(ReportPreview &report)
{
    if (auto *page = report.findChild<QWidget *>(QStringLiteral("pagina")))
        page->grab();
}

double openReport(Windows &windows, TestEnvironment &)
{
    const Ui main(shownMainWindow(windows));
    QElapsedTimer timer;
    double ms = -1;
    timer.start();
    whileReportOpen(windows, main.window, [&](ReportPreview &report) {
        drawPageInView(report);
        const auto *label = report.findChild<QLabel *>(QStringLiteral("indicatorePagina"));
        if (label && label->text().startsWith(QStringLiteral("Pagina 1 di")))
            ms = elapsedMs(timer);
    });
    return ms;
}

double drawAnyPage(Windows &windows, TestEnvironment &)
{
    const Ui main(shownMainWindow(windows));
    double worst = -1;
    whileReportOpen(windows, main.window, [&](ReportPreview &report) {
        const int last = report.report()->pageCount();
        for (int page : {last, last / 2, 2, last - 1, last / 3}) {
            QElapsedTimer timer;
            timer.start();
            report.goToPage(std::max(1, page));
            drawPageInView(report);
            worst = std::max(worst, elapsedMs(timer));
        }
    });
    return worst;
}

// The first rows of another source.
class FirstRows : public db::RowSource {
public:
    FirstRows(std::shared_ptr<db::RowSource> rows, int count) : m_rows(std::move(rows)), m_count(count) {}
    int rowCount() const override { return std::min(m_count, m_rows->rowCount()); }
    QStringList fieldNames() const override { return m_rows->fieldNames(); }
    QVariant value(int row, int column) const override { return m_rows->value(row, column); }

private:
    std::shared_ptr<db::RowSource> m_rows;
    int m_count;
};

// Pages a second when 10,000 records are printed to a PDF file.
double printTenThousand(Windows &windows, TestEnvironment &)
{
    const FirstRows rows(windows.context().store->reportRows(), 10000);
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("stampa.pdf")));
    const report::BandedReport report(report::catalogueReportLayout(), rows,
                                      report::BandedReport::paperTwips(printer.pageLayout()));
    QElapsedTimer timer;
    timer.start();
    if (!report.print(printer, 1, report.pageCount()))
        return -1;
    return report.pageCount() / (elapsedMs(timer) / 1000.0);
}

// One record typed on the entry screen and stored; the message answered at once.
double insertOne(Windows &windows, TestEnvironment &env)
{
    const Ui main(shownMainWindow(windows));
    main.checkBox(u"Check5")->setChecked(true);
    main.comboBox(u"Combo3")->setEditText(QStringLiteral("benchmark"));
    main.lineEdit(u"Text4")->setText(QStringLiteral("un argomento di prova"));
    main.lineEdit(u"Text5")->setText(QStringLiteral("un testo"));
    const QString offered = main.lineEdit(u"Text10")->text();
    env.dialogs.answerButton(QMessageBox::Ok);
    QElapsedTimer timer;
    timer.start();
    main.click(u"Command1");
    const double ms = elapsedMs(timer);
    const bool cleared = main.lineEdit(u"Text4")->text().isEmpty()
        && main.lineEdit(u"Text10")->text() == QString::number(offered.toLongLong() + 1);
    return cleared ? ms : -1;
}

// Deletion mode entered until the list holds every record and has opened.
double enterDeletionMode(Windows &windows, TestEnvironment &)
{
    const Ui main(shownMainWindow(windows));
    main.checkBox(u"Check5")->setChecked(true);
    QElapsedTimer timer;
    timer.start();
    main.checkBox(u"Check9")->setChecked(true);
    main.comboBox(u"Combo7")->showPopup();
    const double ms = elapsedMs(timer);
    const int rows = main.comboBox(u"Combo7")->model()->rowCount();
    main.comboBox(u"Combo7")->hidePopup();
    main.checkBox(u"Check9")->setChecked(false);
    return rows > 0 ? ms : -1;
}

// The rows in view drawn now, as the screen would.
bool gridShowsRows(QTableView *grid)
{
    grid->viewport()->grab();
    return grid->model() && grid->model()->rowCount() > 0;
}

double openSearchWindow(Windows &windows, TestEnvironment &)
{
    const Ui main(shownMainWindow(windows));
    QElapsedTimer timer;
    timer.start();
    main.checkBox(u"Check4")->setChecked(true);
    SearchWindow *search = windows.loadedSearchWindow();
    if (!search || !gridShowsRows(Ui(*search).grid(u"dgCustomers")))
        return -1;
    return elapsedMs(timer);
}

// One search of the search window's menu, "Vuoi Stampare la Ricerca ?" answered No.
std::function<double(Windows &, TestEnvironment &)> searchFor(const QString &item, const QString &fragment)
{
    return [item, fragment](Windows &windows, TestEnvironment &env) {
        const Ui main(shownMainWindow(windows));
        main.checkBox(u"Check4")->setChecked(true);
        SearchWindow &search = windows.searchWindow();
        env.dialogs.answerInput(fragment);
        env.dialogs.answerButton(QMessageBox::No);
        QElapsedTimer timer;
        timer.start();
        Ui(search).trigger(item);
        const bool shown = gridShowsRows(Ui(search).grid(u"dgCustomers")) && env.dialogs.pendingAnswers() == 0;
        return shown ? elapsedMs(timer) : -1.0;
    };
}

double scrollGrid(QTableView *grid)
{
    QElapsedTimer timer;
    timer.start();
    grid->scrollToBottom();
    const bool shown = gridShowsRows(grid);
    return shown ? elapsedMs(timer) : -1;
}

double scrollSearchGrid(Windows &windows, TestEnvironment &)
{
    Ui(shownMainWindow(windows)).checkBox(u"Check4")->setChecked(true);
    SearchWindow &search = windows.searchWindow();
    gridShowsRows(Ui(search).grid(u"dgCustomers"));
    return scrollGrid(Ui(search).grid(u"dgCustomers"));
}

BrowseWindow &browseWindow(Windows &windows)
{
    const Ui main(shownMainWindow(windows));
    main.checkBox(u"Check5")->setChecked(true);
    main.click(u"Command20");
    return windows.browseWindow();
}

double visualizza(Windows &windows, TestEnvironment &)
{
    BrowseWindow &browse = browseWindow(windows);
    QElapsedTimer timer;
    timer.start();
    Ui(browse).trigger(u"Visualizza");
    return gridShowsRows(Ui(browse).grid(u"DataGrid1")) ? elapsedMs(timer) : -1;
}

double scrollBrowseGrid(Windows &windows, TestEnvironment &)
{
    BrowseWindow &browse = browseWindow(windows);
    Ui(browse).trigger(u"Visualizza");
    gridShowsRows(Ui(browse).grid(u"DataGrid1"));
    return scrollGrid(Ui(browse).grid(u"DataGrid1"));
}

} // namespace

std::vector<BenchAction> benchActions()
{
    return {
        {QStringLiteral("avvio fino al menu"), QStringLiteral("500 ms"), startUp},
        {QStringLiteral("un inserimento fino alla schermata pulita"), QStringLiteral("30 ms"), insertOne},
        {QStringLiteral("modalità eliminazione fino all'elenco aperto"), QStringLiteral("300 ms"), enterDeletionMode},
        {QStringLiteral("apertura della finestra di ricerca"), QStringLiteral("300 ms"), openSearchWindow},
        {QStringLiteral("ricerca 3+ lettere: Chiave"), QStringLiteral("100 ms"),
         searchFor(QStringLiteral("Chiave"), QStringLiteral("ogi"))},
        {QStringLiteral("ricerca 3+ lettere: Argomento"), QStringLiteral("100 ms"),
         searchFor(QStringLiteral("Argomento"), QStringLiteral("città"))},
        {QStringLiteral("ricerca 3+ lettere: Testo"), QStringLiteral("100 ms"),
         searchFor(QStringLiteral("Testo"), QStringLiteral("ricerca"))},
        {QStringLiteral("ricerca 3+ lettere: Pubblicazione"), QStringLiteral("100 ms"),
         searchFor(QStringLiteral("Pubblicazione"), QStringLiteral("rivista"))},
        {QStringLiteral("ricerca 1-2 lettere: Chiave \"og\""), QStringLiteral("500 ms"),
         searchFor(QStringLiteral("Chiave"), QStringLiteral("og"))},
        {QStringLiteral("ricerca 1-2 lettere: Testo \"à\""), QStringLiteral("500 ms"),
         searchFor(QStringLiteral("Testo"), QStringLiteral("à"))},
        {QStringLiteral("scorrimento della griglia di ricerca fino all'ultima riga"), QStringLiteral("100 ms"),
         scrollSearchGrid},
        {QStringLiteral("\"&Visualizza\" nella finestra di modifica"), QStringLiteral("300 ms"), visualizza},
        {QStringLiteral("scorrimento della griglia di modifica fino all'ultima riga"), QStringLiteral("100 ms"),
         scrollBrowseGrid},
        {QStringLiteral("anteprima del catalogo fino a \"Pagina 1 di N\""), QStringLiteral("500 ms"), openReport},
        {QStringLiteral("disegno di una pagina qualsiasi (la peggiore di 5)"), QStringLiteral("50 ms"), drawAnyPage},
        {QStringLiteral("stampa di 10.000 record su PDF (pagine al secondo)"), QStringLiteral("100 pagine/s"),
         printTenThousand},
    };
}
