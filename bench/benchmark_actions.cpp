// The actions the benchmark times, each driving the real windows as a user would.
// A window shows its first rows while the others still arrive: the time of an
// action is what the user waits for, its first screen; "tutte le righe" actions
// time the same action until its last row has arrived.
#include "Benchmark.h"
#include "GuiTest.h"
#include "TestEnvironment.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/catalogue/RowSourceModel.h"
#include "core/catalogue/Store.h"
#include "core/export/CatalogueExport.h"
#include "core/export/TableExport.h"
#include "core/report/BandedReport.h"
#include "core/report/CatalogueReportLayout.h"
#include "gui/Windows.h"
#include "gui/browse/BrowseWindow.h"
#include "gui/browse/ReportPreview.h"
#include "gui/kit/DataGrid.h"
#include "gui/kit/RowWindow.h"
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

// Lets the program run, as it does while the user reads, until `done`; false
// when that takes longer than ten minutes.
bool runUntil(const std::function<bool()> &done)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > 600000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

// The rows a list or grid shows, wherever they come from.
db::RowSource *rowsShownBy(QAbstractItemModel *model)
{
    const auto *rows = qobject_cast<db::RowSourceModel *>(RowWindow::rowsOf(model));
    return rows ? rows->source().get() : nullptr;
}

