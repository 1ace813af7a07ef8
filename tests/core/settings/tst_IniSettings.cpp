// The INI settings manager against files on disk: file name completion, typed
// reads, writes and removals, key lists. (Window placement: tst_WindowPlacement.)
#include "TestFiles.h"
#include "core/settings/IniSettings.h"
#include "core/settings/Twips.h"

#include "CatalogueFolder.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTest>

#include <limits>
#include <utility>

using testdata::fileBytes;
using testdata::writeBytes;

namespace {

QString fixture(const char *name)
{
    return QStringLiteral(TEST_FOLDER "/data/") + QLatin1String(name);
}

// A window as a desktop frames it: a title bar and borders around the inner
// area, which the window knows (once shown; before, from the program's other
// windows). Placed in pixels, as the widgets are.
class FramedWindow : public PlacedWindow {
public:
    QRect inner{1, 20, 640, 480}; // the designed size; the frame not placed yet (at 0, 0)
    QMargins frame{1, 20, 1, 5};
    Qt::WindowStates state = Qt::WindowNoState;
    int resizes = 0;

    QString name() const override { return QStringLiteral("Form7"); }
    QRect frameGeometry() const override { return inner.marginsAdded(frame); }
    Qt::WindowStates windowState() const override { return state; }
    void move(const QPoint &frameTopLeft) override
    {
        inner.moveTopLeft(frameTopLeft + QPoint(frame.left(), frame.top()));
    }
    void resizeFrame(const QSize &outer) override
    {
        ++resizes;
        inner.setSize(outer - QSize(frame.left() + frame.right(), frame.top() + frame.bottom()));
    }
    void setWindowState(Qt::WindowStates windowState) override { state = windowState; }
    QRect screenGeometry() const override { return screens.constFirst(); }
    QList<QRect> screenGeometries() const override { return screens; }
    QList<QRect> screens = oneScreen(); // the first is the window's own

private:
    static QList<QRect> oneScreen()
    {
        QList<QRect> screens;
        screens.append(QRect(0, 0, 1280, 1024));
        return screens;
    }
};

} // namespace

class TestIniSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void completesFilename_data();
    void completesFilename();
    void warnsAboutMissingFileOnlyWhenAsked();
    void keepsExistingFile();
    void typedReads_data();
    void typedReads();
    void readsBoolWithTextDefault_data();
    void readsBoolWithTextDefault();
    void readsWindows1252File();
    void roundTripMatchesExpectedFileByteForByte();
    void listsKeysOfAnyFile();
    void listsKeysOfMissingSection();
    void removes();
    void storesUpperCase();
    void worksWithoutFilename();
    void framedPlacementComesBackTheSame();
    void withoutASavedSizeTheWindowKeepsItsOwn();
    void unusablePlacementOpensCentredAtDesignedSize_data();
    void unusablePlacementOpensCentredAtDesignedSize();
    void maximisedWindowGetsAUsableNormalPlacement();
    void readsFilesAsEditorsSaveThem_data();
    void readsFilesAsEditorsSaveThem();
    void catalogueIsTheFileUnlessAServerIsNamed();
    void serverLineThatCannotBeUsedIsQuoted_data();
    void serverLineThatCannotBeUsedIsQuoted();

private:
    struct Warning {
        QString text, title;
    };
    std::unique_ptr<CatalogueFolder> m_env;
    std::unique_ptr<IniSettings> m_ini;
    QList<Warning> m_warnings; // what the manager told the user
    IniSettings::Warning recorder()
    {
        return [this](const QString &text, const QString &title) { m_warnings.append({text, title}); };
    }
    QString path(const QString &name) const { return m_env->folder() + QLatin1Char('/') + name; }
};

void TestIniSettings::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    // The placement cases below are written for 15 twips to the pixel.
    QCOMPARE(twips::perPixel(), 15.0);
}

void TestIniSettings::init()
{
    m_env = std::make_unique<CatalogueFolder>(false);
    m_warnings.clear();
    m_ini = std::make_unique<IniSettings>(m_env->folder(), recorder());
}

void TestIniSettings::cleanup()
{
    m_ini.reset();
    m_env.reset();
}

