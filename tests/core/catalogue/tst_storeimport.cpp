// Filling a new catalogue in one go: rows with their own IDs, the counter, the
// numbers the counters go on from, the search index, and nothing stored unless
// the whole import finishes and checks out.
#include "CatalogueFolder.h"
#include "CatalogueRows.h"
#include "core/engines/DbError.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/catalogue/Store.h"

#include <QTest>

using namespace db;

namespace {

QStringList fields(const QString &chiave, const QString &argomento)
{
    QStringList values(11);
    values[0] = chiave;
    values[1] = argomento;
    return values; // the other nine stay null QStrings
}

QMap<QString, qint64> counts(qint64 records, qint64 keywords)
{
    return {{QStringLiteral("Tabella"), records},
            {QStringLiteral("Chiave"), keywords},
            {QStringLiteral("Pubblicazione"), 0},
            {QStringLiteral("Allocazione"), 0},
            {QStringLiteral("contatore"), 1}};
}

qint64 nextIdAfterImport(const CatalogueFolder &env)
{
    NewRecord record;
    record.chiave = QStringLiteral("dopo");
    record.argomento = QStringLiteral("l'importazione");
    return env.store.addRecord(record, 1);
}

} // namespace

class TestStoreImport : public QObject {
    Q_OBJECT

private slots:
    void rowsKeepTheirIdsAndTexts();
    void countersGoOnFromTheLastUsedNumber_data();
    void countersGoOnFromTheLastUsedNumber();
    void searchIndexHoldsTheImportedRows();
    void nothingIsStoredWithoutFinish();
    void countThatDiffersIsRefusedAfterTheCheck();
    void onlyAnEmptyCatalogueIsFilled();
};

void TestStoreImport::rowsKeepTheirIdsAndTexts()
{
    CatalogueFolder env;
    {
        const auto import = env.store.beginImport();
        import->addRecord(10, fields(QStringLiteral("  storia "), QStringLiteral("L’Italia è “bella”: 5 €")));
        import->addRecord(3,
                          {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"),
                           QStringLiteral("e"), QStringLiteral("f"), QStringLiteral("g"), QStringLiteral("h"),
                           QStringLiteral("riga 1\r\nriga 2\r\n"), QStringLiteral("j"), QStringLiteral("42")});
        import->addLookupEntry(lookups::List::Chiave, 7, QStringLiteral("storia"));
        import->addLookupEntry(lookups::List::Chiave, 2, QStringLiteral("storia")); // duplicates stay
        import->addLookupEntry(lookups::List::Allocazione, 1, QString());
        import->setCounter(42);
        import->finish({{QStringLiteral("Tabella"), 2},
                        {QStringLiteral("Chiave"), 2},
                        { QStringLiteral("Allocazione"),
                          1 }});
    }
    const QList<QVariantMap> rows = testdata::rowsOf(env, QStringLiteral("SELECT * FROM Tabella ORDER BY ID"));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0).value(QStringLiteral("ID")).toLongLong(), qint64(3));
    QCOMPARE(rows.at(0).value(QStringLiteral("Note")).toString(), QStringLiteral("riga 1\r\nriga 2\r\n"));
    QCOMPARE(rows.at(0).value(QStringLiteral("N°")).toString(), QStringLiteral("e"));
    QCOMPARE(rows.at(0).value(QStringLiteral("Prog")).toString(), QStringLiteral("42"));
    QCOMPARE(rows.at(1).value(QStringLiteral("ID")).toLongLong(), qint64(10));
    QCOMPARE(rows.at(1).value(QStringLiteral("Chiave")).toString(), QStringLiteral("  storia "));
    QCOMPARE(rows.at(1).value(QStringLiteral("Argomento")).toString(), QStringLiteral("L’Italia è “bella”: 5 €"));
    for (const QString &field : {QStringLiteral("Testo"), QStringLiteral("Note"), QStringLiteral("Prog")}) {
        const QVariant value = rows.at(1).value(field);
        QVERIFY2(!value.isNull() && value.toString().isEmpty(), qPrintable(field)); // the empty text, not NULL
    }
    const QList<LookupEntry> keywords = env.store.lookupEntries(lookups::List::Chiave);
    QCOMPARE(keywords.size(), 2);
    QCOMPARE(keywords.at(0).id, qint64(2));
    QCOMPARE(keywords.at(1).id, qint64(7));
    QCOMPARE(keywords.at(1).text, QStringLiteral("storia"));
    QVERIFY(
        !testdata::rowsOf(env, QStringLiteral("Allocazione")).first().value(QStringLiteral("Allocazione")).isNull());
    QCOMPARE(testdata::storedCounter(env), QVariant(qint64(42)));

    // A record of the wrong shape is refused.
    CatalogueFolder other;
    const auto import = other.store.beginImport();
    QVERIFY_THROWS_EXCEPTION(DbError, import->addRecord(1, {QStringLiteral("solo uno")}));
    QVERIFY_THROWS_EXCEPTION(DbError, [&] {
        import->addRecord(5, fields(QStringLiteral("a"), QStringLiteral("b")));
        import->addRecord(5, fields(QStringLiteral("c"), QStringLiteral("d"))); // the same ID twice
    }());
}

