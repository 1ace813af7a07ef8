// The private-profile reader and writer: the rules of the Windows INI functions
// on texts, and the same on files (creation, atomic replace, refusals).
#include "TestFiles.h"
#include "core/settings/PrivateProfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace privateprofile;

using testdata::fileBytes;
using testdata::writeBytes;

namespace {
// The text as an editor saves it in UTF-16 with its byte-order mark.
QByteArray utf16(const QString &text, bool littleEndian)
{
    QByteArray bytes = littleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (const QChar c : text) {
        const char low = char(c.unicode() & 0xFF);
        const char high = char(c.unicode() >> 8);
        bytes += littleEndian ? low : high;
        bytes += littleEndian ? high : low;
    }
    return bytes;
}
} // namespace

class tst_PrivateProfile : public QObject {
    Q_OBJECT

private slots:
    void readsValue_data();
    void readsValue();
    void cutsValueToBuffer();
    void listsKeys_data();
    void listsKeys();
    void writes_data();
    void writes();
    void convertsWindows1252();
    void matchesAccentedNamesWithoutCase();
    void fileWriteCreatesAndReplaces();
    void fileWriteLeavesNoTemporaryFiles();
    void removalFromMissingFileCreatesNothing();
    void unreadableOrHugeFileIsNeverReplaced();
    void fileSavedByAnEditorIsWrittenBackInTheProgramsForm();
};

