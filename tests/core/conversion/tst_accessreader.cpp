// The Access reader against the two real Access files: the header check, the
// tables and their definitions, every field as written (NULL told from the
// empty text), and damaged long texts reported instead of read short.
#include "AccessFixtures.h"
#include "core/conversion/AccessReader.h"

#include <QTemporaryDir>
#include <QTest>

using namespace convert;

Q_DECLARE_METATYPE(convert::AccessFormat)

class TestAccessReader : public QObject {
    Q_OBJECT

private slots:
    void formatFromTheHeader_data();
    void formatFromTheHeader();

    void tablesAsDefined_data();
    void tablesAsDefined();
    void everyFieldAsWritten_data();
    void everyFieldAsWritten();
    void columnsInAnyLetterCase();

    void filesThatAreNotAccessAreRefused_data();
    void filesThatAreNotAccessAreRefused();
    void damagedLongTextIsReported();
    void zeroedRowPageLosesRowsTheCallerCanCount();
};

void TestAccessReader::formatFromTheHeader_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<AccessFormat>("format");
    const QByteArray jet = QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20);
    const QByteArray ace = QByteArray("\x00\x01\x00\x00Standard ACE DB\x00", 20);
    QTest::newRow("Access 97") << jet + QByteArray(1, '\x00') + QByteArray(100, 'x') << AccessFormat::Jet3;
    QTest::newRow("Access 2000") << jet + QByteArray(1, '\x01') + QByteArray(100, 'x') << AccessFormat::Jet4;
    QTest::newRow("Access 2007") << ace + QByteArray(1, '\x02') << AccessFormat::Ace;
    QTest::newRow("empty file") << QByteArray() << AccessFormat::NotAccess;
    QTest::newRow("header cut short") << jet.left(12) << AccessFormat::NotAccess;
    QTest::newRow("text file") << QByteArray("Standard Jet DB, said the note\r\n") << AccessFormat::NotAccess;
    QTest::newRow("SQLite catalogue") << QByteArray("SQLite format 3\0", 16) + QByteArray(100, '\0')
                                      << AccessFormat::NotAccess;
    QTest::newRow("another engine's name")
        << QByteArray("\x00\x01\x00\x00Standard XYZ DB\x00\x01", 21) << AccessFormat::NotAccess;
}

void TestAccessReader::formatFromTheHeader()
{
    QFETCH(QByteArray, header);
    QFETCH(AccessFormat, format);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("db1.mdb"));
    QVERIFY(accessdata::write(path, header));
    QCOMPARE(accessFormatOf(path), format);
    QCOMPARE(accessFormatOf(dir.filePath(QStringLiteral("assente.mdb"))), AccessFormat::NotAccess);
    for (const QString &name : accessdata::fixtureNames())
        QCOMPARE(accessFormatOf(accessdata::fixture(name)), AccessFormat::Jet4);
}

void TestAccessReader::tablesAsDefined_data()
{
    QTest::addColumn<QString>("file");
    for (const QString &name : accessdata::fixtureNames())
        QTest::newRow(qPrintable(name)) << name;
}

void TestAccessReader::tablesAsDefined()
{
    QFETCH(QString, file);
    const QJsonObject dump = accessdata::dumpOf(file);
    AccessReader reader(accessdata::fixture(file));
    QCOMPARE(reader.format(), AccessFormat::Jet4);

    QStringList names;
    for (const AccessTable &table : reader.tables())
        names.append(table.name);
    QCOMPARE(names, accessdata::tableOrder()); // system tables are not listed

    for (const AccessTable &table : reader.tables()) {
        QCOMPARE(table.columns, accessdata::dumpColumns(dump, table.name));
        QCOMPARE(table.declaredRows,
                 qint64(dump.value(QStringLiteral("row_counts")).toObject().value(table.name).toInt()));
    }
    // The last AutoNumber given: the deleted rows' numbers count, the lookups' too.
    QCOMPARE(reader.findTable(QStringLiteral("Tabella"))->lastAutoNumber, qint64(312));
    QCOMPARE(reader.findTable(QStringLiteral("Chiave"))->lastAutoNumber, qint64(30));
    QCOMPARE(reader.findTable(QStringLiteral("contatore"))->lastAutoNumber, qint64(0));
    QVERIFY(reader.findTable(QStringLiteral("TABELLA")) == reader.findTable(QStringLiteral("Tabella")));
    QVERIFY(!reader.findTable(QStringLiteral("MSysObjects")));
}

void TestAccessReader::everyFieldAsWritten_data()
{
    tablesAsDefined_data();
}

void TestAccessReader::everyFieldAsWritten()
{
    QFETCH(QString, file);
    const QJsonObject dump = accessdata::dumpOf(file);
    AccessReader reader(accessdata::fixture(file));
    int nulls = 0;
    for (const QString &table : accessdata::tableOrder()) {
        const QStringList columns = accessdata::dumpColumns(dump, table);
        const QJsonArray expected = accessdata::dumpRows(dump, table);
        qint64 index = 0;
        const qint64 read = reader.readRows(table, columns, [&](const QList<AccessValue> &values) {
            QVERIFY(index < expected.size());
            const QJsonObject row = expected.at(index++).toObject();
            QCOMPARE(values.size(), columns.size());
            for (int c = 0; c < columns.size(); ++c) {
                const QJsonValue want = row.value(columns.at(c));
                const QString where = QStringLiteral("%1 row %2 %3").arg(table).arg(index).arg(columns.at(c));
                QVERIFY2(values.at(c).null == want.isNull(), qPrintable(where));
                QVERIFY2(values.at(c).text == accessdata::dumpText(want),
                         qPrintable(where + QStringLiteral(": ") + values.at(c).text));
                nulls += values.at(c).null ? 1 : 0;
            }
        });
        QCOMPARE(read, qint64(expected.size()));
    }
    QCOMPARE(nulls, 135); // row 4's optional fields and the others the dump holds as null
}