void TestStoreImport::countersGoOnFromTheLastUsedNumber_data()
{
    QTest::addColumn<qint64>("highestPresent");
    QTest::addColumn<qint64>("lastUsed");
    QTest::addColumn<qint64>("nextId");
    QTest::newRow("last used above the rows") << qint64(12) << qint64(20) << qint64(21);
    QTest::newRow("last used below the rows") << qint64(12) << qint64(3) << qint64(13);
    QTest::newRow("no rows, numbers used before") << qint64(0) << qint64(9) << qint64(10);
    QTest::newRow("nothing ever") << qint64(0) << qint64(0) << qint64(1);
}

void TestStoreImport::countersGoOnFromTheLastUsedNumber()
{
    QFETCH(qint64, highestPresent);
    QFETCH(qint64, lastUsed);
    QFETCH(qint64, nextId);
    CatalogueFolder env;
    {
        const auto import = env.store.beginImport();
        if (highestPresent > 0)
            import->addRecord(highestPresent, fields(QStringLiteral("a"), QStringLiteral("b")));
        import->setLastUsedId(QStringLiteral("Tabella"), lastUsed);
        import->setLastUsedId(QStringLiteral("Chiave"), lastUsed);
        import->finish(counts(highestPresent > 0 ? 1 : 0, 0));
    }
    QCOMPARE(nextIdAfterImport(env), nextId);
    env.store.addLookupEntry(lookups::List::Chiave, QStringLiteral("nuova"));
    QCOMPARE(env.store.lookupEntries(lookups::List::Chiave).last().id, std::max(lastUsed, qint64(0)) + 1);
}

void TestStoreImport::searchIndexHoldsTheImportedRows()
{
    CatalogueFolder env;
    {
        const auto import = env.store.beginImport();
        for (int id = 1; id <= 50; ++id)
            import->addRecord(id * 2, fields(QStringLiteral("chiave"), QStringLiteral("argomento %1").arg(id)));
        import->finish(counts(50, 0));
    }
    const Search search{SearchField::Argomento, QStringLiteral("mento 4")};
    QCOMPARE(testdata::indexedIds(env, search), (QList<qint64>{8, 80, 82, 84, 86, 88, 90, 92, 94, 96, 98}));
    // The triggers are back: a record added afterwards is found too.
    NewRecord record;
    record.chiave = QStringLiteral("x");
    record.argomento = QStringLiteral("argomento 400");
    env.store.addRecord(record, 1);
    QCOMPARE(env.store.search(search)->rowCount(), 12);
    QCOMPARE(testdata::indexedIds(env, search).size(), 12); // brought into the index by that search
}

void TestStoreImport::nothingIsStoredWithoutFinish()
{
    CatalogueFolder env;
    {
        const auto import = env.store.beginImport();
        import->addRecord(1, fields(QStringLiteral("a"), QStringLiteral("b")));
        import->addLookupEntry(lookups::List::Pubblicazione, 1, QStringLiteral("Focus"));
        import->setCounter(99);
        // dropped here, as when reading the old file fails halfway
    }
    QCOMPARE(testdata::rowCount(env, QStringLiteral("Tabella")), 0);
    QCOMPARE(testdata::rowCount(env, QStringLiteral("Pubblicazione")), 0);
    QCOMPARE(testdata::storedCounter(env), QVariant(qint64(0)));
    // The search index survived the rollback.
    NewRecord record;
    record.chiave = QStringLiteral("dopo");
    record.argomento = QStringLiteral("il ritiro");
    env.store.addRecord(record, 1);
    const Search ritiro{SearchField::Argomento, QStringLiteral("ritiro")};
    QCOMPARE(env.store.search(ritiro)->rowCount(), 1);
    QCOMPARE(testdata::indexedIds(env, ritiro).size(), 1);
}

void TestStoreImport::countThatDiffersIsRefusedAfterTheCheck()
{
    CatalogueFolder env;
    const auto import = env.store.beginImport();
    import->addRecord(1, fields(QStringLiteral("a"), QStringLiteral("b")));
    try {
        import->finish(counts(2, 0));
        QFAIL("a short catalogue passed the check");
    } catch (const DbError &error) {
        QCOMPARE(error.reason(),
                 QStringLiteral("la tabella \"Tabella\" del nuovo catalogo non ha le righe lette: 1 invece di 2."));
    }
}

void TestStoreImport::onlyAnEmptyCatalogueIsFilled()
{
    CatalogueFolder env;
    testdata::addLookupRows(env, QStringLiteral("Chiave"), {QStringLiteral("storia")});
    try {
        env.store.beginImport();
        QFAIL("a catalogue with rows was filled");
    } catch (const DbError &error) {
        QVERIFY(error.reason().contains(QStringLiteral("non è vuoto")));
    }
    QCOMPARE(testdata::rowCount(env, QStringLiteral("Chiave")), 1);
}

QTEST_GUILESS_MAIN(TestStoreImport)
#include "tst_storeimport.moc"