void tst_PrivateProfile::readsValue_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray basic("[Form7]\r\nX=1500\r\nY = 3000 \r\n\tW\t=\t9000\t\r\n");
    QTest::newRow("plain") << basic << QByteArray("Form7") << QByteArray("X") << QByteArray("1500");
    QTest::newRow("blanks around key and value")
        << basic << QByteArray("Form7") << QByteArray("Y") << QByteArray("3000");
    QTest::newRow("tabs around key and value") << basic << QByteArray("Form7") << QByteArray("W") << QByteArray("9000");
    QTest::newRow("section and key without case")
        << basic << QByteArray("FORM7") << QByteArray("x") << QByteArray("1500");
    QTest::newRow("blanks around the names asked")
        << basic << QByteArray(" Form7 ") << QByteArray(" X ") << QByteArray("1500");
    QTest::newRow("missing key") << basic << QByteArray("Form7") << QByteArray("H") << QByteArray("def");
    QTest::newRow("missing section") << basic << QByteArray("Form8") << QByteArray("X") << QByteArray("def");
    QTest::newRow("empty file") << QByteArray() << QByteArray("Form7") << QByteArray("X") << QByteArray("def");
    QTest::newRow("LF line ends") << QByteArray("[a]\nk=v\n[b]\nk=w") << QByteArray("b") << QByteArray("k")
                                  << QByteArray("w");
    QTest::newRow("empty value") << QByteArray("[a]\nk=\n") << QByteArray("a") << QByteArray("k") << QByteArray();
    QTest::newRow("double quotes removed")
        << QByteArray("[a]\nk= \"  x \" \n") << QByteArray("a") << QByteArray("k") << QByteArray("  x ");
    QTest::newRow("single quotes removed")
        << QByteArray("[a]\nk='x'\n") << QByteArray("a") << QByteArray("k") << QByteArray("x");
    QTest::newRow("one pair only") << QByteArray("[a]\nk=\"\"x\"\"\n") << QByteArray("a") << QByteArray("k")
                                   << QByteArray("\"x\"");
    QTest::newRow("unmatched quotes kept")
        << QByteArray("[a]\nk=\"x'\n") << QByteArray("a") << QByteArray("k") << QByteArray("\"x'");
    QTest::newRow("lone quote kept") << QByteArray("[a]\nk=\"\n") << QByteArray("a") << QByteArray("k")
                                     << QByteArray("\"");
    QTest::newRow("equals sign inside the value")
        << QByteArray("[a]\nk=b=c\n") << QByteArray("a") << QByteArray("k") << QByteArray("b=c");
    QTest::newRow("first of repeated keys")
        << QByteArray("[a]\nk=1\nK=2\n") << QByteArray("a") << QByteArray("k") << QByteArray("1");
    QTest::newRow("first of repeated sections")
        << QByteArray("[a]\nj=1\n[A]\nk=2\n") << QByteArray("a") << QByteArray("k") << QByteArray("def");
    QTest::newRow("key without equals sign")
        << QByteArray("[a]\nk\n") << QByteArray("a") << QByteArray("k") << QByteArray("def");
    QTest::newRow("key before any section")
        << QByteArray("k=1\n[a]\n") << QByteArray("a") << QByteArray("k") << QByteArray("def");
    QTest::newRow("missing bracket is no section")
        << QByteArray("[a]\nk=1\n[b\nk=2\n") << QByteArray("b") << QByteArray("k") << QByteArray("def");
    QTest::newRow("keys under a broken header stay in the section before")
        << QByteArray("[a]\n[b\nk=2\n") << QByteArray("a") << QByteArray("k") << QByteArray("2");
    QTest::newRow("text after the bracket")
        << QByteArray("[a] ; note\nk=1\n") << QByteArray("a") << QByteArray("k") << QByteArray("1");
    QTest::newRow("comment is a key only by its full name")
        << QByteArray("[a]\n;k=1\n") << QByteArray("a") << QByteArray("k") << QByteArray("def");
    QTest::newRow("NUL ends the value") << QByteArray("[a]\nk=12\0"
                                                      "34\n",
                                                      12)
                                        << QByteArray("a") << QByteArray("k") << QByteArray("12");
    QTest::newRow("UTF-8 mark before the first section")
        << QByteArray("\xEF\xBB\xBF[a]\nk=1\n") << QByteArray("a") << QByteArray("k") << QByteArray("1");
    QTest::newRow("lone CR is trimmed") << QByteArray("[a]\r\r\nk=1\r\r\n") << QByteArray("a") << QByteArray("k")
                                        << QByteArray("1");
    QTest::newRow("blank line inside the section")
        << QByteArray("[a]\n\nk=1\n") << QByteArray("a") << QByteArray("k") << QByteArray("1");

    // Files as editors save them.
    QTest::newRow("lone CR line ends") << QByteArray("[a]\rk=1\r[b]\rk=2\r") << QByteArray("b") << QByteArray("k")
                                       << QByteArray("2");
    QTest::newRow("lone CR, no section after the key")
        << QByteArray("[a]\rk=1\rj=2") << QByteArray("a") << QByteArray("j") << QByteArray("2");
    QTest::newRow("mixed line ends") << QByteArray("[a]\r\nj=0\rk=1\n[b]\rk=2") << QByteArray("a") << QByteArray("k")
                                     << QByteArray("1");
    QTest::newRow("UTF-8 mark, accented value") << QByteArray("\xEF\xBB\xBF[a]\r\nk=perch\xC3\xA9\r\n")
                                                << QByteArray("a") << QByteArray("k") << QByteArray("perch\xE9");
    QTest::newRow("UTF-8 mark, accented section and key")
        << QByteArray("\xEF\xBB\xBF[Citt\xC3\xA0]\rPi\xC3\xB9=\xE2\x82\xAC 5\r") << QByteArray("CITT\xC0")
        << QByteArray("pi\xF9") << QByteArray("\x80 5");
    QTest::newRow("UTF-8 mark, character outside the code page")
        << QByteArray("\xEF\xBB\xBF[a]\nk=\xE2\x98\x83!\n") << QByteArray("a") << QByteArray("k") << QByteArray("?!");
    QTest::newRow("UTF-16 little-endian") << utf16(QStringLiteral("[a]\r\nk=perché\r\n[b]\r\nk=2\r\n"), true)
                                          << QByteArray("a") << QByteArray("k") << QByteArray("perch\xE9");
    QTest::newRow("UTF-16 big-endian, lone CR") << utf16(QStringLiteral("[a]\rk=1\r[Città]\rk=sì\r"), false)
                                                << QByteArray("citt\xE0") << QByteArray("k") << QByteArray("s\xEC");
    QTest::newRow("UTF-16 with an odd last byte")
        << utf16(QStringLiteral("[a]\r\nk=1\r\n"), true) + 'x' << QByteArray("a") << QByteArray("k") << QByteArray("1");
}

