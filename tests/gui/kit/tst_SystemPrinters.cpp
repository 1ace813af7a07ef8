// Printing through the machine's real print system. The test starts a CUPS
// scheduler of its own (its own configuration, spool, logs and socket, so that
// nothing else on the machine sees it) with a PDF queue (cups-pdf writing into
// the test's folder), prints through Qt's normal printer path as the user does
// (the browse window's listing without a dialog, the catalogue report through
// the print dialog) and reads back the PDF files the queue wrote. It needs root,
// as cups-pdf does; the scheduler is stopped by its process id at the end.
#include "CatalogueRows.h"
#include "GuiTest.h"
#include "PdfText.h"
#include "TestEnvironment.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/catalogue/Store.h"
#include "core/report/BandedReport.h"
#include "core/report/CatalogueReportLayout.h"
#include "gui/Windows.h"
#include "gui/browse/BrowseWindow.h"
#include "gui/browse/ReportPreview.h"
#include "gui/kit/Printers.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int records = 300;

QString recordKey(int n)
{
    return QStringLiteral("Voce%1").arg(n, 3, 10, QLatin1Char('0'));
}

// The texts of the messages the user was shown.
QString shownTexts(const TestEnvironment &env)
{
    QStringList texts;
    for (const ShownBox &box : env.dialogs.shown)
        texts.append(box.text);
    return texts.join(QLatin1Char('|'));
}

// The paper of a PDF's first page in points, as pdfinfo reads it.
QSize paperPoints(const QString &pdf)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    info.waitForFinished(60000);
    const QRegularExpressionMatch size = QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts"))
                                             .match(QString::fromUtf8(info.readAllStandardOutput()));
    return size.hasMatch() ? QSize(qRound(size.captured(1).toDouble()), qRound(size.captured(2).toDouble())) : QSize();
}

// The text of one page.
QString pageText(const QString &pdf, int page)
{
    QProcess text;
    text.start(QStringLiteral("pdftotext"),
               {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                QString::number(page), pdf, QStringLiteral("-")});
    text.waitForFinished(60000);
    return QString::fromUtf8(text.readAllStandardOutput()).simplified();
}

// A CUPS scheduler started for the test alone, with one cups-pdf queue "PDF".
class PrintSystem {
public:
    ~PrintSystem() { stop(); }

