// The preview window of the catalogue report: made once by the window registry,
// nine tenths of the screen and centred when restored, shown maximised and modal,
// paging, zoom, printing through the print dialog.
#include "GuiTest.h"
#include "PdfText.h"
#include "ReportRows.h"
#include "TestEnvironment.h"
#include "core/settings/Twips.h"
#include "gui/Windows.h"
#include "gui/browse/ReportPreview.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPageSize>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

#include <functional>

namespace {

// Runs `check` while the report is shown modal, then closes the window the way
// the user does; returns when showModal has returned.
void whileShown(ReportPreview &window, db::RowSource &rows, const std::function<void()> &check)
{
    bool ran = false;
    QTimer::singleShot(0, &window, [&] {
        ran = true;
        check();
        Ui(window).click(u"chiudi");
    });
    window.showModal(rows);
    QVERIFY(ran);
}

QString pageLabel(ReportPreview &window)
{
    return Ui(window).label(u"indicatorePagina")->text();
}

void click(ReportPreview &window, const char *button)
{
    Ui(window).click(QString::fromLatin1(button));
}

} // namespace

class tst_rptBooks : public QObject {
    Q_OBJECT

private slots:
    void createdOnceByTheRegistry();
    void restoredGeometryIsNineTenthsCentred();
    void shownMaximisedAndModalUntilClosed();
    void paging_data();
    void paging();
    void aMillionRecordsPageAtOnce();
    void zoom();
    void aNewPageOpensAtItsTop();
    void printsThroughThePrintDialog();
    void printDialogCancelled();
    void printingThatCannotBeDone_data();
    void printingThatCannotBeDone();
    void rowsWithoutAFieldOfTheReport();
};