void TestIniSettings::completesFilename_data()
{
    QTest::addColumn<QString>("given"); // "%1" stands for the program folder
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << QString() << QStringLiteral("%1/CONFIG.INI");
    QTest::newRow("bare name") << QStringLiteral("prova") << QStringLiteral("%1/prova.ini");
    QTest::newRow("bare name with extension") << QStringLiteral("prova.cfg") << QStringLiteral("%1/prova.cfg");
    QTest::newRow("the search window's file") << QStringLiteral("CINFIG.INI") << QStringLiteral("%1/CINFIG.INI");
    QTest::newRow("full path without dot")
        << QStringLiteral("%1/sub/impostazioni") << QStringLiteral("%1/sub/impostazioni.ini");
    QTest::newRow("dot only in a folder")
        << QStringLiteral("%1/sub.d/impostazioni") << QStringLiteral("%1/sub.d/impostazioni");
    QTest::newRow("backslashes carry a folder") << QStringLiteral("%1\\sub\\win") << QStringLiteral("%1/sub/win.ini");
}

void TestIniSettings::completesFilename()
{
    QFETCH(QString, given);
    QFETCH(QString, expected);
    QVERIFY(QDir(m_env->folder()).mkpath(QStringLiteral("sub")));
    QVERIFY(QDir(m_env->folder()).mkpath(QStringLiteral("sub.d")));
    const QString folder = m_env->folder();
    m_ini->setFileName(given.isNull() ? given : given.arg(folder));
    QCOMPARE(m_ini->fileName(), expected.arg(folder));
    QCOMPARE(fileBytes(m_ini->fileName()), QByteArray()); // created empty
    QVERIFY(m_warnings.isEmpty());                        // ShowWarning is off at first
}

void TestIniSettings::warnsAboutMissingFileOnlyWhenAsked()
{
    QVERIFY(!m_ini->showsWarning());
    m_ini->setShowWarning(true);
    QVERIFY(m_ini->showsWarning());
    m_ini->setFileName(QStringLiteral("cinfig.ini"));
    QCOMPARE(m_warnings.size(), 1);
    const Warning &box = m_warnings.last();
    QCOMPARE(box.text,
             QStringLiteral("Il file: ") + path(QStringLiteral("cinfig.ini")).toUpper()
                 + QStringLiteral(" non è stato trovato.\n\nSarà creato ora."));
    QCOMPARE(box.title, QStringLiteral("File di configurazione"));
    QVERIFY(QFile::exists(path(QStringLiteral("cinfig.ini"))));

    m_ini->setFileName(QStringLiteral("cinfig.ini")); // now found: no message
    QCOMPARE(m_warnings.size(), 1);
}

void TestIniSettings::keepsExistingFile()
{
    writeBytes(path(QStringLiteral(".nascosto.ini")), "[A]\nk=1\n");
    m_ini->setShowWarning(true);
    m_ini->setFileName(QStringLiteral(".nascosto.ini"));
    QVERIFY(m_warnings.isEmpty());
    QCOMPARE(fileBytes(m_ini->fileName()), QByteArray("[A]\nk=1\n"));
    QCOMPARE(m_ini->read(QStringLiteral("A"), QStringLiteral("k"), QString()), QStringLiteral("1"));
}