    QString start()
    {
        if (!m_folder.isValid())
            return QStringLiteral("no temporary folder");
        const QString root = m_folder.path();
        QFile::setPermissions(root,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                  | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        for (const char *sub : {"spool", "cache", "state", "log", "tmp", "out"})
            QDir(root).mkpath(QString::fromLatin1(sub));
        // Filters run as the user lp and write their temporary files here.
        ::chmod(QFile::encodeName(root + QStringLiteral("/tmp")).constData(), 01777);
        socket = root + QStringLiteral("/cups.sock");
        writeFile(QStringLiteral("cups-files.conf"),
                  QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nCacheDir %1/cache\nStateDir %1/state\n"
                                 "TempDir %1/tmp\nAccessLog %1/log/access_log\nErrorLog %1/log/error_log\n"
                                 "PageLog %1/log/page_log\nSystemGroup root\nUser lp\nGroup lp\n")
                      .arg(root));
        writeFile(QStringLiteral("cupsd.conf"),
                  QStringLiteral("Listen %1\nLogLevel info\nBrowsing No\nWebInterface No\n"
                                 "<Location />\n  Order allow,deny\n  Allow all\n"
                                 "</Location>\n")
                      .arg(socket));
        // cups-pdf reads /etc/cups/cups-pdf-<instance>.conf for the device
        // cups-pdf:/<instance>: an instance of this test's own, writing here.
        m_instance = QStringLiteral("rudozuzurivaz-test-%1").arg(QCoreApplication::applicationPid());
        m_instanceConf = QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(m_instance);
        QFile conf(m_instanceConf);
        if (!conf.open(QIODevice::WriteOnly))
            return QStringLiteral("cannot write %1").arg(m_instanceConf);
        conf.write(QStringLiteral("Out %1/out\nGrp lp\n").arg(root).toUtf8());
        conf.close();
        // The queue's driver: the PDF printer's, with half-inch unprintable edges
        // on Letter paper, so that the listing can show it takes the printer's own.
        QFile ppd(QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"));
        if (!ppd.open(QIODevice::ReadOnly))
            return QStringLiteral("cups-pdf's PPD is missing: install printer-driver-cups-pdf");
        QByteArray driver = ppd.readAll();
        driver.replace("*ImageableArea Letter/US Letter: \"0 0 612 792\"",
                       "*ImageableArea Letter/US Letter: \"36 36 576 756\"");
        writeFile(QStringLiteral("PDF.ppd"), QString::fromLatin1(driver));

        m_scheduler.setProcessChannelMode(QProcess::MergedChannels);
        m_scheduler.start(QStringLiteral("/usr/sbin/cupsd"),
                          {QStringLiteral("-f"), QStringLiteral("-c"), root + QStringLiteral("/cupsd.conf"),
                           QStringLiteral("-s"), root + QStringLiteral("/cups-files.conf")});
        if (!m_scheduler.waitForStarted(10000))
            return QStringLiteral("cupsd did not start: install cups");
        QElapsedTimer waited;
        waited.start();
        while (!tool(QStringLiteral("lpstat"), {QStringLiteral("-r")}).contains(QLatin1String("is running"))) {
            if (waited.elapsed() > 20000 || m_scheduler.state() != QProcess::Running)
                return QStringLiteral("cupsd is not running: %1").arg(QString::fromUtf8(m_scheduler.readAll()));
            QTest::qWait(100);
        }
        return addQueue(QStringLiteral("PDF"));
    }

    QString addQueue(const QString &name)
    {
        const QString root = m_folder.path();
        tool(QStringLiteral("lpadmin"),
             {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
              QStringLiteral("cups-pdf:/") + m_instance, QStringLiteral("-P"), root + QStringLiteral("/PDF.ppd")});
        // Without the second option pdftotext reads the queue's fonts as garbage.
        tool(QStringLiteral("lpadmin"),
             {QStringLiteral("-p"), name, QStringLiteral("-o"), QStringLiteral("PageSize=Letter"), QStringLiteral("-o"),
              QStringLiteral("pdftops-renderer-default=pdftocairo")});
        tool(QStringLiteral("lpadmin"), {QStringLiteral("-d"), name});
        const QString state = tool(QStringLiteral("lpstat"), {QStringLiteral("-d")});
        return state.contains(name) ? QString() : QStringLiteral("queue %1 not made: %2").arg(name, state);
    }

    // Runs one of CUPS's command-line tools on this scheduler; its output.
    QString tool(const QString &program, QStringList arguments) const
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        arguments.prepend(socket);
        arguments.prepend(QStringLiteral("-h"));
        process.start(program, arguments);
        process.waitForFinished(30000);
        return QString::fromUtf8(process.readAll());
    }

    QStringList writtenFiles() const
    {
        return QDir(m_folder.path() + QStringLiteral("/out")).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    }

    // The PDF of the next job the queue finishes; empty when none came in time.
    QString nextFile(const QStringList &before) const
    {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 180000) {
            const bool pending = !tool(QStringLiteral("lpstat"), {QStringLiteral("-o")}).trimmed().isEmpty();
            QStringList files = writtenFiles();
            for (const QString &old : before)
                files.removeAll(old);
            if (!pending && !files.isEmpty())
                return m_folder.path() + QStringLiteral("/out/") + files.first();
            QTest::qWait(200);
        }
        return QString();
    }

    void stop()
    {
        if (m_scheduler.state() != QProcess::NotRunning) {
            ::kill(pid_t(m_scheduler.processId()), SIGTERM);
            if (!m_scheduler.waitForFinished(10000)) {
                ::kill(pid_t(m_scheduler.processId()), SIGKILL);
                m_scheduler.waitForFinished(5000);
            }
        }
        if (!m_instanceConf.isEmpty())
            QFile::remove(m_instanceConf);
    }

    QString socket;

private:
    void writeFile(const QString &name, const QString &text)
    {
        QFile file(m_folder.path() + QLatin1Char('/') + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    }

    QTemporaryDir m_folder{QDir::tempPath() + QStringLiteral("/cups-test-XXXXXX")};
    QProcess m_scheduler;
    QString m_instance;
    QString m_instanceConf;
};

// Prints into a PDF file on a given paper and margins.
class SamePaperToFile : public PdfPrinters {
public:
    QPageLayout layout;
    std::unique_ptr<QPrinter> defaultPrinter() override
    {
        std::unique_ptr<QPrinter> printer = PdfPrinters::defaultPrinter();
        printer->setPageLayout(layout);
        return printer;
    }
};