void tst_rptBooks::createdOnceByTheRegistry()
{
    TestEnvironment env;
    Windows windows(env.context);
    QVERIFY(!windows.loadedReportPreview());
    ReportPreview &window = windows.reportPreview();
    QCOMPARE(&windows.reportPreview(), &window);
    QCOMPARE(windows.loadedReportPreview(), &window);
    QCOMPARE(window.objectName(), QStringLiteral("rptBooks"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Stampa Elenco"));
    QVERIFY(window.isWindow());
    QCOMPARE(window.windowFlags() & Qt::WindowType_Mask, Qt::Window); // an ordinary window
    QVERIFY(!window.isVisible());
    QVERIFY(!window.testAttribute(Qt::WA_DeleteOnClose));
}

void tst_rptBooks::restoredGeometryIsNineTenthsCentred()
{
    TestEnvironment env;
    Windows windows(env.context);
    ReportPreview &window = windows.reportPreview();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect expected(screen.x() + screen.width() / 20, screen.y() + screen.height() / 20, screen.width() * 9 / 10,
                         screen.height() * 9 / 10);
    const auto near = [&](const QRect &r) {
        return qAbs(r.x() - expected.x()) <= 1 && qAbs(r.y() - expected.y()) <= 1
            && qAbs(r.width() - expected.width()) <= 1 && qAbs(r.height() - expected.height()) <= 1;
    };
    QVERIFY2(near(window.geometry()), qPrintable(QDebug::toString(window.geometry())));

    db::MemoryRowSource rows = reportrows::records(1);
    whileShown(window, rows, [&] {
        QVERIFY(window.isMaximized());
        QVERIFY2(near(window.normalGeometry()), qPrintable(QDebug::toString(window.normalGeometry())));
        window.showNormal();
        QVERIFY2(near(window.geometry()), qPrintable(QDebug::toString(window.geometry())));
    });
}

void tst_rptBooks::shownMaximisedAndModalUntilClosed()
{
    TestEnvironment env;
    Windows windows(env.context);
    ReportPreview &window = windows.reportPreview();
    db::MemoryRowSource rows = reportrows::records(3);
    whileShown(window, rows, [&] {
        QVERIFY(window.isVisible());
        QVERIFY(window.isMaximized());
        QCOMPARE(window.windowModality(), Qt::ApplicationModal);
        QVERIFY(window.report());
        QCOMPARE(window.report()->pageCount(), 1);
        QCOMPARE(pageLabel(window), QStringLiteral("Pagina 1 di 1"));
    });
    QVERIFY(!window.isVisible());
    QVERIFY(!window.report()); // the rows are the caller's again

    // Shown a second time, with other rows, it starts again from the first page.
    db::MemoryRowSource more = reportrows::records(9);
    whileShown(window, more, [&] {
        QCOMPARE(pageLabel(window), QStringLiteral("Pagina 1 di 3"));
        click(window, "ultimaPagina");
    });
    whileShown(window, rows, [&] { QCOMPARE(pageLabel(window), QStringLiteral("Pagina 1 di 1")); });
}

void tst_rptBooks::paging_data()
{
    QTest::addColumn<QStringList>("steps"); // buttons clicked, or "n" typed in the page box
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("enabled"); // first, previous, next, last: 1 or 0
    QTest::newRow("opens on the first page") << QStringList() << "Pagina 1 di 3"
                                             << "0011";
    QTest::newRow("next") << QStringList{QStringLiteral("paginaSuccessiva")} << "Pagina 2 di 3"
                          << "1111";
    QTest::newRow("last") << QStringList{QStringLiteral("ultimaPagina")} << "Pagina 3 di 3"
                          << "1100";
    QTest::newRow("last then previous") << QStringList{QStringLiteral("ultimaPagina"),
                                                       QStringLiteral("paginaPrecedente")}
                                        << "Pagina 2 di 3"
                                        << "1111";
    QTest::newRow("last then first") << QStringList{QStringLiteral("ultimaPagina"), QStringLiteral("primaPagina")}
                                     << "Pagina 1 di 3"
                                     << "0011";
    QTest::newRow("next past the end") << QStringList{QStringLiteral("paginaSuccessiva"),
                                                      QStringLiteral("paginaSuccessiva"),
                                                      QStringLiteral("paginaSuccessiva")}
                                       << "Pagina 3 di 3"
                                       << "1100";
    QTest::newRow("go to page") << QStringList{QStringLiteral("3")} << "Pagina 3 di 3"
                                << "1100";
    QTest::newRow("go to page and back") << QStringList{QStringLiteral("3"), QStringLiteral("2")} << "Pagina 2 di 3"
                                         << "1111";
}

void tst_rptBooks::paging()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, label);
    QFETCH(QString, enabled);
    TestEnvironment env;
    Windows windows(env.context);
    ReportPreview &window = windows.reportPreview();
    db::MemoryRowSource rows = reportrows::records(9);
    whileShown(window, rows, [&] {
        auto *pageBox = Ui(window).find<QSpinBox>(u"vaiAPagina");
        for (const QString &step : steps) {
            bool isNumber = false;
            step.toInt(&isNumber);
            if (isNumber) {
                pageBox->selectAll();
                QTest::keyClicks(pageBox, step);
                QTest::keyClick(pageBox, Qt::Key_Return);
            } else {
                Ui(window).click(step);
            }
        }
        QCOMPARE(pageLabel(window), label);
        QCOMPARE(pageBox->value(), window.currentPage());
        QString states;
        for (const char *name : {"primaPagina", "paginaPrecedente", "paginaSuccessiva", "ultimaPagina"})
            states += Ui(window).find<QToolButton>(QString::fromLatin1(name))->isEnabled() ? u'1' : u'0';
        QCOMPARE(states, enabled);
    });
}

