// The actions the benchmark times, each driving the real windows as a user would.
#include "Benchmark.h"
#include "TestEnvironment.h"
#include "app/Form1.h"
#include "app/Windows.h"

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

} // namespace

std::vector<BenchAction> benchActions()
{
    return {
        {QStringLiteral("avvio fino al menu"), QStringLiteral("500 ms"), startUp},
    };
}