void TestIniSettings::typedReads_data()
{
    QTest::addColumn<QByteArray>("stored"); // the bytes after "k="; "<none>" for no key
    QTest::addColumn<QString>("text");      // read with default "predef"
    QTest::addColumn<int>("number");        // readInt with default 99
    QTest::addColumn<bool>("flag");         // readBool with default true

    constexpr int max = std::numeric_limits<qint32>::max();
    constexpr int min = std::numeric_limits<qint32>::min();
    auto row = [](const char *name, const QByteArray &stored, const QString &text, int number, bool flag) {
        QTest::newRow(name) << stored << text << number << flag;
    };
    row("missing key", "<none>", QStringLiteral("predef"), 99, true);
    row("empty value", "", QStringLiteral("predef"), 99, false);
    row("decimal comma ends the number", "1234,5", QStringLiteral("1234,5"), 1234, true);
    row("half rounds up to even", "7.5", QStringLiteral("7.5"), 8, true);
    row("half rounds down to even", "6.5", QStringLiteral("6.5"), 6, true);
    row("negative half to even", "-2.5", QStringLiteral("-2.5"), -2, true);
    row("negative half away to even", "-3.5", QStringLiteral("-3.5"), -4, true);
    row("above half", "2.51", QStringLiteral("2.51"), 3, true);
    row("letter first", "abc", QStringLiteral("abc"), 0, true);
    row("number then letters", "12abc", QStringLiteral("12abc"), 12, true);
    row("blanks trimmed", "   42   ", QStringLiteral("42"), 42, true);
    row("blanks inside the number", "1 2\t3", QStringLiteral("1 2\t3"), 123, true);
    row("sign apart from digits", "- 7", QStringLiteral("- 7"), -7, true);
    row("plus sign", "+8", QStringLiteral("+8"), 8, true);
    row("exponent", "1e3", QStringLiteral("1e3"), 1000, true);
    row("exponent with sign", "2.5E+1", QStringLiteral("2.5E+1"), 25, true);
    row("D exponent", "1d2", QStringLiteral("1d2"), 100, true);
    row("exponent without digits", "5e", QStringLiteral("5e"), 5, true);
    row("negative exponent", "1e-1", QStringLiteral("1e-1"), 0, true);
    row("point first", ".51", QStringLiteral(".51"), 1, true);
    row("point alone", ".", QStringLiteral("."), 0, true);
    row("sign alone", "-", QStringLiteral("-"), 0, true);
    row("hexadecimal", "&H10", QStringLiteral("&H10"), 16, true);
    row("hexadecimal lower case", "&hff", QStringLiteral("&hff"), 255, true);
    row("hexadecimal 16-bit is signed", "&HFFFF", QStringLiteral("&HFFFF"), -1, true);
    row("hexadecimal 16-bit lowest", "&H8000", QStringLiteral("&H8000"), -32768, true);
    row("hexadecimal beyond 16 bits", "&H10000", QStringLiteral("&H10000"), 65536, true);
    row("hexadecimal 32-bit is signed", "&HFFFFFFFF", QStringLiteral("&HFFFFFFFF"), -1, true);
    row("hexadecimal beyond 32 bits", "&H123456789", QStringLiteral("&H123456789"), max, true);
    row("octal", "&O17", QStringLiteral("&O17"), 15, true);
    row("octal stops at 8", "&O8", QStringLiteral("&O8"), 0, true);
    row("unknown radix", "&X1", QStringLiteral("&X1"), 0, true);
    row("largest", "2147483647", QStringLiteral("2147483647"), max, true);
    row("one above largest", "2147483648", QStringLiteral("2147483648"), max, true);
    row("smallest", "-2147483648", QStringLiteral("-2147483648"), min, true);
    row("far below", "-99999999999", QStringLiteral("-99999999999"), min, true);
    row("huge exponent", "1e999", QStringLiteral("1e999"), max, true);
    row("huge negative exponent", "-1e999", QStringLiteral("-1e999"), min, true);
    row("many digits", QByteArray(200, '9'), QString(200, QLatin1Char('9')), max, true);
    row("quoted", "\"42\"", QStringLiteral("42"), 42, true);
    row("zero", "0", QStringLiteral("0"), 0, false);
    row("Falso", "Falso", QStringLiteral("Falso"), 0, false);
    row("falso in lower case", "falso", QStringLiteral("falso"), 0, true);
    row("FALSO in upper case", "FALSO", QStringLiteral("FALSO"), 0, true);
    row("English False", "False", QStringLiteral("False"), 0, true);
    row("Vero", "Vero", QStringLiteral("Vero"), 0, true);
    row("double zero", "00", QStringLiteral("00"), 0, true);
    row("accented text", "perch\xE9", QStringLiteral("perché"), 0, true);
    row("long value cut", QByteArray(300, 'x'), QString(254, QLatin1Char('x')), 0, true);
}