void tst_PrivateProfile::readsValue()
{
    QFETCH(QByteArray, contents);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, expected);
    QCOMPARE(readFromText(contents, section, key, "def", 255), expected);
}

void tst_PrivateProfile::cutsValueToBuffer()
{
    const QByteArray longValue(300, 'x');
    const QByteArray contents = "[a]\nk=" + longValue + "\n";
    QCOMPARE(readFromText(contents, "a", QByteArrayView("k"), "", 255), QByteArray(254, 'x'));
    QCOMPARE(readFromText(contents, "a", QByteArrayView("k"), "", 1), QByteArray());
    QCOMPARE(readFromText(contents, "a", QByteArrayView("k"), "", 0), QByteArray());
    // The default is cut the same way and loses its trailing blanks.
    QCOMPARE(readFromText(contents, "b", QByteArrayView("k"), "abcdef  ", 4), QByteArray("abc"));
    QCOMPARE(readFromText(contents, "b", QByteArrayView("k"), " ab  ", 255), QByteArray(" ab"));
    // A megabyte line reads without trouble.
    const QByteArray huge = "[a]\nk=" + QByteArray(1 << 20, '7') + "\nj=1\n";
    QCOMPARE(readFromText(huge, "a", QByteArrayView("k"), "", 255), QByteArray(254, '7'));
    QCOMPARE(readFromText(huge, "a", QByteArrayView("j"), "", 255), QByteArray("1"));
}

void tst_PrivateProfile::listsKeys_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<int>("bufferSize");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray contents("[x]\nz=0\n[S]\nChiave=1\n; nota\n\nTesto\nArgomento = 2\n=3\n;c=4\n[T]\nw=5\n");
    QTest::newRow("file order, NUL after each") << contents << 8192 << QByteArray("Chiave\0Argomento\0", 17);
    QTest::newRow("cut list keeps two bytes for the NULs") << contents << 12 << QByteArray("Chiave\0Arg", 10);
    QTest::newRow("cut right after a name") << contents << 9 << QByteArray("Chiave\0", 7);
    QTest::newRow("exact fit") << contents << 18 << QByteArray("Chiave\0Argomento\0", 17);
    QTest::newRow("one byte short") << contents << 17 << QByteArray("Chiave\0Argoment", 15);
    QTest::newRow("tiny buffer") << contents << 2 << QByteArray();
    QTest::newRow("section without keys") << QByteArray("[S]\n; nota\n[T]\nw=1\n") << 8192 << QByteArray();
    QTest::newRow("missing section") << QByteArray("[T]\nw=1\n") << 8192 << QByteArray();
    QTest::newRow("first of repeated sections") << QByteArray("[S]\na=1\n[s]\nb=2\n") << 8192 << QByteArray("a\0", 2);
}

void tst_PrivateProfile::listsKeys()
{
    QFETCH(QByteArray, contents);
    QFETCH(int, bufferSize);
    QFETCH(QByteArray, expected);
    QCOMPARE(readFromText(contents, "S", std::nullopt, "", bufferSize), expected);
}