void tst_rptBooks::aMillionRecordsPageAtOnce()
{
    TestEnvironment env;
    Windows windows(env.context);
    ReportPreview &window = windows.reportPreview();
    reportrows::GeneratedRows rows(1000000);
    whileShown(window, rows, [&] {
        QCOMPARE(pageLabel(window), QStringLiteral("Pagina 1 di 250000"));
        click(window, "ultimaPagina");
        QCOMPARE(pageLabel(window), QStringLiteral("Pagina 250000 di 250000"));
        rows.forget();
        Ui(window).find(u"pagina")->grab(); // paints the page in view
        QCOMPARE(rows.lowestRowRead, 999996);
        QCOMPARE(rows.highestRowRead, 999999);
        click(window, "paginaPrecedente");
        QCOMPARE(pageLabel(window), QStringLiteral("Pagina 249999 di 250000"));
    });
    QVERIFY(rows.reads < 1000); // never walked the rows
}

void tst_rptBooks::zoom()
{
    TestEnvironment env;
    Windows windows(env.context);
    ReportPreview &window = windows.reportPreview();
    db::MemoryRowSource rows = reportrows::records(2);
    whileShown(window, rows, [&] {
        auto *page = Ui(window).find(u"pagina");
        auto *zoomBox = Ui(window).find<QComboBox>(u"zoom");
        auto *view = Ui(window).find<QScrollArea>(u"anteprima")->viewport();
        // It opens with the page as wide as the window, the page taller than it.
        QCOMPARE(zoomBox->currentText(), QStringLiteral("Larghezza pagina"));
        QVERIFY2(page->width() <= view->width() && view->width() - page->width() <= 30,
                 qPrintable(QStringLiteral("%1 in %2").arg(page->width()).arg(view->width())));
        QVERIFY(page->height() > view->height());
        zoomBox->setCurrentIndex(zoomBox->findText(QStringLiteral("100%")));
        const QSize normal = page->size();
        // An A4 sheet at 100 %: 21 x 29.7 cm on the screen.
        QVERIFY(qAbs(normal.width() - twips::toPixels(11906)) <= 1);
        QVERIFY(qAbs(normal.height() - twips::toPixels(16838)) <= 1);
        zoomBox->setCurrentIndex(zoomBox->findText(QStringLiteral("200%")));
        QVERIFY(qAbs(page->width() - 2 * normal.width()) <= 2);
        zoomBox->setCurrentIndex(zoomBox->findText(QStringLiteral("50%")));
        QVERIFY(qAbs(page->height() - normal.height() / 2) <= 2);

        // The whole page in the window, also after the window changes size.
        zoomBox->setCurrentIndex(zoomBox->findText(QStringLiteral("Pagina intera")));
        for (const QSize size : {window.size(), QSize(500, 700)}) {
            window.showNormal();
            window.resize(size);
            QVERIFY(page->width() <= view->width() && page->height() <= view->height());
            QVERIFY(view->height() - page->height() <= 12 || view->width() - page->width() <= 12);
        }
    });
}

void tst_rptBooks::aNewPageOpensAtItsTop()
{
    TestEnvironment env;
    Windows windows(env.context);
    ReportPreview &window = windows.reportPreview();
    db::MemoryRowSource rows = reportrows::records(9);
    whileShown(window, rows, [&] {
        QScrollBar *scroll = Ui(window).find<QScrollArea>(u"anteprima")->verticalScrollBar();
        QVERIFY(scroll->maximum() > 0); // at 100 % the page is taller than the window
        scroll->setValue(scroll->maximum());
        click(window, "paginaSuccessiva");
        QCOMPARE(scroll->value(), 0);
    });
}

void tst_rptBooks::printsThroughThePrintDialog()
{
    TestEnvironment env;
    Windows windows(env.context);
    ReportPreview &window = windows.reportPreview();
    db::MemoryRowSource rows = reportrows::records(5);
    whileShown(window, rows, [&] { Ui(window).click(u"stampa"); });
    QVERIFY(QFile::exists(env.printers.pdfPath));
    QCOMPARE(pdftext::pageCount(env.printers.pdfPath), 2);
    const QString text = pdftext::text(env.printers.pdfPath, true).simplified();
    QVERIFY(text.contains(QLatin1String("Pagina 1 di 2")));
    QVERIFY(text.contains(QLatin1String("Pagina 2 di 2")));
    QVERIFY(text.contains(QLatin1String("Allocazione 5")));
    QVERIFY(text.contains(QLocale(QLocale::Italian).toString(QDate::currentDate(), QLocale::LongFormat)));
    // Printed to a file: the user is told where it went.
    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY_BOX(env.dialogs.last(), .icon = QMessageBox::Information,
                .text = QStringLiteral("Il report è stato salvato nel file:\n") + env.printers.pdfPath);
}