void TestIniSettings::typedReads()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, text);
    QFETCH(int, number);
    QFETCH(bool, flag);
    QByteArray contents("[Prove]\r\nprima=1\r\n");
    if (stored != "<none>")
        contents += "k=" + stored + "\r\n";
    writeBytes(path(QStringLiteral("CINFIG.INI")), contents);
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    m_ini->setSection(QStringLiteral("prove"));
    QCOMPARE(m_ini->section(), QStringLiteral("prove"));

    QCOMPARE(m_ini->read(QStringLiteral("K"), QStringLiteral("predef")), text);
    QCOMPARE(m_ini->readInt(QStringLiteral("K"), 99), number);
    QCOMPARE(m_ini->readBool(QStringLiteral("K"), true), flag);
    // The forms with a section read the same.
    QCOMPARE(m_ini->read(QStringLiteral("Prove"), QStringLiteral("k"), QStringLiteral("predef")), text);
    QCOMPARE(m_ini->readInt(QStringLiteral("Prove"), QStringLiteral("k"), 99), number);
    if (stored == "<none>")
        QCOMPARE(m_ini->readBool(QStringLiteral("k"), false), false);
}

void TestIniSettings::readsBoolWithTextDefault_data()
{
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<bool>("expected");
    QTest::newRow("0") << QStringLiteral("0") << false;
    QTest::newRow("Falso") << QStringLiteral("Falso") << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("falso") << QStringLiteral("falso") << true;
    QTest::newRow("Vero") << QStringLiteral("Vero") << true;
    QTest::newRow("trailing blank dropped like the platform does") << QStringLiteral("0  ") << false;
}

void TestIniSettings::readsBoolWithTextDefault()
{
    QFETCH(QString, defaultText);
    QFETCH(bool, expected);
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    QCOMPARE(m_ini->readBool(QStringLiteral("OPZIONI"), QStringLiteral("manca"), defaultText), expected);
}

void TestIniSettings::readsWindows1252File()
{
    writeBytes(path(QStringLiteral("CINFIG.INI")), "[Citt\xE0]\r\nPerch\xE9=\x80 5\r\n");
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    QCOMPARE(m_ini->read(QStringLiteral("CITTÀ"), QStringLiteral("PERCHÉ"), QString()), QStringLiteral("€ 5"));
    QCOMPARE(m_ini->write(QStringLiteral("Città"), QStringLiteral("Più"), QStringLiteral("“sì”")), 1);
    QCOMPARE(fileBytes(m_ini->fileName()), QByteArray("[Citt\xE0]\r\nPerch\xE9=\x80 5\r\nPi\xF9=\x93s\xEC\x94\r\n"));
}

void TestIniSettings::roundTripMatchesExpectedFileByteForByte()
{
    QVERIFY(QFile::copy(fixture("roundtrip_before.ini"), path(QStringLiteral("CINFIG.INI"))));
    QFile::setPermissions(path(QStringLiteral("CINFIG.INI")), QFile::ReadOwner | QFile::WriteOwner);
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));

    QCOMPARE(m_ini->write(QStringLiteral("form7"), QStringLiteral("x"), QStringLiteral("1800")), 1);
    QCOMPARE(m_ini->write(QStringLiteral("dgCustomers"), QStringLiteral("Testo"), QStringLiteral("750")), 1);
    QCOMPARE(m_ini->deleteKey(QStringLiteral("dgCustomers"), QStringLiteral("Argomento")), 1);
    QCOMPARE(m_ini->deleteSection(QStringLiteral("Vecchia")), 1);
    m_ini->setSection(QStringLiteral("Città"));
    QCOMPARE(m_ini->write(QStringLiteral("Perché"), QStringLiteral("€ 5")), 1);
    m_ini->setUpperCase(1);

    QCOMPARE(fileBytes(m_ini->fileName()), fileBytes(fixture("roundtrip_expected.ini")));

    // Reread through a new instance.
    IniSettings again(m_env->folder(), recorder());
    again.setFileName(QStringLiteral("CINFIG.INI"));
    QCOMPARE(again.readInt(QStringLiteral("Form7"), QStringLiteral("X"), 0), 1800);
    QCOMPARE(again.readInt(QStringLiteral("Form7"), QStringLiteral("W"), 0), 9000);
    QCOMPARE(again.readInt(QStringLiteral("dgCustomers"), QStringLiteral("Argomento"), -1), -1);
    QCOMPARE(again.read(QStringLiteral("Altro programma"), QStringLiteral("chiave sconosciuta"), QString()),
             QStringLiteral("valore \"qualsiasi\""));
    QCOMPARE(again.read(QStringLiteral("Vecchia"), QStringLiteral("a"), QStringLiteral("tolta")),
             QStringLiteral("tolta"));
    QCOMPARE(again.read(QStringLiteral("città"), QStringLiteral("perché"), QString()), QStringLiteral("€ 5"));
    QCOMPARE(again.readInt(QStringLiteral("OPZIONI"), QStringLiteral("UpperCase"), 0), 1);
}

