// The benchmarks' catalogue generator: a real catalogue, the same file from the
// same seed, the counter at the highest document number, the search index built.
#include "CatalogueFolder.h"
#include "CatalogueGenerator.h"
#include "core/catalogue/Catalogue.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/engines/Engine.h"
#include "core/engines/FileSearchIndex.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString dump(const QString &folder)
{
    const auto c = db::connect(folder + QStringLiteral("/db1.mdb"));
    QString all;
    for (const QString &table : db::catalogueTables()) {
        QSqlQuery q(c->database());
        q.exec(QStringLiteral("SELECT * FROM ") + table);
        while (q.next())
            for (int i = 0; i < q.record().count(); ++i)
                all += q.value(i).toString() + QLatin1Char('\t');
    }
    return all;
}
} // namespace

class tst_generator : public QObject {
    Q_OBJECT
private slots:
    void sameSeedSameCatalogue()
    {
        QTemporaryDir a, b, c;
        generateCatalogue(a.filePath(QStringLiteral("db1.mdb")), GeneratorOptions{500, 7});
        generateCatalogue(b.filePath(QStringLiteral("db1.mdb")), GeneratorOptions{500, 7});
        generateCatalogue(c.filePath(QStringLiteral("db1.mdb")), GeneratorOptions{500, 8});
        QCOMPARE(dump(a.path()), dump(b.path()));
        QVERIFY(dump(a.path()) != dump(c.path()));
        QCOMPARE(db::checkCatalogue(a.filePath(QStringLiteral("db1.mdb"))), QString());
    }

    void realisticRecordsCounterAndIndex()
    {
        QTemporaryDir dir;
        generateCatalogue(dir.filePath(QStringLiteral("db1.mdb")), GeneratorOptions{2000, 3});
        const auto c = db::connect(dir.filePath(QStringLiteral("db1.mdb")));
        QCOMPARE(db::searchIndexState(c->database()), db::IndexState::UpToDate);
        QCOMPARE(c->rows(QStringLiteral("contatore"), {QStringLiteral("Progressivo")}),
                 QList<QVariantList>{{qint64(2000)}});
        QSqlQuery q(c->database());
        QVERIFY(q.exec(
            QStringLiteral("SELECT COUNT(*), MAX(CAST(Prog AS INTEGER)), SUM(Note LIKE '%' || char(13, 10) || '%'),"
                           " COUNT(DISTINCT Chiave), SUM(Testo = '') FROM Tabella")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 2000);
        QCOMPARE(q.value(1).toInt(), 2000);
        QVERIFY(q.value(2).toInt() > 100); // notes of several lines
        QVERIFY(q.value(3).toInt() > 100); // many keywords
        QVERIFY(q.value(4).toInt() > 0);   // some empty texts
        for (const QString &lookup :
             {QStringLiteral("Chiave"), QStringLiteral("Pubblicazione"), QStringLiteral("Allocazione")}) {
            QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM ") + lookup));
            QVERIFY(q.next());
            QVERIFY2(q.value(0).toInt() >= 100, qPrintable(lookup));
        }
        // The index built at the end answers like the plain statement.
        const db::Search search{db::SearchField::Argomento, QStringLiteral("città")};
        QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM Tabella WHERE argomento LIKE '%città%'")));
        QVERIFY(q.next());
        db::QueryRowSource found(dir.filePath(QStringLiteral("db1.mdb")), search);
        found.readAll();
        QCOMPARE(found.rowCount(), q.value(0).toInt());
    }
};

QTEST_GUILESS_MAIN(tst_generator)
#include "tst_generator.moc"
