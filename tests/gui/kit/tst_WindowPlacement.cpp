// Saving and restoring a window's placement in the INI file, on real windows:
// the outer frame in twips, the window state, centring on a coordinate of 0, and
// a placement that cannot be used giving way to the designed one, centred.
#include "CatalogueFolder.h"
#include "TestFiles.h"
#include "core/settings/IniSettings.h"
#include "core/settings/Twips.h"
#include "gui/kit/ToolWindow.h"
#include "gui/kit/WindowPlacement.h"

#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QTest>
#include <QWidget>

using testdata::fileBytes;
using testdata::writeBytes;

class tst_WindowPlacement : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void savesNormalPlacement();
    void savesOnlyStateWhenMaximised();
    void restoresPlacement();
    void restoresMaximisedFromLastNormalPlacement();
    void centresOnZeroCoordinates_data();
    void centresOnZeroCoordinates();
    void restoresWithoutResizing();
    void freshFileKeepsDesignedPlacement();
    void unusablePlacementOpensCentred_data();
    void unusablePlacementOpensCentred();
    void placementOnAnyScreenIsKept();
    void ignoresUnknownWindowState();

private:
    CatalogueFolder m_env{false};
    std::unique_ptr<IniSettings> m_ini;
};

void tst_WindowPlacement::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    // The cases below are written for 15 twips to the pixel.
    QCOMPARE(twips::perPixel(), 15.0);
}

void tst_WindowPlacement::init()
{
    QFile::remove(m_env.filePath(QStringLiteral("CINFIG.INI")));
    m_ini = std::make_unique<IniSettings>(m_env.folder(), IniSettings::Warning());
}

// Placement: a top-level window named like the search window, never shown unless said.

void tst_WindowPlacement::savesNormalPlacement()
{
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    QWidget window;
    window.setObjectName(QStringLiteral("Form7"));
    window.setGeometry(100, 200, 400, 300);
    placement::save(*m_ini, window);
    QCOMPARE(fileBytes(m_ini->fileName()),
             QByteArray("[Form7]\r\nX=1500\r\nY=3000\r\nW=6000\r\nH=4500\r\nWindowState=0\r\n"));

    QWidget restored;
    restored.setObjectName(QStringLiteral("Form7"));
    restored.setGeometry(10, 10, 50, 50);
    placement::restore(*m_ini, restored);
    QCOMPARE(restored.frameGeometry(), QRect(100, 200, 400, 300));
}

void tst_WindowPlacement::savesOnlyStateWhenMaximised()
{
    writeBytes(m_env.filePath(QStringLiteral("CINFIG.INI")),
               "[Form7]\r\nX=1500\r\nY=3000\r\nW=6000\r\nH=4500\r\nWindowState=0\r\n");
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    QWidget window;
    window.setObjectName(QStringLiteral("Form7"));
    window.setGeometry(30, 40, 200, 100);
    window.showMaximized();
    placement::save(*m_ini, window);
    QCOMPARE(fileBytes(m_ini->fileName()),
             QByteArray("[Form7]\r\nX=1500\r\nY=3000\r\nW=6000\r\nH=4500\r\nWindowState=2\r\n"));

    window.showMinimized();
    placement::save(*m_ini, window);
    QCOMPARE(m_ini->readInt(QStringLiteral("Form7"), QStringLiteral("WindowState"), -1), 1);
    QCOMPARE(m_ini->readInt(QStringLiteral("Form7"), QStringLiteral("X"), -1), 1500);
}

void tst_WindowPlacement::restoresPlacement()
{
    writeBytes(m_env.filePath(QStringLiteral("CINFIG.INI")),
               "[form7]\r\nx=1500\r\ny=3000.4\r\nw=6000\r\nh=4500\r\nwindowstate=0\r\n");
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    QWidget window;
    window.setObjectName(QStringLiteral("Form7"));
    window.setWindowState(Qt::WindowMinimized);
    placement::restore(*m_ini, window);
    // A minimised window refuses to be moved; its state becomes normal.
    QCOMPARE(window.windowState(), Qt::WindowNoState);
    placement::restore(*m_ini, window);
    QCOMPARE(window.frameGeometry(), QRect(100, 200, 400, 300));
}

void tst_WindowPlacement::restoresMaximisedFromLastNormalPlacement()
{
    writeBytes(m_env.filePath(QStringLiteral("CINFIG.INI")),
               "[Form7]\r\nX=1500\r\nY=3000\r\nW=6000\r\nH=4500\r\nWindowState=2\r\n");
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    QWidget window;
    window.setObjectName(QStringLiteral("Form7"));
    window.setGeometry(0, 0, 50, 50);
    placement::restore(*m_ini, window);
    QCOMPARE(window.windowState(), Qt::WindowMaximized);
    QCOMPARE(window.pos(), QPoint(100, 200)); // its normal placement, not centred
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.isMaximized());
    // Restored by the user: the saved outer frame, whatever frame the window got.
    window.showNormal();
    QTRY_COMPARE(window.frameGeometry(), QRect(100, 200, 400, 300));
}

void tst_WindowPlacement::centresOnZeroCoordinates_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("centreX");
    QTest::addColumn<bool>("centreY");
    QTest::newRow("X of 0") << QByteArray("[Form7]\nX=0\nY=3000\nW=6000\nH=4500\n") << true << false;
    QTest::newRow("Y of 0") << QByteArray("[Form7]\nX=1500\nY=0\nW=6000\nH=4500\n") << false << true;
    QTest::newRow("both 0") << QByteArray("[Form7]\nX=0\nY=0\nW=6000\nH=4500\n") << true << true;
    QTest::newRow("0 after rounding") << QByteArray("[Form7]\nX=0,9\nY=3000\nW=6000\nH=4500\n") << true << false;
    QTest::newRow("neither") << QByteArray("[Form7]\nX=1500\nY=3000\nW=6000\nH=4500\n") << false << false;
}