void tst_PrivateProfile::writes_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<bool>("hasKey");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<bool>("hasValue");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("expected"); // "<refused>" when the write is refused

    const QByteArray file("; impostazioni\n[A]\nk=1\nj = 2\n\n[B]\nk=3\n");
    QTest::newRow("new file") << QByteArray() << QByteArray("S") << true << QByteArray("k") << true << QByteArray("v")
                              << QByteArray("[S]\r\nk=v\r\n");
    QTest::newRow("new section at the end, other lines kept")
        << file << QByteArray("C") << true << QByteArray("x") << true << QByteArray("9")
        << QByteArray("; impostazioni\r\n[A]\r\nk=1\r\nj = 2\r\n\r\n[B]\r\nk=3\r\n[C]\r\nx=9\r\n");
    QTest::newRow("value replaced, key spelling of the file kept")
        << file << QByteArray("a") << true << QByteArray("J") << true << QByteArray("7")
        << QByteArray("; impostazioni\r\n[A]\r\nk=1\r\nj=7\r\n\r\n[B]\r\nk=3\r\n");
    QTest::newRow("new key after the last line that is not blank")
        << file << QByteArray("A") << true << QByteArray("n") << true << QByteArray("8")
        << QByteArray("; impostazioni\r\n[A]\r\nk=1\r\nj = 2\r\nn=8\r\n\r\n[B]\r\nk=3\r\n");
    QTest::newRow("last line without line end")
        << QByteArray("[A]\nk=1") << QByteArray("B") << true << QByteArray("k") << true << QByteArray("2")
        << QByteArray("[A]\r\nk=1\r\n[B]\r\nk=2\r\n");
    QTest::newRow("empty value") << QByteArray("[A]\nk=1\n") << QByteArray("A") << true << QByteArray("k") << true
                                 << QByteArray() << QByteArray("[A]\r\nk=\r\n");
    QTest::newRow("key removed, every copy in the section")
        << QByteArray("[A]\nk=1\nj=2\nK=3\n[B]\nk=4\n") << QByteArray("A") << true << QByteArray("k") << false
        << QByteArray() << QByteArray("[A]\r\nj=2\r\n[B]\r\nk=4\r\n");
    QTest::newRow("missing key removed changes nothing but line ends")
        << QByteArray("[A]\nj=2\n") << QByteArray("A") << true << QByteArray("k") << false << QByteArray()
        << QByteArray("[A]\r\nj=2\r\n");
    QTest::newRow("key of a missing section removed")
        << QByteArray("[A]\r\nj=2\r\n") << QByteArray("B") << true << QByteArray("k") << false << QByteArray()
        << QByteArray("[A]\r\nj=2\r\n");
    QTest::newRow("section removed with its comments, every copy")
        << QByteArray(";x\n[A]\nk=1\n;c\n[B]\nk=2\n[a]\nk=3\n") << QByteArray("A") << false << QByteArray() << false
        << QByteArray() << QByteArray(";x\r\n[B]\r\nk=2\r\n");
    QTest::newRow("line break in a value refused") << file << QByteArray("A") << true << QByteArray("k") << true
                                                   << QByteArray("1\r\n[C]") << QByteArray("<refused>");
    QTest::newRow("line break in a section refused")
        << file << QByteArray("A\nB") << true << QByteArray("k") << true << QByteArray("1") << QByteArray("<refused>");
    QTest::newRow("equals sign in a key refused")
        << file << QByteArray("A") << true << QByteArray("a=b") << true << QByteArray("1") << QByteArray("<refused>");
    QTest::newRow("key like a section refused")
        << file << QByteArray("A") << true << QByteArray("[B]") << true << QByteArray("1") << QByteArray("<refused>");
    QTest::newRow("NUL ends the value written") << QByteArray() << QByteArray("A") << true << QByteArray("k") << true
                                                << QByteArray("ab\0cd", 5) << QByteArray("[A]\r\nk=ab\r\n");

    // Files as editors save them come back in the program's form.
    QTest::newRow("lone CR") << QByteArray("[A]\rk=1\r\r[B]\rk=2") << QByteArray("A") << true << QByteArray("k") << true
                             << QByteArray("3") << QByteArray("[A]\r\nk=3\r\n\r\n[B]\r\nk=2\r\n");
    QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF;perch\xC3\xA9\n[A]\nk=1\n") << QByteArray("A") << true
                                     << QByteArray("j") << true << QByteArray("\xE8")
                                     << QByteArray(";perch\xE9\r\n[A]\r\nk=1\r\nj=\xE8\r\n");
    QTest::newRow("UTF-16 little-endian with mark")
        << utf16(QStringLiteral(";perché\r\n[A]\r\nk=1\r\n"), true) << QByteArray("A") << true << QByteArray("k")
        << false << QByteArray() << QByteArray(";perch\xE9\r\n[A]\r\n");
    QTest::newRow("UTF-16 big-endian with mark, outside the code page")
        << utf16(QStringLiteral("; ☃\r[A]\rk=1\r"), false) << QByteArray("B") << true << QByteArray("k") << true
        << QByteArray("2") << QByteArray("; ?\r\n[A]\r\nk=1\r\n[B]\r\nk=2\r\n");
    // A first line that itself begins with the bytes of a mark would be read back
    // as other text in Windows-1252: that file is written as UTF-8 with its mark.
    QTest::newRow("first line like a mark")
        << utf16(QStringLiteral("ÿþ nota\r\n[A]\r\n"), true) << QByteArray("A") << true << QByteArray("k") << true
        << QByteArray("1") << QByteArray("\xEF\xBB\xBF\xC3\xBF\xC3\xBE nota\r\n[A]\r\nk=1\r\n");
}

