// A short, repeatable run of the settings-file fuzz check: damaged and hostile
// files, then a few thousand seeded random and mutated inputs, through the same
// entry function as the libFuzzer target (fuzz/fuzz_private_profile.cpp).
#include "../../../fuzz/ProfileFuzzEntry.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

namespace {

// Three lines (section, key, value), then the file's contents.
QByteArray input(const QByteArray &section, const QByteArray &key, const QByteArray &value, const QByteArray &contents)
{
    return section + '\n' + key + '\n' + value + '\n' + contents;
}

QList<QByteArray> seedInputs()
{
    QList<QByteArray> seeds;
    const QDir corpus(QStringLiteral(TESTS_SOURCE_DIR "/../fuzz/corpus"));
    const QStringList names = corpus.entryList(QDir::Files, QDir::Name);
    for (const QString &name : names) {
        QFile file(corpus.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            seeds.append(file.readAll());
    }
    return seeds;
}

// Bytes that matter to the parser come often; the rest at random.
char randomByte(QRandomGenerator &random)
{
    static constexpr char structural[] = "[]=\n\r \t\"';&HOEe.,-+0123456789kK\xE0\xC0\x1A";
    if (random.bounded(3) == 0)
        return char(random.bounded(256));
    return structural[random.bounded(int(sizeof structural - 1))];
}

QByteArray mutated(QByteArray data, const QList<QByteArray> &seeds, QRandomGenerator &random)
{
    const int steps = 1 + random.bounded(8);
    for (int i = 0; i < steps; ++i) {
        const int at = data.isEmpty() ? 0 : random.bounded(int(data.size()));
        switch (random.bounded(5)) {
        case 0:
            if (!data.isEmpty())
                data[at] = char(data[at] ^ char(1 << random.bounded(8)));
            break;
        case 1:
            data.insert(at, randomByte(random));
            break;
        case 2:
            data.remove(at, random.bounded(16));
            break;
        case 3: { // a piece of another seed
            const QByteArray &other = seeds[random.bounded(int(seeds.size()))];
            const int from = random.bounded(int(other.size()) + 1);
            data.insert(at, other.mid(from, random.bounded(64)));
            break;
        }
        default:
            data.insert(at, QByteArray(random.bounded(200), randomByte(random)));
            break;
        }
    }
    return data;
}

} // namespace

class tst_ProfileFuzz : public QObject {
    Q_OBJECT

private slots:
    void hostileFiles_data();
    void hostileFiles();
    void seededRandomInputs();
};

void tst_ProfileFuzz::hostileFiles_data()
{
    QTest::addColumn<QByteArray>("data");
    QByteArray garbage(4096, '\0');
    QRandomGenerator random(4);
    for (char &byte : garbage)
        byte = char(random.bounded(256));

    QTest::newRow("binary garbage") << input("A", "k", "v", garbage);
    QTest::newRow("garbage as names") << garbage.left(40) + '\n' + garbage.mid(40, 40) + '\n' + garbage.mid(80);
    QTest::newRow("megabyte line") << input("A", "k", "v", "[A]\nk=" + QByteArray(1 << 20, 'x') + "\n");
    QTest::newRow("megabyte section name") << input("A", "k", "v", '[' + QByteArray(1 << 20, 'A') + "]\nk=1\n");
    QTest::newRow("megabyte without line end") << input("A", "k", "v", QByteArray(1 << 20, '['));
    QTest::newRow("NUL bytes") << input("A", "k", "v", QByteArray("[A\0]\nk\0=1\n[A]\nk=\0\0\n", 20));
    QTest::newRow("NUL in the names asked") << input(QByteArray("A\0B", 3), QByteArray("k\0j", 3), "v", "[A]\nk=1\n");
    QTest::newRow("missing bracket") << input("A", "k", "v", "[A\nk=1\n[B\n");
    QTest::newRow("repeated sections") << input("A", "k", "v", "[A]\nk=1\n[a]\nk=2\n[ A ]\nk=3\n");
    QTest::newRow("keys without equals sign") << input("A", "k", "v", "[A]\nk\nk k\n=\n==\n");
    QTest::newRow("overflowing numbers") << input("A", "k", "99999999999999999999",
                                                  "[A]\nk=1e99999\nj=&HFFFFFFFFFFFF\n");
    QTest::newRow("only line ends") << input("A", "k", "v", QByteArray(5000, '\n'));
    QTest::newRow("carriage returns only") << input("A", "k", "v", QByteArray("[A]\rk=1\r\r"));
    QTest::newRow("quotes") << input("A", "k", "\"'\"", "[A]\nk='\nk=\"\"\n");
    QTest::newRow("name like a section") << input("[A]", "[k]", "[v]", "[[A]]\n[k]=1\n");
    QTest::newRow("empty names") << input("", "", "", "[]\n=\n");
    QTest::newRow("byte order marks") << input("\xEF\xBB\xBF"
                                               "A",
                                               "k", "v", "\xEF\xBB\xBF\xEF\xBB\xBF[A]\nk=1\n");
    const auto utf16 = [](const QByteArray &ascii, bool littleEndian) {
        QByteArray bytes = littleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
        for (const char c : ascii) {
            bytes += littleEndian ? c : '\0';
            bytes += littleEndian ? '\0' : c;
        }
        return bytes;
    };
    QTest::newRow("UTF-16 little-endian") << input("A", "k", "v", utf16("[A]\r\nk=1\r\n[B]\rj=2", true));
    QTest::newRow("UTF-16 big-endian") << input("A", "k", "v", utf16("; x\r[A]\rk=1\r", false));
    QTest::newRow("UTF-16 garbage") << input("A", "k", "v", "\xFF\xFE" + garbage);
    QTest::newRow("UTF-16 odd length") << input("A", "k", "v", utf16("[A]\nk=1\n", true) + '\x41');
    QTest::newRow("UTF-8 mark, broken sequences") << input("A", "k", "v", "\xEF\xBB\xBF[A]\nk=\xC3\n\xE2\x82\n");
    QTest::newRow("first line like a mark") << input("A", "k", "v", utf16("\xFF\xFE x\r\n[A]\r\n", true));
    QTest::newRow("first line like a UTF-8 mark")
        << input("A", "k", "v", "\xFF\xFE\xEF\x00\xBB\x00\xBF\x00[\x00A\x00]\x00\n\x00");
    QTest::newRow("many sections") << input("S999", "k", "v", [] {
        QByteArray many;
        for (int i = 0; i < 2000; ++i)
            many += "[S" + QByteArray::number(i) + "]\nk=" + QByteArray::number(i) + '\n';
        return many;
    }());
}

void tst_ProfileFuzz::hostileFiles()
{
    QFETCH(QByteArray, data);
    const QString failure = profilefuzz::check(data);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void tst_ProfileFuzz::seededRandomInputs()
{
    const QList<QByteArray> seeds = seedInputs();
    QVERIFY(seeds.size() >= 3);
    QRandomGenerator random(20240611);
    for (int i = 0; i < 4000; ++i) {
        QByteArray data;
        if (i % 2 == 0) {
            data = mutated(seeds[random.bounded(int(seeds.size()))], seeds, random);
        } else {
            data.resize(random.bounded(600));
            for (char &byte : data)
                byte = randomByte(random);
        }
        const QString failure = profilefuzz::check(data);
        QVERIFY2(
            failure.isEmpty(),
            qPrintable(QStringLiteral("input %1 (%2): %3").arg(i).arg(QString::fromLatin1(data.toBase64()), failure)));
    }
}

QTEST_GUILESS_MAIN(tst_ProfileFuzz)
#include "tst_ProfileFuzz.moc"