// Until every row shown by `model` has arrived.
bool allRowsArrived(QAbstractItemModel *model)
{
    const db::RowSource *rows = rowsShownBy(model);
    return rows && runUntil([rows] { return rows->complete(); });
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

// The preview of the whole catalogue until its first page is drawn or, with
// `pageCount`, until it reads "Pagina 1 di N".
std::function<double(Windows &, TestEnvironment &)> openReport(bool pageCount)
{
    return [pageCount](Windows &windows, TestEnvironment &) {
        const Ui main(shownMainWindow(windows));
        QElapsedTimer timer;
        double ms = -1;
        timer.start();
        whileReportOpen(windows, main.window, [&](ReportPreview &report) {
            drawPageInView(report);
            const auto *label = report.findChild<QLabel *>(QStringLiteral("indicatorePagina"));
            if (pageCount && !runUntil([&] { return label->text().startsWith(QStringLiteral("Pagina 1 di")); }))
                return;
            if (label && label->text().startsWith(QStringLiteral("Pagina 1")))
                ms = elapsedMs(timer);
        });
        return ms;
    };
}

double drawAnyPage(Windows &windows, TestEnvironment &)
{
    const Ui main(shownMainWindow(windows));
    double worst = -1;
    whileReportOpen(windows, main.window, [&](ReportPreview &report) {
        if (!runUntil([&] { return report.report()->pageCountKnown(); }))
            return;
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
    const std::shared_ptr<db::QueryRowSource> catalogue = windows.context().store->reportRows();
    if (!runUntil([&] { return catalogue->rowCount() >= 10000 || catalogue->complete(); }))
        return -1;
    const FirstRows rows(catalogue, 10000);
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

// Deletion mode entered until the list has opened showing its first entries
// or, with `allRows`, until it holds every record.
std::function<double(Windows &, TestEnvironment &)> enterDeletionMode(bool allRows)
{
    return [allRows](Windows &windows, TestEnvironment &) {
        const Ui main(shownMainWindow(windows));
        main.checkBox(u"Check5")->setChecked(true);
        QComboBox *list = main.comboBox(u"Combo7");
        QElapsedTimer timer;
        timer.start();
        main.checkBox(u"Check9")->setChecked(true);
        list->showPopup();
        list->view()->viewport()->grab();
        const bool shown = list->model()->rowCount() > 0 && (!allRows || allRowsArrived(list->model()));
        const double ms = elapsedMs(timer);
        list->hidePopup();
        main.checkBox(u"Check9")->setChecked(false);
        return shown ? ms : -1;
    };
}

// The rows in view drawn now, as the screen would; with `allRows`, once every
// row of the grid has arrived.
bool gridShowsRows(QTableView *grid, bool allRows = false)
{
    grid->viewport()->grab();
    return grid->model() && grid->model()->rowCount() > 0 && (!allRows || allRowsArrived(grid->model()));
}

std::function<double(Windows &, TestEnvironment &)> openSearchWindow(bool allRows)
{
    return [allRows](Windows &windows, TestEnvironment &) {
        const Ui main(shownMainWindow(windows));
        QElapsedTimer timer;
        timer.start();
        main.checkBox(u"Check4")->setChecked(true);
        SearchWindow *search = windows.loadedSearchWindow();
        if (!search || !gridShowsRows(Ui(*search).grid(u"dgCustomers"), allRows))
            return -1.0;
        return elapsedMs(timer);
    };
}

// One search of the search window's menu, "Vuoi Stampare la Ricerca ?" answered
// No, until the first rows are drawn or, with `allRows`, every row has arrived.
std::function<double(Windows &, TestEnvironment &)> searchFor(const QString &item, const QString &fragment,
                                                              bool allRows = false)
{
    return [item, fragment, allRows](Windows &windows, TestEnvironment &env) {
        const Ui main(shownMainWindow(windows));
        main.checkBox(u"Check4")->setChecked(true);
        SearchWindow &search = windows.searchWindow();
        QTableView *grid = Ui(search).grid(u"dgCustomers");
        env.dialogs.answerInput(fragment);
        env.dialogs.answerButton(QMessageBox::No);
        QElapsedTimer timer;
        timer.start();
        Ui(search).trigger(item);
        const bool shown = env.dialogs.pendingAnswers() == 0 && gridShowsRows(grid, allRows);
        return shown ? elapsedMs(timer) : -1.0;
    };
}

// Ctrl+End in a grid whose rows have all arrived, until its last row is drawn.
double scrollGrid(QTableView *grid)
{
    if (!allRowsArrived(grid->model()))
        return -1;
    const int last = RowWindow::rowsOf(grid->model())->rowCount() - 1;
    grid->setCurrentIndex(grid->model()->index(0, 0)); // the user is in the grid
    QElapsedTimer timer;
    timer.start();
    QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
    const bool shown = gridShowsRows(grid) && RowWindow::rowOf(grid->currentIndex()) == last;
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

std::function<double(Windows &, TestEnvironment &)> visualizza(bool allRows)
{
    return [allRows](Windows &windows, TestEnvironment &) {
        BrowseWindow &browse = browseWindow(windows);
        QElapsedTimer timer;
        timer.start();
        Ui(browse).trigger(u"Visualizza");
        return gridShowsRows(Ui(browse).grid(u"DataGrid1"), allRows) ? elapsedMs(timer) : -1;
    };
}

double scrollBrowseGrid(Windows &windows, TestEnvironment &)
{
    BrowseWindow &browse = browseWindow(windows);
    Ui(browse).trigger(u"Visualizza");
    gridShowsRows(Ui(browse).grid(u"DataGrid1"));
    return scrollGrid(Ui(browse).grid(u"DataGrid1"));
}

// The whole catalogue written to a file named `name`, as "Esporta" in the browse
// window and "crea_catalogo --esporta" write it. Timed up to a million records:
// beyond, it takes its time in proportion and says nothing new.
std::function<double(Windows &, TestEnvironment &)> exportCatalogue(const QString &name)
{
    return [name](Windows &, TestEnvironment &env) {
        const db::Store &store = *env.context.store;
        if (store.recordCount() > 1000000 + 1000) // the timed insertions add a few
            return -1.0;
        const QTemporaryDir folder;
        const QString path = folder.filePath(name);
        QElapsedTimer timer;
        timer.start();
        const bool written = exporting::write(path, *exporting::formatOf(path), exporting::wholeCatalogue(store));
        return written ? elapsedMs(timer) : -1.0;
    };
}

} // namespace

std::vector<BenchAction> benchActions()
{
    const auto all = QStringLiteral(", tutte le righe");
    return {
        {QStringLiteral("avvio fino al menu"), QStringLiteral("500 ms"), startUp},
        {QStringLiteral("un inserimento fino alla schermata pulita"), QStringLiteral("30 ms"), insertOne},
        {QStringLiteral("modalità eliminazione fino all'elenco aperto"), QStringLiteral("150 ms"),
         enterDeletionMode(false)},
        {QStringLiteral("modalità eliminazione") + all, QString(), enterDeletionMode(true)},
        {QStringLiteral("apertura della finestra di ricerca"), QStringLiteral("150 ms"), openSearchWindow(false)},
        {QStringLiteral("apertura della finestra di ricerca") + all, QString(), openSearchWindow(true)},
        {QStringLiteral("ricerca 3+ lettere: Chiave"), QStringLiteral("100 ms"),
         searchFor(QStringLiteral("Chiave"), QStringLiteral("ogi"))},
        {QStringLiteral("ricerca 3+ lettere: Argomento"), QStringLiteral("100 ms"),
         searchFor(QStringLiteral("Argomento"), QStringLiteral("città"))},
        {QStringLiteral("ricerca 3+ lettere: Testo"), QStringLiteral("100 ms"),
         searchFor(QStringLiteral("Testo"), QStringLiteral("ricerca"))},
        {QStringLiteral("ricerca 3+ lettere: Pubblicazione"), QStringLiteral("100 ms"),
         searchFor(QStringLiteral("Pubblicazione"), QStringLiteral("rivista"))},
        {QStringLiteral("ricerca 3+ lettere: Chiave") + all, QString(),
         searchFor(QStringLiteral("Chiave"), QStringLiteral("ogi"), true)},
        {QStringLiteral("ricerca 1-2 lettere: Chiave \"og\""), QStringLiteral("300 ms"),
         searchFor(QStringLiteral("Chiave"), QStringLiteral("og"))},
        {QStringLiteral("ricerca 1-2 lettere: Testo \"à\""), QStringLiteral("300 ms"),
         searchFor(QStringLiteral("Testo"), QStringLiteral("à"))},
        {QStringLiteral("ricerca 1-2 lettere: Testo \"à\"") + all, QString(),
         searchFor(QStringLiteral("Testo"), QStringLiteral("à"), true)},
        {QStringLiteral("Ctrl+Fine nella griglia di ricerca fino all'ultima riga"), QStringLiteral("100 ms"),
         scrollSearchGrid},
        {QStringLiteral("\"&Visualizza\" nella finestra di modifica"), QStringLiteral("150 ms"), visualizza(false)},
        {QStringLiteral("\"&Visualizza\"") + all, QString(), visualizza(true)},
        {QStringLiteral("Ctrl+Fine nella griglia di modifica fino all'ultima riga"), QStringLiteral("100 ms"),
         scrollBrowseGrid},
        {QStringLiteral("anteprima del catalogo fino alla prima pagina"), QStringLiteral("150 ms"), openReport(false)},
        {QStringLiteral("anteprima del catalogo fino a \"Pagina 1 di N\""), QString(), openReport(true)},
        {QStringLiteral("disegno di una pagina qualsiasi (la peggiore di 5)"), QStringLiteral("50 ms"), drawAnyPage},
        {QStringLiteral("esportazione del catalogo in un file di testo (.csv)"), QStringLiteral("20 s"),
         exportCatalogue(QStringLiteral("catalogo.csv"))},
        {QStringLiteral("esportazione del catalogo in un foglio di calcolo (.ods)"), QStringLiteral("20 s"),
         exportCatalogue(QStringLiteral("catalogo.ods"))},
        {QStringLiteral("stampa di 10.000 record su PDF (pagine al secondo)"), QStringLiteral("100 pagine/s"),
         printTenThousand},
    };
}