void tst_WindowPlacement::centresOnZeroCoordinates()
{
    QFETCH(QByteArray, contents);
    QFETCH(bool, centreX);
    QFETCH(bool, centreY);
    writeBytes(m_env.filePath(QStringLiteral("CINFIG.INI")), contents);
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    QWidget window;
    window.setObjectName(QStringLiteral("Form7"));
    placement::restore(*m_ini, window);
    const QRect screen = window.screen()->geometry();
    QCOMPARE(window.size(), QSize(400, 300));
    QCOMPARE(window.x(), centreX ? screen.x() + (screen.width() - 400) / 2 : 100);
    QCOMPARE(window.y(), centreY ? screen.y() + (screen.height() - 300) / 2 : 200);
}

void tst_WindowPlacement::restoresWithoutResizing()
{
    writeBytes(m_env.filePath(QStringLiteral("CINFIG.INI")), "[Form7]\r\nX=0\r\nY=0\r\nW=6000\r\nH=4500\r\n");
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    QWidget window;
    window.setObjectName(QStringLiteral("Form7"));
    window.resize(200, 100);
    placement::restore(*m_ini, window, false);
    const QRect screen = window.screen()->geometry();
    QCOMPARE(window.frameGeometry(),
             QRect(screen.x() + (screen.width() - 200) / 2, screen.y() + (screen.height() - 100) / 2, 200, 100));
}

void tst_WindowPlacement::freshFileKeepsDesignedPlacement()
{
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    QWidget window;
    window.setObjectName(QStringLiteral("Form7"));
    window.setGeometry(0, 70, 320, 240);
    placement::restore(*m_ini, window);
    const QRect screen = window.screen()->geometry();
    QCOMPARE(window.frameGeometry(), QRect(screen.x() + (screen.width() - 320) / 2, 70, 320, 240));
    QCOMPARE(window.windowState(), Qt::WindowNoState);
    QCOMPARE(fileBytes(m_ini->fileName()), QByteArray()); // reading writes nothing
}

// A placement saved on a screen that is gone, or shrunk to nothing, opens the
// window centred on its screen at its designed size.
void tst_WindowPlacement::unusablePlacementOpensCentred_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::newRow("off every screen") << QByteArray("[Form7]\r\nX=-15000\r\nY=150000\r\nW=6000\r\nH=4500\r\n");
    QTest::newRow("beyond the right edge") << QByteArray("[Form7]\r\nX=150000\r\nY=3000\r\nW=6000\r\nH=4500\r\n");
    QTest::newRow("title bar above the top") << QByteArray("[Form7]\r\nX=1500\r\nY=-3000\r\nW=6000\r\nH=4500\r\n");
    QTest::newRow("too small") << QByteArray("[Form7]\r\nX=1500\r\nY=3000\r\nW=900\r\nH=600\r\n");
}

void tst_WindowPlacement::unusablePlacementOpensCentred()
{
    QFETCH(QByteArray, contents);
    writeBytes(m_env.filePath(QStringLiteral("CINFIG.INI")), contents);
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    QWidget window;
    window.setObjectName(QStringLiteral("Form7"));
    window.resize(320, 240); // its designed size
    placement::restore(*m_ini, window);
    const QRect screen = window.screen()->geometry();
    const QRect centred(screen.x() + (screen.width() - 320) / 2, screen.y() + (screen.height() - 240) / 2, 320, 240);
    QCOMPARE(window.frameGeometry(), centred);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(window.screen()->availableGeometry().intersects(window.frameGeometry()));
    QCOMPARE(window.size(), QSize(320, 240)); // the designed size, whatever frame it got
    // Saved again as it now stands, it comes back the same.
    placement::save(*m_ini, window);
    QWidget again;
    again.setObjectName(QStringLiteral("Form7"));
    again.resize(320, 240);
    placement::restore(*m_ini, again);
    QCOMPARE(toolwindow::frameGeometry(&again), window.frameGeometry());
    QCOMPARE(again.size(), window.size());
}

// Every screen the desktop has counts: a window saved on the last one opens there.
void tst_WindowPlacement::placementOnAnyScreenIsKept()
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    const QRect last = screens.constLast()->availableGeometry();
    const QRect saved(last.x() + 40, last.y() + 30, 400, 300);
    writeBytes(m_env.filePath(QStringLiteral("CINFIG.INI")),
               QStringLiteral("[Form7]\r\nX=%1\r\nY=%2\r\nW=6000\r\nH=4500\r\n")
                   .arg(saved.x() * 15)
                   .arg(saved.y() * 15)
                   .toLatin1());
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    QWidget window;
    window.setObjectName(QStringLiteral("Form7"));
    placement::restore(*m_ini, window);
    QCOMPARE(window.frameGeometry(), saved);
}

void tst_WindowPlacement::ignoresUnknownWindowState()
{
    writeBytes(m_env.filePath(QStringLiteral("CINFIG.INI")),
               "[Form7]\r\nX=1500\r\nY=3000\r\nW=6000\r\nH=4500\r\nWindowState=7\r\n");
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    QWidget window;
    window.setObjectName(QStringLiteral("Form7"));
    placement::restore(*m_ini, window);
    QCOMPARE(window.windowState(), Qt::WindowNoState);
    QCOMPARE(window.frameGeometry(), QRect(100, 200, 400, 300));
}

QTEST_MAIN(tst_WindowPlacement)
#include "tst_WindowPlacement.moc"