void TestIniSettings::listsKeysOfAnyFile()
{
    const QString other = path(QStringLiteral("altro.ini"));
    writeBytes(other, "[dgCustomers]\nChiave=2000\n; nota\n\nTesto=1\nsenza uguale\nN\xB0=3\n[Form7]\nX=1\n");
    m_ini->setFileName(QStringLiteral("CINFIG.INI")); // not the file listed
    QStringList keys{QStringLiteral("vecchio")};
    qint32 count = -1;
    QCOMPARE(m_ini->readSectionKeys(other, QStringLiteral("DGCUSTOMERS"), keys, count), false);
    QCOMPARE(keys, (QStringList{QStringLiteral("Chiave"), QStringLiteral("Testo"), QStringLiteral("N°")}));
    QCOMPARE(count, 3);

    // More names than the 8192-character buffer holds: the cut name is dropped.
    QByteArray many("[S]\n");
    for (int i = 0; i < 1000; ++i)
        many += "chiave" + QByteArray::number(i).rightJustified(4, '0') + "=1\n"; // 11 characters + NUL each
    writeBytes(other, many);
    QCOMPARE(m_ini->readSectionKeys(other, QStringLiteral("S"), keys, count), false);
    QCOMPARE(count, 8190 / 11);
    QCOMPARE(keys.size(), count);
    QCOMPARE(keys.constLast(), QStringLiteral("chiave%1").arg(count - 1, 4, 10, QLatin1Char('0')));
}

void TestIniSettings::listsKeysOfMissingSection()
{
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    m_ini->write(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("1"));
    QStringList keys{QStringLiteral("vecchio")};
    qint32 count = -1;
    QCOMPARE(m_ini->readSectionKeys(m_ini->fileName(), QStringLiteral("B"), keys, count), false);
    QVERIFY(keys.isEmpty());
    QCOMPARE(count, 0);
    QCOMPARE(m_ini->readSectionKeys(path(QStringLiteral("manca.ini")), QStringLiteral("A"), keys, count), false);
    QCOMPARE(count, 0);
}

void TestIniSettings::removes()
{
    writeBytes(path(QStringLiteral("CINFIG.INI")), "[A]\r\nk=1\r\nj=2\r\n[B]\r\nk=3\r\n");
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    QCOMPARE(m_ini->deleteKey(QStringLiteral("a"), QStringLiteral("K")), 1);
    QCOMPARE(fileBytes(m_ini->fileName()), QByteArray("[A]\r\nj=2\r\n[B]\r\nk=3\r\n"));
    QCOMPARE(m_ini->deleteKey(QStringLiteral("A"), QStringLiteral("manca")), 1);
    QCOMPARE(m_ini->deleteSection(QStringLiteral("b")), 1);
    QCOMPARE(fileBytes(m_ini->fileName()), QByteArray("[A]\r\nj=2\r\n"));
    QCOMPARE(m_ini->readInt(QStringLiteral("B"), QStringLiteral("k"), 7), 7);
    QCOMPARE(m_ini->deleteSection(QStringLiteral("manca")), 1);
    // A write that would break the file's structure is refused.
    QCOMPARE(m_ini->write(QStringLiteral("A"), QStringLiteral("j"), QStringLiteral("1\n[B]")), 0);
    QCOMPARE(fileBytes(m_ini->fileName()), QByteArray("[A]\r\nj=2\r\n"));
}