// Accepts the print dialog as it stands, the way the user clicks "Stampa".
void acceptPrintDialogSoon()
{
    QTimer::singleShot(200, qApp, [] {
        QPrintDialog *dialog = nullptr;
        for (QWidget *window : QApplication::topLevelWidgets())
            if (auto *found = qobject_cast<QPrintDialog *>(window); found && found->isVisible())
                dialog = found;
        if (!dialog)
            return acceptPrintDialogSoon();
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
}

} // namespace

class tst_SystemPrinters : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void listingOnThePrintersOwnPaperAndMargins();
    void reportThroughThePrintDialog();
    void aQueueThatRefusesJobs();
    void aQueueThatIsNotTheDefault();
    void noPrinterAtAll();

private:
    // The listing of the browse window on the default printer; the messages shown.
    void printListing();
    void printReport();

    std::unique_ptr<PrintSystem> m_cups;
    std::unique_ptr<TestEnvironment> m_env;
    SystemPrinters m_printers;
};

void tst_SystemPrinters::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("This test starts its own CUPS scheduler with a cups-pdf queue, which needs root.");
    m_cups = std::make_unique<PrintSystem>();
    const QString problem = m_cups->start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    // This process (Qt's printer support included) talks to that scheduler alone.
    qputenv("CUPS_SERVER", m_cups->socket.toLocal8Bit());
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");
    qputenv("HOME", QDir::tempPath().toLocal8Bit()); // no lpoptions of the user
}

void tst_SystemPrinters::cleanupTestCase()
{
    m_cups.reset(); // stops the scheduler
}

void tst_SystemPrinters::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_env->context.printers = &m_printers;
    QList<QVariantMap> rows;
    for (int n = 1; n <= records; ++n)
        rows.append({{QStringLiteral("Chiave"), recordKey(n)},
                     {QStringLiteral("Argomento"), QStringLiteral("Argomento %1").arg(n)},
                     {QStringLiteral("Pubblicazione"), QStringLiteral("Rivista")}});
    testdata::addRecords(*m_env, rows);
}

void tst_SystemPrinters::printListing()
{
    Windows windows(m_env->context);
    BrowseWindow &browse = windows.browseWindow();
    Ui(browse).trigger(u"Visualizza");
    Ui(browse).click(u"Command1");
}

void tst_SystemPrinters::printReport()
{
    Windows windows(m_env->context);
    QWidget caller;
    QTimer::singleShot(0, qApp, [&] {
        ReportPreview *preview = windows.loadedReportPreview();
        QVERIFY(preview && preview->isVisible());
        acceptPrintDialogSoon();
        preview->print();
        preview->close();
    });
    QVERIFY(windows.showWholeCatalogueReport(&caller));
}

void tst_SystemPrinters::listingOnThePrintersOwnPaperAndMargins()
{
    const QStringList before = m_cups->writtenFiles();
    printListing();
    QVERIFY2(m_env->dialogs.shown.isEmpty(), qPrintable(shownTexts(*m_env)));
    const QString pdf = m_cups->nextFile(before);
    QVERIFY2(!pdf.isEmpty(), "the queue wrote no file");

    // The queue's paper, Letter, not Qt's A4.
    QCOMPARE(paperPoints(pdf), QSize(612, 792));
    // The printer the listing went to: the queue's paper and unprintable edges.
    const std::unique_ptr<QPrinter> queue = m_printers.defaultPrinter();
    QCOMPARE(queue->pageLayout().pageSize().id(), QPageSize::Letter);
    QCOMPARE(queue->pageLayout().margins(QPageLayout::Point), QMarginsF(36, 36, 36, 36));
    // Nothing lost on the way: as many pages as the same listing printed to a file
    // on that paper and those margins.
    SamePaperToFile toFile;
    toFile.layout = queue->pageLayout();
    toFile.pdfPath = m_env->filePath(QStringLiteral("riferimento.pdf"));
    m_env->context.printers = &toFile;
    printListing();
    m_env->context.printers = &m_printers;
    const int pages = pdftext::pageCount(pdf);
    QCOMPARE(pages, pdftext::pageCount(toFile.pdfPath));
    QVERIFY2(pages > 1, qPrintable(QString::number(pages)));
    QVERIFY(pageText(pdf, 1).startsWith(QStringLiteral("1 %1").arg(recordKey(1))));
    QVERIFY(pageText(pdf, pages).contains(QStringLiteral("%1 %2").arg(records).arg(recordKey(records))));
    // Every record is there once.
    const QString all = pdftext::text(pdf);
    for (int n = 1; n <= records; ++n)
        QVERIFY2(all.count(recordKey(n)) == 1, qPrintable(recordKey(n)));
    // Printed inside the unprintable edges of half an inch.
    double left = 1e9, top = 1e9;
    for (const pdftext::Word &word : pdftext::words(pdf)) {
        left = std::min(left, word.x);
        top = std::min(top, word.y);
    }
    QVERIFY2(left >= 35.5 && left < 40, qPrintable(QString::number(left)));
    QVERIFY2(top >= 35.5 && top < 48, qPrintable(QString::number(top)));
}

