// The actions the benchmark times, each driving the real windows as a user would.
#include "Benchmark.h"
#include "TestEnvironment.h"
#include "app/Form1.h"
#include "app/Windows.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTest>

namespace {

double elapsedMs(const QElapsedTimer &timer) { return double(timer.nsecsElapsed()) / 1e6; }

double startUp(Windows &windows, TestEnvironment &)
{
    QElapsedTimer timer;
    timer.start();
    QWidget &main = windows.form1();
    main.show();
    if (!QTest::qWaitForWindowExposed(&main))
        return -1;
    return elapsedMs(timer);
}

// The entry screen, shown, in insert mode; nullptr when the window does not show.
Form1 *entryScreen(Windows &windows)
{
    Form1 &main = windows.form1();
    main.show();
    if (!QTest::qWaitForWindowExposed(&main))
        return nullptr;
    main.Check5->click();
    return &main;
}

double enterDeletionMode(Windows &windows, TestEnvironment &)
{
    Form1 *shown = entryScreen(windows);
    if (!shown)
        return -1;
    Form1 &main = *shown;
    QElapsedTimer timer;
    timer.start();
    main.Check9->click();
    QCoreApplication::processEvents();
    return elapsedMs(timer);
}

double openDeletionList(Windows &windows, TestEnvironment &)
{
    Form1 *shown = entryScreen(windows);
    if (!shown)
        return -1;
    Form1 &main = *shown;
    main.Check9->click();
    QElapsedTimer timer;
    timer.start();
    main.Combo7->showPopup();
    const bool exposed = QTest::qWaitForWindowExposed(main.Combo7->view()->window());
    QCoreApplication::processEvents();
    const double ms = exposed ? elapsedMs(timer) : -1;
    main.Combo7->hidePopup();
    return ms;
}

} // namespace

std::vector<BenchAction> benchActions()
{
    return {
        {QStringLiteral("avvio fino al menu"), QStringLiteral("500 ms"), startUp},
        {QStringLiteral("modalità eliminazione (elenco caricato)"), QStringLiteral("500 ms"), enterDeletionMode},
        {QStringLiteral("apertura dell'elenco di eliminazione"), QStringLiteral("200 ms"), openDeletionList},
    };
}