void TestIniSettings::storesUpperCase()
{
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    QCOMPARE(m_ini->upperCase(), qint16(0));
    m_ini->setUpperCase(1);
    QCOMPARE(m_ini->upperCase(), qint16(1));
    QCOMPARE(fileBytes(m_ini->fileName()), QByteArray("[OPZIONI]\r\nUpperCase=1\r\n"));
    QVERIFY(!m_ini->isIde());
    // A new instance does not read the option back.
    IniSettings again(m_env->folder(), recorder());
    again.setFileName(QStringLiteral("CINFIG.INI"));
    QCOMPARE(again.upperCase(), qint16(0));
}

void TestIniSettings::worksWithoutFilename()
{
    QCOMPARE(m_ini->fileName(), QString());
    QCOMPARE(m_ini->read(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("d")), QStringLiteral("d"));
    QCOMPARE(m_ini->readInt(QStringLiteral("A"), QStringLiteral("k"), 5), 5);
    QCOMPARE(m_ini->write(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("1")), 0);
    QVERIFY(QDir(m_env->folder()).entryList(QDir::Files).isEmpty());
}

// Saved, restored into a new window, saved again, ten times over: the outer
// frame is what the file keeps, so nothing grows by the frame at each round.
void TestIniSettings::framedPlacementComesBackTheSame()
{
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    FramedWindow first;
    first.move(QPoint(200, 150));
    first.resizeFrame(QSize(402, 325));
    m_ini->savePlacement(first);
    const QByteArray saved = fileBytes(m_ini->fileName());
    QCOMPARE(saved, QByteArray("[Form7]\r\nX=3000\r\nY=2250\r\nW=6030\r\nH=4875\r\nWindowState=0\r\n"));
    for (int round = 1; round <= 10; ++round) {
        FramedWindow next;
        m_ini->restorePlacement(next);
        QCOMPARE(next.frameGeometry(), QRect(200, 150, 402, 325));
        QCOMPARE(next.inner.size(), QSize(400, 300));
        m_ini->savePlacement(next);
        QCOMPARE(fileBytes(m_ini->fileName()), saved);
    }
}

// No saved size: the window is given no size at all, so it keeps its designed
// inner area whatever its frame; it is centred on the screen by its frame.
void TestIniSettings::withoutASavedSizeTheWindowKeepsItsOwn()
{
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    FramedWindow window;
    m_ini->restorePlacement(window);
    QCOMPARE(window.resizes, 0);
    QCOMPARE(window.inner.size(), QSize(640, 480));
    QCOMPARE(window.frameGeometry(), QRect(319, 260, 642, 505)); // (1280 - 642) / 2, (1024 - 505) / 2
}

// The designed window (frame 642 x 505) opens centred at (319, 260) on the
// 1280 x 1024 screen, unless the saved frame shows at least 48 x 16 pixels of its
// title bar (the frame's top 24 pixels) on a screen and is at least a third of the
// designed width (214) and height (169).
void TestIniSettings::unusablePlacementOpensCentredAtDesignedSize_data()
{
    QTest::addColumn<QRect>("saved"); // the outer frame, in pixels
    QTest::addColumn<bool>("secondScreen");
    QTest::addColumn<bool>("used");
    QTest::newRow("on the screen") << QRect(100, 50, 400, 300) << false << true;
    QTest::newRow("left of every screen") << QRect(-2000, 100, 400, 300) << false << false;
    QTest::newRow("right of every screen") << QRect(1400, 100, 400, 300) << false << false;
    QTest::newRow("below every screen") << QRect(100, 1100, 400, 300) << false << false;
    QTest::newRow("title bar above the screen") << QRect(100, -40, 400, 300) << false << false;
    QTest::newRow("title bar half above the screen") << QRect(100, -8, 400, 300) << false << true;
    QTest::newRow("mostly off, title bar reachable") << QRect(-300, 100, 400, 300) << false << true;
    QTest::newRow("only 40 pixels of title bar") << QRect(1240, 100, 400, 300) << false << false;
    QTest::newRow("48 pixels of title bar") << QRect(1232, 100, 400, 300) << false << true;
    QTest::newRow("on a second screen") << QRect(1400, 100, 400, 300) << true << true;
    QTest::newRow("beyond the second screen") << QRect(3400, 100, 400, 300) << true << false;
    QTest::newRow("too narrow") << QRect(100, 50, 213, 300) << false << false;
    QTest::newRow("narrow but usable") << QRect(100, 50, 214, 300) << false << true;
    QTest::newRow("too low") << QRect(100, 50, 400, 168) << false << false;
    QTest::newRow("low but usable") << QRect(100, 50, 400, 169) << false << true;
    QTest::newRow("larger than the screen") << QRect(10, 10, 3000, 2000) << false << true;
}

