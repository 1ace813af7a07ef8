// The report of the whole catalogue as the main window and the browse window show
// it: its own connection, every row of Tabella in table order, everything released
// after the window is closed, and a clear message when the catalogue fails.
#include "CatalogueRows.h"
#include "GuiTest.h"
#include "PdfText.h"
#include "TestEnvironment.h"
#include "core/catalogue/QueryRowSource.h"
#include "gui/Windows.h"
#include "gui/browse/ReportPreview.h"
#include "gui/kit/Texts.h"

#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

namespace {

void addRecord(const TestEnvironment &env, const QString &chiave, const QString &argomento, const QString &numero)
{
    testdata::addRecord(env,
                        {{QStringLiteral("Chiave"), chiave},
                         {QStringLiteral("Argomento"), argomento},
                         {QStringLiteral("N°"), numero},
                         {QStringLiteral("Testo"), QString()}});
}

// Rows and connection released: no connection left on a file; on a server, whose
// connections the store keeps between actions, no transaction left open.
bool catalogueReleased(const TestEnvironment &env)
{
    if (!env.onServer())
        return QSqlDatabase::connectionNames().isEmpty();
    return testdata::rowCount(env, QStringLiteral("SELECT pid FROM pg_stat_activity WHERE datname = current_database() "
                                                  "AND state <> 'idle' AND pid <> pg_backend_pid()"))
        == 0;
}

} // namespace

class tst_CatalogueReport : public QObject {
    Q_OBJECT

private slots:
    void showsEveryRecordAndReleasesTheCatalogue();
    void emptyCatalogue();
    void missingCatalogue();
    void tableWithoutAField();
    void pagesOfRowsArrivingLater();
};

void tst_CatalogueReport::showsEveryRecordAndReleasesTheCatalogue()
{
    TestEnvironment env;
    addRecord(env, QStringLiteral("Storia"), QStringLiteral("Roma antica"), QStringLiteral("12"));
    addRecord(env, QStringLiteral("Àrte"), QStringLiteral("Giotto"), QStringLiteral("3"));
    addRecord(env, QStringLiteral("Musica"), QStringLiteral("Verdi"), QString());
    Windows windows(env.context);
    QWidget caller;

    bool shownModal = false;
    int records = -1;
    QTimer::singleShot(0, &caller, [&] {
        ReportPreview *window = windows.loadedReportPreview();
        shownModal = window && window->isVisible() && window->isMaximized()
            && window->windowModality() == Qt::ApplicationModal;
        records = window && window->report() ? window->report()->recordsOn(1).count : -1;
        Ui(*window).click(u"stampa");
        window->close();
    });
    QVERIFY(windows.showWholeCatalogueReport(&caller));
    QVERIFY(shownModal);
    QCOMPARE(records, 3);
    QVERIFY(!windows.reportPreview().isVisible());
    QVERIFY(catalogueReleased(env));
    QCOMPARE(env.dialogs.shown.size(), 1);              // where the printed file went
    QVERIFY(env.dialogs.last().text.endsWith(env.printers.pdfPath));

    const QString text = pdftext::text(env.printers.pdfPath, true).simplified();
    const qsizetype first = text.indexOf(QLatin1String("Storia"));
    const qsizetype second = text.indexOf(QStringLiteral("Àrte"));
    const qsizetype third = text.indexOf(QLatin1String("Musica"));
    QVERIFY2(first >= 0 && first < second && second < third, qPrintable(text));
    QVERIFY(text.contains(QLatin1String("Roma antica")));
    QVERIFY(text.contains(QLatin1String("Pagina 1 di 1")));
}

void tst_CatalogueReport::emptyCatalogue()
{
    TestEnvironment env;
    Windows windows(env.context);
    QWidget caller;
    QString label;
    QTimer::singleShot(0, &caller, [&] {
        label = windows.reportPreview().report() ? QString::number(windows.reportPreview().report()->pageCount())
                                                 : QString();
        windows.reportPreview().close();
    });
    QVERIFY(windows.showWholeCatalogueReport(&caller));
    QCOMPARE(label, QStringLiteral("1"));
    QVERIFY(catalogueReleased(env));
}

void tst_CatalogueReport::missingCatalogue()
{
    TestEnvironment env(false);
    if (env.onServer())
        QSKIP("a catalogue file that is not there");
    Windows windows(env.context);
    QWidget caller;
    QVERIFY(!windows.showWholeCatalogueReport(&caller));
    QCOMPARE(env.dialogs.shown.size(), 1);
    const ShownBox &box = env.dialogs.last();
    QVERIFY2(box.text.startsWith(QStringLiteral("Impossibile preparare la stampa del catalogo.\n")),
             qPrintable(box.text));
    QVERIFY(box.text.contains(QLatin1String("db1.mdb"))); // the engine's reason names the file
    QCOMPARE(box.title, texts::applicationTitle());
    QCOMPARE(box.icon, QMessageBox::Critical);
    QVERIFY(!windows.loadedReportPreview() || !windows.loadedReportPreview()->isVisible());
    QVERIFY(catalogueReleased(env));
}

void tst_CatalogueReport::tableWithoutAField()
{
    TestEnvironment env;
    testdata::runSql(env, {QStringLiteral("ALTER TABLE Tabella DROP COLUMN Prog")});
    Windows windows(env.context);
    QWidget caller;
    QTimer::singleShot(0, &caller, [&] { windows.reportPreview().close(); }); // should it wrongly open
    QVERIFY(!windows.showWholeCatalogueReport(&caller));
    QCOMPARE(env.dialogs.shown.size(), 1);
    QCOMPARE(env.dialogs.last().text, QStringLiteral("Impossibile mostrare il report: ai dati mancano i campi Prog."));
    QVERIFY(catalogueReleased(env));
}

// More records than arrive at first: the first page shows at once, without a
// page count; once every record has arrived the count, and the last page's
// records, are those of the report of every record read at once.
void tst_CatalogueReport::pagesOfRowsArrivingLater()
{
    TestEnvironment env;
    QList<QVariantMap> records;
    for (int n = 1; n <= 3000; ++n)
        records.append({{QStringLiteral("Chiave"), QStringLiteral("voce %1").arg(n)}});
    testdata::addRecords(env, records);
    const std::shared_ptr<db::QueryRowSource> every = env.store.reportRows();
    every->readAll();
    Windows windows(env.context);
    QWidget caller;
    QString atFirst, counted, lastOnLastPage;
    int pages = 0;
    QTimer::singleShot(0, &caller, [&] {
        ReportPreview &window = windows.reportPreview();
        atFirst = Ui(window).label(u"indicatorePagina")->text();
        QTRY_VERIFY(window.report()->pageCountKnown());
        counted = Ui(window).label(u"indicatorePagina")->text();
        pages = report::BandedReport(window.report()->layout(), *every, window.report()->paperTwips()).pageCount();
        Ui(window).click(u"ultimaPagina");
        const report::BandedReport::Records last = window.report()->recordsOn(window.currentPage());
        lastOnLastPage = every->value(last.first + last.count - 1, 1).toString();
        window.close();
    });
    QVERIFY(windows.showWholeCatalogueReport(&caller));
    QCOMPARE(atFirst, QStringLiteral("Pagina 1"));
    QCOMPARE(counted, QStringLiteral("Pagina 1 di %1").arg(pages));
    QCOMPARE(lastOnLastPage, QStringLiteral("voce 3000"));
}

QTEST_MAIN(tst_CatalogueReport)
#include "tst_CatalogueReport.moc"