void tst_rptBooks::printDialogCancelled()
{
    TestEnvironment env;
    env.printers.acceptDialog = false;
    Windows windows(env.context);
    ReportPreview &window = windows.reportPreview();
    db::MemoryRowSource rows = reportrows::records(1);
    whileShown(window, rows, [&] {
        Ui(window).click(u"stampa");
        QVERIFY(window.isVisible()); // back to the preview
    });
    QVERIFY(!QFile::exists(env.printers.pdfPath));
    QVERIFY(env.dialogs.shown.isEmpty());
}

namespace {
// The print dialog of a user who chose a sheet of another size.
class PaperChoosingPrinters : public PdfPrinters {
public:
    QPageSize::PageSizeId paper = QPageSize::A4;
    bool choosePrinter(QWidget *parent, QPrinter &printer, int firstPage, int lastPage) override
    {
        printer.setPageSize(QPageSize(paper));
        return PdfPrinters::choosePrinter(parent, printer, firstPage, lastPage);
    }
};
} // namespace

void tst_rptBooks::printingThatCannotBeDone_data()
{
    QTest::addColumn<int>("paper");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    QTest::newRow("sheet narrower than the report")
        << int(QPageSize::A5) << "stampa.pdf"
        << "Il foglio scelto è più stretto del report (20 cm): scegliere un foglio più largo.";
    QTest::newRow("printer that cannot be reached")
        << int(QPageSize::A4) << "cartella-che-non-esiste/stampa.pdf"
        << "La stampa del report non è riuscita: controllare la stampante e riprovare.";
}

void tst_rptBooks::printingThatCannotBeDone()
{
    QFETCH(int, paper);
    QFETCH(QString, file);
    QFETCH(QString, message);
    TestEnvironment env;
    PaperChoosingPrinters printers;
    printers.paper = QPageSize::PageSizeId(paper);
    printers.pdfPath = env.folder() + QLatin1Char('/') + file;
    env.context.printers = &printers;
    Windows windows(env.context);
    ReportPreview &window = windows.reportPreview();
    db::MemoryRowSource rows = reportrows::records(1);
    whileShown(window, rows, [&] {
        Ui(window).click(u"stampa");
        QVERIFY(window.isVisible()); // the preview stays usable
    });
    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY_BOX(env.dialogs.last(), .icon = QMessageBox::Warning, .text = message);
    QVERIFY(!QFile::exists(printers.pdfPath) || QFileInfo(printers.pdfPath).size() == 0);
}

void tst_rptBooks::rowsWithoutAFieldOfTheReport()
{
    TestEnvironment env;
    Windows windows(env.context);
    ReportPreview &window = windows.reportPreview();
    QStringList fields = db::tabellaFields();
    fields.removeAll(QStringLiteral("N°"));
    db::MemoryRowSource rows(fields, {});
    bool shown = false;
    QTimer::singleShot(0, &window, [&] { // closes the window should it wrongly open
        shown = window.isVisible();
        window.close();
    });
    window.showModal(rows);
    QVERIFY(!window.report());
    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY_BOX(env.dialogs.last(), .icon = QMessageBox::Warning,
                .text = QStringLiteral("Impossibile mostrare il report: ai dati mancano i campi N°."));
    QCoreApplication::processEvents();
    QVERIFY(!shown);
}

QTEST_MAIN(tst_rptBooks)
#include "tst_reportpreview.moc"