void TestIniSettings::unusablePlacementOpensCentredAtDesignedSize()
{
    QFETCH(QRect, saved);
    QFETCH(bool, secondScreen);
    QFETCH(bool, used);
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    for (const auto &[key, value] :
         {std::pair{"X", saved.x()}, {"Y", saved.y()}, {"W", saved.width()}, {"H", saved.height()}})
        m_ini->write(QStringLiteral("Form7"), QLatin1String(key), QString::number(value * 15));
    FramedWindow window;
    if (secondScreen)
        window.screens.append(QRect(1280, 0, 1920, 1080));
    m_ini->restorePlacement(window);
    QCOMPARE(window.frameGeometry(), used ? saved : QRect(319, 260, 642, 505));
    QCOMPARE(window.inner.size(), used ? saved.size() - QSize(2, 25) : QSize(640, 480));
    QCOMPARE(window.state, Qt::WindowNoState);
}

// Saved maximised over a normal placement off every screen: maximised, and
// brought back to normal it stands centred at its designed size.
void TestIniSettings::maximisedWindowGetsAUsableNormalPlacement()
{
    writeBytes(path(QStringLiteral("CINFIG.INI")),
               "[Form7]\r\nX=90000\r\nY=90000\r\nW=6000\r\nH=4500\r\nWindowState=2\r\n");
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    FramedWindow window;
    m_ini->restorePlacement(window);
    QCOMPARE(window.state, Qt::WindowMaximized);
    QCOMPARE(window.frameGeometry(), QRect(319, 260, 642, 505));
    QCOMPARE(fileBytes(m_ini->fileName()),
             QByteArray("[Form7]\r\nX=90000\r\nY=90000\r\nW=6000\r\nH=4500\r\nWindowState=2\r\n"));
}

// CINFIG.INI edited and saved by an editor: old Mac line ends, UTF-8 or UTF-16
// with a byte-order mark. Read as the text says; the next write puts the whole
// file back in the program's form (Windows-1252, CR LF), every line kept.
void TestIniSettings::readsFilesAsEditorsSaveThem_data()
{
    QTest::addColumn<QByteArray>("contents");
    const QString text = QStringLiteral("; città è perché\r\n[Form7]\r\nX=1500\r\n[Città]\r\nVoce=Perché sì\r\n");
    QTest::newRow("Windows-1252, CR LF") << text.toLatin1();
    QTest::newRow("lone CR") << QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\r")).toLatin1();
    QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    QTest::newRow("UTF-8 with mark, lone CR")
        << QByteArray("\xEF\xBB\xBF") + QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\r")).toUtf8();
    QByteArray littleEndian("\xFF\xFE");
    QByteArray bigEndian("\xFE\xFF");
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        littleEndian += char(u & 0xFF);
        littleEndian += char(u >> 8);
        bigEndian += char(u >> 8);
        bigEndian += char(u & 0xFF);
    }
    QTest::newRow("UTF-16 little-endian with mark") << littleEndian;
    QTest::newRow("UTF-16 big-endian with mark") << bigEndian;
}