void TestAccessReader::columnsInAnyLetterCase()
{
    AccessReader reader(accessdata::fixture(accessdata::fixtureNames().first()));
    QList<QList<AccessValue>> rows;
    reader.readRows(QStringLiteral("tabella"), {QStringLiteral("id"), QStringLiteral("n°"), QStringLiteral("Assente")},
                    [&](const QList<AccessValue> &values) {
                        if (rows.size() < 5)
                            rows.append(values);
                    });
    QCOMPARE(rows.size(), 5);
    QCOMPARE(rows.at(0).at(0).text, QStringLiteral("1"));
    QCOMPARE(rows.at(0).at(1).text, QStringLiteral("12"));
    QCOMPARE(rows.at(4).at(1).text, QStringLiteral("999"));
    for (const auto &row : rows) // a column the table lacks reads as the empty text, not as NULL
        QVERIFY(row.at(2).text.isEmpty() && !row.at(2).null);
    QVERIFY_THROWS_EXCEPTION(AccessError, reader.readRows(QStringLiteral("Assente"), {}, [](const auto &) {}));
}

void TestAccessReader::filesThatAreNotAccessAreRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty file") << QByteArray() << QStringLiteral("non è un database di Access");
    QTest::newRow("text file") << QByteArray("Chiave;Argomento\r\nstoria;Roma\r\n")
                               << QStringLiteral("non è un database di Access");
    QTest::newRow("missing file") << QByteArray("<none>") << QStringLiteral("non è stato trovato");
    QTest::newRow("Access header alone") << QByteArray("\x00\x01\x00\x00Standard Jet DB\x00\x01\x00\x00\x00", 24)
                                         << QStringLiteral("è danneggiato");
}

void TestAccessReader::filesThatAreNotAccessAreRefused()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vecchio.mdb"));
    if (content != "<none>")
        QVERIFY(accessdata::write(path, content));
    try {
        AccessReader reader(path);
        QFAIL("the file was opened");
    } catch (const AccessError &error) {
        QVERIFY2(error.message().contains(expected), qPrintable(error.message()));
        QVERIFY(error.message().contains(path));
    }
    if (content != "<none>")
        QCOMPARE(accessdata::bytesOf(path), content);
}

void TestAccessReader::damagedLongTextIsReported()
{
    // libmdb gives back a memo whose pages are gone as a short or empty text
    // without a word; the reader must say so instead.
    QTemporaryDir dir;
    for (const QString &name : accessdata::fixtureNames()) {
        QByteArray file = accessdata::bytesOf(accessdata::fixture(name));
        const int tabella = accessdata::definitionPage(file, 300, 312);
        QVERIFY(tabella > 0);
        const QList<int> memo = accessdata::memoPages(file);
        QVERIFY(!memo.isEmpty());
        for (int page : memo)
            if (page > tabella)
                accessdata::zeroPage(file, page);
        const QString path = dir.filePath(name);
        QVERIFY(accessdata::write(path, file));

        AccessReader reader(path);
        qint64 read = 0;
        try {
            reader.readRows(QStringLiteral("Tabella"), {QStringLiteral("ID"), QStringLiteral("Note")},
                            [&](const QList<AccessValue> &) { ++read; });
            QFAIL("the damaged notes were read");
        } catch (const AccessError &error) {
            QVERIFY2(error.message().contains(QStringLiteral("\"Note\"")), qPrintable(error.message()));
            QVERIFY(error.message().contains(QStringLiteral("danneggiato")));
        }
        QVERIFY(read < 300);
    }
}

void TestAccessReader::zeroedRowPageLosesRowsTheCallerCanCount()
{
    // The reader goes on past a page that is no longer a data page; the rows on
    // it are missing from the count, which is what the conversion checks.
    QTemporaryDir dir;
    QByteArray file = accessdata::bytesOf(accessdata::fixture(accessdata::fixtureNames().first()));
    const int tabella = accessdata::definitionPage(file, 300, 312);
    const QList<int> rows = accessdata::dataPagesOf(file, tabella);
    QVERIFY(rows.size() > 1);
    accessdata::zeroPage(file, rows.first());
    const QString path = dir.filePath(QStringLiteral("db1.mdb"));
    QVERIFY(accessdata::write(path, file));
    AccessReader reader(path);
    QCOMPARE(reader.findTable(QStringLiteral("Tabella"))->declaredRows, qint64(300));
    const qint64 read = reader.readRows(QStringLiteral("Tabella"), {QStringLiteral("ID")}, [](const auto &) {});
    QVERIFY2(read > 0 && read < 300, qPrintable(QString::number(read)));
}

QTEST_GUILESS_MAIN(TestAccessReader)
#include "tst_accessreader.moc"