void tst_PrivateProfile::writes()
{
    QFETCH(QByteArray, contents);
    QFETCH(QByteArray, section);
    QFETCH(bool, hasKey);
    QFETCH(QByteArray, key);
    QFETCH(bool, hasValue);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, expected);
    const std::optional<QByteArray> result
        = writeToText(contents, section, hasKey ? std::optional<QByteArrayView>(key) : std::nullopt,
                      hasValue ? std::optional<QByteArrayView>(value) : std::nullopt);
    QCOMPARE(result.value_or(QByteArray("<refused>")), expected);
    // What was written reads back, and writing it again changes nothing.
    if (result && hasKey) {
        const QByteArray asRead = hasValue ? value.left(value.indexOf('\0') < 0 ? value.size() : value.indexOf('\0'))
                                           : QByteArray("<none>");
        QCOMPARE(readFromText(*result, section, QByteArrayView(key), "<none>", 255), asRead.trimmed());
        QCOMPARE(writeToText(*result, section, QByteArrayView(key),
                             hasValue ? std::optional<QByteArrayView>(value) : std::nullopt),
                 result);
    }
}

void tst_PrivateProfile::convertsWindows1252()
{
    QCOMPARE(toAnsi(QStringLiteral("Città € “x” Œ")), QByteArray("Citt\xE0 \x80 \x93x\x94 \x8C"));
    QCOMPARE(fromAnsi("Citt\xE0 \x80 \x93x\x94 \x8C"), QStringLiteral("Città € “x” Œ"));
    QCOMPARE(toAnsi(QStringLiteral("ā ☃ 😀.")), QByteArray("? ? ?."));
    // Every byte, the undefined ones included, comes back as it was.
    QByteArray all;
    for (int byte = 0; byte < 256; ++byte)
        all.append(char(byte));
    QCOMPARE(toAnsi(fromAnsi(all)), all);
    QCOMPARE(fromAnsi("\x81\x8D\x8F\x90\x9D"), QStringLiteral("\u0081\u008D\u008F\u0090\u009D"));
}

void tst_PrivateProfile::matchesAccentedNamesWithoutCase()
{
    const QByteArray contents = toAnsi(QStringLiteral("[CITTÀ]\nPERCHÉ=1\nŠŽŒŸ=2\n"));
    QCOMPARE(readFromText(contents, toAnsi(QStringLiteral("città")), toAnsi(QStringLiteral("perché")), "", 255),
             QByteArray("1"));
    QCOMPARE(readFromText(contents, toAnsi(QStringLiteral("Città")), toAnsi(QStringLiteral("šžœÿ")), "", 255),
             QByteArray("2"));
    QVERIFY(!sameName(toAnsi(QStringLiteral("×")), toAnsi(QStringLiteral("÷")))); // not a letter pair
    QVERIFY(!sameName("ab", "abc"));
}