void TestIniSettings::readsFilesAsEditorsSaveThem()
{
    QFETCH(QByteArray, contents);
    writeBytes(path(QStringLiteral("CINFIG.INI")), contents);
    m_ini->setFileName(QStringLiteral("CINFIG.INI"));
    QCOMPARE(m_ini->readInt(QStringLiteral("Form7"), QStringLiteral("X"), -1), 1500);
    QCOMPARE(m_ini->read(QStringLiteral("città"), QStringLiteral("voce"), QString()), QStringLiteral("Perché sì"));
    QStringList keys;
    qint32 count = 0;
    m_ini->readSectionKeys(m_ini->fileName(), QStringLiteral("CITTÀ"), keys, count);
    QCOMPARE(keys, QStringList{QStringLiteral("Voce")});
    QCOMPARE(fileBytes(m_ini->fileName()), contents); // reading changes nothing

    QVERIFY(m_ini->write(QStringLiteral("Form7"), QStringLiteral("Y"), QStringLiteral("3000")));
    QCOMPARE(fileBytes(m_ini->fileName()),
             QByteArray(
                 "; citt\xE0 \xE8 perch\xE9\r\n[Form7]\r\nX=1500\r\nY=3000\r\n[Citt\xE0]\r\nVoce=Perch\xE9 s\xEC\r\n"));
    QCOMPARE(m_ini->read(QStringLiteral("Città"), QStringLiteral("Voce"), QString()), QStringLiteral("Perché sì"));
}

void TestIniSettings::catalogueIsTheFileUnlessAServerIsNamed()
{
    const QString folder = m_env->folder();
    QCOMPARE(catalogueSettings(folder).location, folder + QStringLiteral("/db1.mdb")); // no CINFIG.INI
    QFile file(path(QStringLiteral("CINFIG.INI")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Form7]\r\nLeft=10\r\n[Catalogo]\r\nServer=\r\n");
    file.close();
    QCOMPARE(catalogueSettings(folder).location, folder + QStringLiteral("/db1.mdb")); // an empty key
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Form7]\r\nLeft=10\r\n[catalogo]\r\nserver = postgresql://archivio@server/catalogo \r\n");
    file.close();
    QCOMPARE(catalogueSettings(folder).location, QStringLiteral("postgresql://archivio@server/catalogo"));
}

void TestIniSettings::serverLineThatCannotBeUsedIsQuoted_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("wrong");
    QTest::newRow("port out of range") << QStringLiteral("postgresql://postgres@127.0.0.1:99999/cat1")
                                       << QStringLiteral("la porta \"99999\" non è valida");
    QTest::newRow("port not a number") << QStringLiteral("postgresql:///cat1?host=/tmp&port=abc")
                                       << QStringLiteral("la porta \"abc\" non è valida");
    QTest::newRow("unknown option") << QStringLiteral("postgresql:///cat1?host=/tmp&colore=blu")
                                    << QStringLiteral("l'opzione \"colore\" non esiste");
    QTest::newRow("option in a user name") << QStringLiteral("postgresql:///cat1?user=postgres;sslmode=require")
                                           << QStringLiteral("il valore dell'opzione \"user\" "
                                                             "(\"postgres;sslmode=require\") contiene il carattere "
                                                             "\";\", che in un indirizzo va scritto %3B");
    QTest::newRow("user name to escape") << QStringLiteral("postgresql://arch ivio@server/cat1")
                                         << QStringLiteral("il nome dell'utente \"arch ivio\" contiene il carattere");
    QTest::newRow("IPv6 not closed") << QStringLiteral("postgresql://[::1/cat1")
                                     << QStringLiteral("manca la \"]\" che chiude l'indirizzo IPv6");
    QTest::newRow("not a server") << QStringLiteral("postgres ql://x/y")
                                  << QStringLiteral("l'indirizzo non comincia con postgresql://");
}

// A line that would reach another server, port or user is refused as written,
// before anything is contacted, and no file of the folder is taken for a catalogue.
void TestIniSettings::serverLineThatCannotBeUsedIsQuoted()
{
    QFETCH(QString, server);
    QFETCH(QString, wrong);
    writeBytes(path(QStringLiteral("CINFIG.INI")), "[Catalogo]\r\nServer=" + server.toUtf8() + "\r\n");
    const QString problem = catalogueSettings(m_env->folder()).problem;
    QVERIFY2(problem.contains(QStringLiteral("\n  Server=") + server + QLatin1Char('\n')), qPrintable(problem));
    QVERIFY2(problem.contains(QStringLiteral("non è valida: ") + wrong), qPrintable(problem));
    QVERIFY2(problem.endsWith(QStringLiteral("Nessun server è stato contattato.")), qPrintable(problem));
}

QTEST_MAIN(TestIniSettings)
#include "tst_IniSettings.moc"
