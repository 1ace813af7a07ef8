// The windows together, inside the program's event loop as main() runs it: no
// window closes because another one did, "Esci" ends the program with windows
// open, and every window opens centred when it has no saved placement.
#include "CatalogueRows.h"
#include "GuiTest.h"
#include "TestEnvironment.h"
#include "core/settings/IniSettings.h"
#include "gui/Windows.h"
#include "gui/attachments/AttachmentWindow.h"
#include "gui/attachments/ScannerWindow.h"
#include "gui/browse/BrowseWindow.h"
#include "gui/browse/ReportPreview.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/search/SearchWindow.h"
#include "gui/service/ServiceWindow.h"
#include "gui/startup/Startup.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs `steps` inside the application's event loop, as the program runs, and
// returns the loop's exit code. `steps` ends the loop with QCoreApplication::exit.
int insideTheEventLoop(const std::function<void()> &steps)
{
    QTimer::singleShot(0, qApp, steps);
    QTimer::singleShot(60000, qApp, [] { QCoreApplication::exit(-1); }); // never hang the run
    return QCoreApplication::exec();
}

void closeThePreview(Windows &windows)
{
    ReportPreview *preview = windows.loadedReportPreview();
    QVERIFY(preview && preview->isVisible());
    Ui(*preview).click(u"chiudi");
}

} // namespace

class tst_Windows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void closingThePreviewClosesNoOtherWindow_data();
    void closingThePreviewClosesNoOtherWindow();
    void esciEndsTheProgramWithWindowsOpen();
    void everyWindowOpensCentred();
};

void tst_Windows::initTestCase()
{
    startup::configure(*qApp); // as main() sets the application up
}

void tst_Windows::closingThePreviewClosesNoOtherWindow_data()
{
    QTest::addColumn<QString>("from");
    QTest::newRow("a search result") << "search";
    QTest::newRow("Stampa Generale") << "menu";
    QTest::newRow("Stampa Report of the browse window") << "browse";
}

void tst_Windows::closingThePreviewClosesNoOtherWindow()
{
    QFETCH(QString, from);
    TestEnvironment env;
    testdata::addRecords(env, {{{QStringLiteral("Chiave"), QStringLiteral("Storia")}}});
    Windows windows(env.context);
    const Ui main(windows.mainWindow());
    QPointer<SearchWindow> search;
    QPointer<BrowseWindow> browse;
    bool previewShown = false;

    const int exitCode = insideTheEventLoop([&] {
        main.window.show();
        main.checkBox(u"Check4")->setChecked(true); // "Ricerca"
        search = windows.loadedSearchWindow();
        main.checkBox(u"Check5")->setChecked(true); // the entry screen, then "Modifica"
        main.click(u"Command20");
        browse = windows.loadedBrowseWindow();
        QTimer::singleShot(0, qApp, [&] {
            previewShown = windows.loadedReportPreview() && windows.loadedReportPreview()->isVisible();
            closeThePreview(windows);
        });
        if (from == QLatin1String("search")) {
            env.dialogs.answerInput(QStringLiteral("stor"));
            env.dialogs.answerButton(QMessageBox::Yes); // "Vuoi Stampare la Ricerca ?"
            Ui(*search).trigger(u"Chiave");
        } else if (from == QLatin1String("menu")) {
            main.checkBox(u"Check6")->setChecked(true); // "Stampa Generale"
        } else {
            Ui(*browse).click(u"Command2");
        }
        // Qt handles what closing the preview set off in the next turns of the loop.
        QTimer::singleShot(200, qApp, [] { QCoreApplication::exit(7); });
    });
    QCOMPARE(exitCode, 7); // the loop was not ended by the preview's closing
    QVERIFY(previewShown);
    QVERIFY(search && search->isVisible());
    QVERIFY(browse && browse->isVisible());
    QVERIFY(main.window.isVisible());
    QVERIFY(!windows.loadedReportPreview()->isVisible());
    // The search window did not run its closing steps either.
    IniSettings ini(env.folder(), IniSettings::Warning());
    ini.setFileName(env.context.settingsPath());
    QCOMPARE(ini.readInt(QStringLiteral("Form7"), QStringLiteral("WindowState"), -1), -1);
}

void tst_Windows::esciEndsTheProgramWithWindowsOpen()
{
    TestEnvironment env;
    env.context.endProgram = startup::endProgram; // as main() sets it
    Windows windows(env.context);
    const Ui main(windows.mainWindow());
    QPointer<SearchWindow> search;
    const int exitCode = insideTheEventLoop([&] {
        main.window.show();
        main.checkBox(u"Check4")->setChecked(true);
        search = windows.loadedSearchWindow();
        main.checkBox(u"Check11")->setChecked(true); // "Esci"
    });
    QCOMPARE(exitCode, 0);
    // No window was asked to close: the search window saved nothing.
    QVERIFY(search && search->isVisible());
    IniSettings ini(env.folder(), IniSettings::Warning());
    ini.setFileName(env.context.settingsPath());
    QCOMPARE(ini.readInt(QStringLiteral("Form7"), QStringLiteral("WindowState"), -1), -1);
}

void tst_Windows::everyWindowOpensCentred()
{
    TestEnvironment env;
    Windows windows(env.context);
    windows.mainWindow().show();
    QVERIFY(QTest::qWaitForWindowExposed(&windows.mainWindow()));
    const QList<QWidget *> opened = {&windows.mainWindow(),    &windows.searchWindow(),     &windows.browseWindow(),
                                     &windows.serviceWindow(), &windows.attachmentWindow(), &windows.scannerWindow()};
    for (QWidget *window : opened) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QRect screen = window->screen()->availableGeometry();
        const auto offCentre = [&] { return window->frameGeometry().center() - screen.center(); };
        // Within a few pixels: the search window centres on the whole screen. Under
        // a window manager the frame comes a moment after the window: wait for it.
        QTRY_VERIFY2_WITH_TIMEOUT(qAbs(offCentre().x()) <= 3 && qAbs(offCentre().y()) <= 3,
                                  qPrintable(QStringLiteral("%1 is %2, %3 pixels off the centre")
                                                 .arg(window->objectName())
                                                 .arg(offCentre().x())
                                                 .arg(offCentre().y())),
                                  3000);
    }
}

QTEST_MAIN(tst_Windows)
#include "tst_Windows.moc"
