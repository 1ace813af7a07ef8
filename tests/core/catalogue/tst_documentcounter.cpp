// The document counter's rules: what counts as a whole number, reading the last
// number given and storing the next one.
#include "CatalogueFolder.h"
#include "CatalogueRows.h"
#include "core/engines/Engine.h"
#include "core/catalogue/DocumentCounter.h"

#include <QTest>

class TestDocumentCounter : public QObject {
    Q_OBJECT

private slots:
    void wholeNumber_data();
    void wholeNumber();
    void readsAndStores();
    void readingReportsWhatIsWrong_data();
    void readingReportsWhatIsWrong();
};

void TestDocumentCounter::wholeNumber_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<qint64>("number");
    QTest::newRow("integer") << QVariant(qint64(41)) << true << qint64(41);
    QTest::newRow("zero") << QVariant(0) << true << qint64(0);
    QTest::newRow("digits as text") << QVariant(QStringLiteral("100")) << true << qint64(100);
    QTest::newRow("blanks around") << QVariant(QStringLiteral(" 7 ")) << true << qint64(7);
    QTest::newRow("empty text") << QVariant(QString()) << false << qint64(0);
    QTest::newRow("null") << QVariant() << false << qint64(0);
    QTest::newRow("word") << QVariant(QStringLiteral("dodici")) << false << qint64(0);
    QTest::newRow("fraction") << QVariant(QStringLiteral("1,5")) << false << qint64(0);
    QTest::newRow("digits and letter") << QVariant(QStringLiteral("12a")) << false << qint64(0);
    QTest::newRow("largest has no next") << QVariant(std::numeric_limits<qint64>::max()) << false << qint64(0);
}

void TestDocumentCounter::wholeNumber()
{
    QFETCH(QVariant, value);
    QFETCH(bool, whole);
    QFETCH(qint64, number);
    const auto result = counter::wholeNumber(value);
    QCOMPARE(result.has_value(), whole);
    if (whole)
        QCOMPARE(*result, number);
}

void TestDocumentCounter::readsAndStores()
{
    CatalogueFolder env;
    const auto catalogue = db::connect(env.catalogPath());
    db::Connection &connection = *catalogue;
    QCOMPARE(counter::read(connection).next(), std::optional<qint64>(1));
    QCOMPARE(counter::store(connection, 42).problem, counter::Reading::None);
    const counter::Reading reading = counter::read(connection);
    QCOMPARE(reading.problem, counter::Reading::None);
    QCOMPARE(reading.last, qint64(42));
    QCOMPARE(reading.next(), std::optional<qint64>(43));

    testdata::runSql(env, {QStringLiteral("DELETE FROM contatore")});
    QCOMPARE(counter::store(connection, 43).problem, counter::Reading::NoRow);
    QCOMPARE(testdata::rowCount(env, QStringLiteral("contatore")), 0);

    // Two rows: neither is read nor written, whichever came first.
    testdata::runSql(env, {QStringLiteral("INSERT INTO contatore (Progressivo) VALUES (0)"),
                           QStringLiteral("INSERT INTO contatore (Progressivo) VALUES (5)")});
    QCOMPARE(counter::store(connection, 50).problem, counter::Reading::SeveralRows);
    QCOMPARE(testdata::rowsOf(env, QStringLiteral("SELECT Progressivo FROM contatore")),
             (QList<QVariantMap>{{{QStringLiteral("Progressivo"), qint64(0)}},
                                 {{QStringLiteral("Progressivo"), qint64(5)}}}));
}

void TestDocumentCounter::readingReportsWhatIsWrong_data()
{
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<int>("problem");
    QTest::addColumn<QString>("mentioned");
    QTest::newRow("no row") << QStringList{QStringLiteral("DELETE FROM contatore")} << int(counter::Reading::NoRow)
                            << QStringLiteral("non contiene la riga");
    QTest::newRow("two rows") << QStringList{QStringLiteral("INSERT INTO contatore VALUES (5)")}
                              << int(counter::Reading::SeveralRows) << QStringLiteral("contiene 2 righe");
    QTest::newRow("text") << QStringList{QStringLiteral("DROP TABLE contatore"),
                                         QStringLiteral("CREATE TABLE contatore (Progressivo TEXT)"),
                                         QStringLiteral("INSERT INTO contatore VALUES ('x1')")}
                          << int(counter::Reading::NotWholeNumber) << QStringLiteral("\"x1\"");
    QTest::newRow("empty") << QStringList{QStringLiteral("DROP TABLE contatore"),
                                          QStringLiteral("CREATE TABLE contatore (Progressivo TEXT)"),
                                          QStringLiteral("INSERT INTO contatore VALUES (NULL)")}
                           << int(counter::Reading::NotWholeNumber) << QStringLiteral("non è un numero intero");
}

void TestDocumentCounter::readingReportsWhatIsWrong()
{
    QFETCH(QStringList, statements);
    QFETCH(int, problem);
    QFETCH(QString, mentioned);
    CatalogueFolder env;
    testdata::runSql(env, statements);
    const counter::Reading reading = counter::read(*db::connect(env.catalogPath()));
    QCOMPARE(int(reading.problem), problem);
    QVERIFY(!reading.next());
    const QString message = counter::problemMessage(reading, env.catalogPath());
    QVERIFY2(message.contains(mentioned), qPrintable(message));
    QVERIFY(message.contains(env.catalogPath()));
}

QTEST_MAIN(TestDocumentCounter)
#include "tst_documentcounter.moc"