void tst_PrivateProfile::fileWriteCreatesAndReplaces()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("CINFIG.INI"));
    QCOMPARE(getString("A", QByteArrayView("k"), "def", 255, path), QByteArray("def"));
    QVERIFY(writeString("A", QByteArrayView("k"), QByteArrayView("1"), path));
    QCOMPARE(fileBytes(path), QByteArray("[A]\r\nk=1\r\n"));
    writeBytes(path, "# mine\n[B]\nx=2\n");
    QVERIFY(writeString("A", QByteArrayView("k"), QByteArrayView("3"), path));
    QCOMPARE(fileBytes(path), QByteArray("# mine\r\n[B]\r\nx=2\r\n[A]\r\nk=3\r\n"));
    QCOMPARE(getString("b", QByteArrayView("X"), "", 255, path), QByteArray("2"));
    QVERIFY(writeString("B", std::nullopt, std::nullopt, path));
    QCOMPARE(fileBytes(path), QByteArray("# mine\r\n[A]\r\nk=3\r\n"));
    QVERIFY(!writeString("A", QByteArrayView("k"), QByteArrayView("a\nb"), path));
    QCOMPARE(fileBytes(path), QByteArray("# mine\r\n[A]\r\nk=3\r\n"));
}

void tst_PrivateProfile::fileWriteLeavesNoTemporaryFiles()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("CINFIG.INI"));
    for (int i = 0; i < 5; ++i)
        QVERIFY(writeString("A", QByteArray::number(i), QByteArrayView("v"), path));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("CINFIG.INI")});
}

void tst_PrivateProfile::removalFromMissingFileCreatesNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("CINFIG.INI"));
    QVERIFY(writeString("A", QByteArrayView("k"), std::nullopt, path));
    QVERIFY(writeString("A", std::nullopt, std::nullopt, path));
    QVERIFY(!QFile::exists(path));
    QVERIFY(!writeString("A", QByteArrayView("k"), QByteArrayView("1"), QString()));
}

void tst_PrivateProfile::unreadableOrHugeFileIsNeverReplaced()
{
    QTemporaryDir dir;
    // A folder where the file should be: reads give the default, writes fail.
    const QString folder = dir.filePath(QStringLiteral("cartella.ini"));
    QVERIFY(QDir().mkpath(folder));
    QCOMPARE(getString("A", QByteArrayView("k"), "def", 255, folder), QByteArray("def"));
    QVERIFY(!writeString("A", QByteArrayView("k"), QByteArrayView("1"), folder));
    QVERIFY(QFileInfo(folder).isDir());

    // A file too large to be a settings file is left alone.
    const QString huge = dir.filePath(QStringLiteral("grande.ini"));
    const QByteArray contents = "[A]\nk=1\n" + QByteArray(maxFileSize, ' ');
    writeBytes(huge, contents);
    QCOMPARE(getString("A", QByteArrayView("k"), "def", 255, huge), QByteArray("def"));
    QVERIFY(!writeString("A", QByteArrayView("k"), QByteArrayView("2"), huge));
    QCOMPARE(QFileInfo(huge).size(), contents.size());
}

void tst_PrivateProfile::fileSavedByAnEditorIsWrittenBackInTheProgramsForm()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("CINFIG.INI"));
    const QByteArray saved = utf16(QStringLiteral("[dgCustomers]\r\nColonna1=1500\r\n"), true);
    writeBytes(path, saved);
    QCOMPARE(getString("DGCUSTOMERS", QByteArrayView("colonna1"), "", 255, path), QByteArray("1500"));
    QCOMPARE(fileBytes(path), saved); // reading writes nothing
    // Removing a key that is not there still puts the file in the program's form.
    QVERIFY(writeString("dgCustomers", QByteArrayView("Colonna9"), std::nullopt, path));
    QCOMPARE(fileBytes(path), QByteArray("[dgCustomers]\r\nColonna1=1500\r\n"));
}

QTEST_GUILESS_MAIN(tst_PrivateProfile)
#include "tst_PrivateProfile.moc"