void tst_SystemPrinters::reportThroughThePrintDialog()
{
    // The print dialog offers the printer's paper; an Italian office's is A4.
    m_cups->tool(QStringLiteral("lpadmin"),
                 {QStringLiteral("-p"), QStringLiteral("PDF"), QStringLiteral("-o"), QStringLiteral("PageSize=A4")});
    const QStringList before = m_cups->writtenFiles();
    printReport();
    QVERIFY2(m_env->dialogs.shown.isEmpty(), qPrintable(shownTexts(*m_env)));
    const QString pdf = m_cups->nextFile(before);
    QVERIFY2(!pdf.isEmpty(), "the queue wrote no file");

    // The report's A4 sheet, every page of it, the records from first to last.
    QCOMPARE(paperPoints(pdf), QSize(595, 842));
    const std::shared_ptr<db::QueryRowSource> rows = m_env->store.reportRows();
    const report::BandedReport onA4(
        report::catalogueReportLayout(), *rows,
        report::BandedReport::paperTwips(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF())));
    QCOMPARE(onA4.pageCount(), 75);
    QCOMPARE(pdftext::pageCount(pdf), 75);
    const QString first = pageText(pdf, 1);
    QVERIFY2(first.contains(recordKey(1)) && first.contains(QLatin1String("Pagina 1 di 75")), qPrintable(first));
    const QString last = pageText(pdf, 75);
    QVERIFY2(last.contains(recordKey(records)) && last.contains(QLatin1String("Pagina 75 di 75")), qPrintable(last));
}

void tst_SystemPrinters::aQueueThatRefusesJobs()
{
    m_cups->tool(QStringLiteral("cupsreject"), {QStringLiteral("PDF")});
    const QStringList before = m_cups->writtenFiles();
    printListing();
    printReport();
    m_cups->tool(QStringLiteral("cupsaccept"), {QStringLiteral("PDF")});

    QCOMPARE(m_env->dialogs.shown.size(), 2);
    const QString refused = QStringLiteral("\nLa stampante PDF non accetta stampe.");
    QCOMPARE(m_env->dialogs.shown.at(0).text,
             QStringLiteral("La stampa dell'elenco non è riuscita: controllare la stampante.") + refused);
    QCOMPARE(m_env->dialogs.shown.at(1).text,
             QStringLiteral("La stampa del report non è riuscita: controllare la stampante e riprovare.") + refused);
    QCOMPARE(m_env->dialogs.shown.at(1).icon, QMessageBox::Warning);
    QCOMPARE(m_cups->writtenFiles(), before);
}

void tst_SystemPrinters::aQueueThatIsNotTheDefault()
{
    // A second queue made the default, then removed: PDF stays, with no default.
    QVERIFY(m_cups->addQueue(QStringLiteral("Altra")).isEmpty());
    m_cups->tool(QStringLiteral("lpadmin"), {QStringLiteral("-x"), QStringLiteral("Altra")});
    QVERIFY2(
        m_cups->tool(QStringLiteral("lpstat"), {QStringLiteral("-d")}).contains(QLatin1String("no system default")),
        qPrintable(m_cups->tool(QStringLiteral("lpstat"), {QStringLiteral("-d")})));

    const QStringList before = m_cups->writtenFiles();
    printListing();
    QVERIFY2(m_env->dialogs.shown.isEmpty(), qPrintable(shownTexts(*m_env)));
    const QString pdf = m_cups->nextFile(before);
    QVERIFY2(!pdf.isEmpty(), "the queue wrote no file");
    QVERIFY(pdftext::text(pdf).contains(recordKey(records)));
}

void tst_SystemPrinters::noPrinterAtAll()
{
    m_cups->tool(QStringLiteral("lpadmin"), {QStringLiteral("-x"), QStringLiteral("PDF")});
    printListing();
    QCOMPARE(m_env->dialogs.shown.size(), 1);
    QCOMPARE(m_env->dialogs.last().text,
             QStringLiteral("Nessuna stampante installata: impossibile stampare l'elenco."));
}

QTEST_MAIN(tst_SystemPrinters)
#include "tst_SystemPrinters.moc"
