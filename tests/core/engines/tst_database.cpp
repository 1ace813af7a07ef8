// The database layer against real catalogue files: what the store asks of the
// engine, the counters, letter case, and the files that are not catalogues.
#include "CatalogueFolder.h"
#include "Tools.h"
#include "CatalogueRows.h"
#include "core/catalogue/Catalogue.h"
#include "core/engines/DbError.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/engines/Engine.h"
#include "core/engines/FileEngine.h"
#include "core/engines/FileSearchIndex.h"
#include "core/engines/Like.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QRegularExpression>
#include <QTest>

using namespace db;

namespace {
// Adds a catalogue row with the given keyword, subject and text; returns its ID.
qint64 addRecord(const CatalogueFolder &env, const QString &chiave, const QString &argomento = QStringLiteral("a"),
                 const QString &testo = QString())
{
    return testdata::addRecord(env,
                               {{QStringLiteral("Chiave"), chiave},
                                {QStringLiteral("Argomento"), argomento},
                                {QStringLiteral("Testo"), testo}});
}

// The IDs a statement's rows hold, in the statement's order.
QList<qint64> ids(const CatalogueFolder &env, const QString &statement, const QVariantList &values = {})
{
    const auto catalogue = db::connect(env.catalogPath());
    QSqlQuery query = catalogue->run(statement, values);
    QList<qint64> result;
    while (query.next())
        result.append(query.value(0).toLongLong());
    return result;
}

QList<qint64> allIds(const CatalogueFolder &env)
{
    return ids(env, QStringLiteral("SELECT ID FROM Tabella"));
}

QByteArray fingerprint(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}
} // namespace

class tst_database : public QObject {
    Q_OBJECT
private slots:
    void missingCatalogueIsNotOpened()
    {
        CatalogueFolder env;
        QVERIFY(db::connect(env.catalogPath())->database().isOpen());
        QVERIFY_THROWS_EXCEPTION(DbError, db::connect(env.folder() + QStringLiteral("/nessuna/db1.mdb")));
        QVERIFY(!QFile::exists(env.folder() + QStringLiteral("/nessuna/db1.mdb")));
    }

    void freshCatalogueHasCounterZeroAndEmptyTables()
    {
        CatalogueFolder env;
        const auto c = db::connect(env.catalogPath());
        QCOMPARE(c->rows(QStringLiteral("contatore"), {QStringLiteral("Progressivo")}),
                 QList<QVariantList>{{qint64(0)}});
        for (const QString &table : catalogueTables().mid(0, 4))
            QCOMPARE(c->count(table), 0);
        QVERIFY_THROWS_EXCEPTION(DbError, createCatalogue(env.catalogPath()));
    }

    // The tables are made word for word as every catalogue file has been made:
    // other tools and the search index's check read them as they stand.
    void tablesAreMadeAsEver()
    {
        CatalogueFolder env;
        const QStringList expected{
            QStringLiteral("CREATE TABLE Tabella (ID INTEGER PRIMARY KEY AUTOINCREMENT, Chiave TEXT, Argomento TEXT,"
                           " Testo TEXT, Pubblicazione TEXT, \"N\u00B0\" TEXT, Data TEXT, Pag TEXT, Par TEXT, Note TEXT,"
                           " Allocazione TEXT, Prog TEXT)"),
            QStringLiteral("CREATE TABLE Chiave (ID INTEGER PRIMARY KEY AUTOINCREMENT, Chiave TEXT)"),
            QStringLiteral("CREATE TABLE Pubblicazione (ID INTEGER PRIMARY KEY AUTOINCREMENT, Pubblicazione TEXT)"),
            QStringLiteral("CREATE TABLE Allocazione (ID INTEGER PRIMARY KEY AUTOINCREMENT, Allocazione TEXT)"),
            QStringLiteral("CREATE TABLE contatore (Progressivo INTEGER NOT NULL CHECK (typeof(Progressivo) ="
                           " 'integer'))")};
        QCOMPARE(fileTableStatements(), expected);
        for (const QString &statement : expected)
            QCOMPARE(ids(env, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE sql = ?"), {statement}),
                     QList<qint64>{1});
    }

    void fieldsRoundTripUnchanged()
    {
        CatalogueFolder env;
        const QString note
            = QStringLiteral("prima riga\r\nseconda riga con àèéìòù\r\n") + QString(3000, QLatin1Char('x'));
        const QStringList fields = tabellaFields().mid(1);
        const QStringList values = {QStringLiteral(" "),
                                    QStringLiteral("Perché così"),
                                    QString(),
                                    QStringLiteral("L'Espresso"),
                                    QStringLiteral("012"),
                                    QStringLiteral("01/05/2009"),
                                    QStringLiteral("7"),
                                    QString(),
                                    note,
                                    QStringLiteral("Scaffale À"),
                                    QStringLiteral("41")};
        const auto c = db::connect(env.catalogPath());
        QMap<QString, QVariant> record;
        for (int i = 0; i < fields.size(); ++i)
            record.insert(fields.at(i).toUpper(), values.at(i)); // any letter case
        QCOMPARE(c->insert(QStringLiteral("tabella"), record), 1);

        const auto back = c->row(QStringLiteral("Tabella"), 1);
        QVERIFY(back.has_value());
        QCOMPARE(back->keys().size(), tabellaFields().size());
        for (int i = 0; i < fields.size(); ++i)
            QCOMPARE(back->value(fields.at(i)).toString(), values.at(i));
        QCOMPARE(back->value(QStringLiteral("N\u00B0")).toString(), QStringLiteral("012"));
        QVERIFY(!back->value(QStringLiteral("Testo")).isNull()); // the empty text, not a missing value
        QVERIFY_THROWS_EXCEPTION(DbError, c->insert(QStringLiteral("Tabella"), {{QStringLiteral("Nessuno"), 1}}));
        QVERIFY(!c->row(QStringLiteral("Tabella"), 2).has_value());
    }

    void counterNeverGivesANumberTwice()
    {
        CatalogueFolder env;
        QCOMPARE(addRecord(env, QStringLiteral("a")), 1);
        QCOMPARE(addRecord(env, QStringLiteral("b")), 2);
        QCOMPARE(addRecord(env, QStringLiteral("c")), 3);
        QVERIFY(db::connect(env.catalogPath())->remove(QStringLiteral("Tabella"), 3));
        QVERIFY(!db::connect(env.catalogPath())->remove(QStringLiteral("Tabella"), 3));
        QCOMPARE(addRecord(env, QStringLiteral("d")), 4);
        QCOMPARE(allIds(env), (QList<qint64>{1, 2, 4}));
    }

    void deleteAllAndRestartTheCounter()
    {
        CatalogueFolder env;
        for (int i = 0; i < 3; ++i)
            addRecord(env, QStringLiteral("x"));
        const auto c = db::connect(env.catalogPath());
        c->removeAll(QStringLiteral("Tabella"));
        QCOMPARE(allIds(env), QList<qint64>());
        QCOMPARE(addRecord(env, QStringLiteral("y")), 4); // without the restart numbers go on
        c->removeAll(QStringLiteral("Tabella"));
        c->numberAfter(QStringLiteral("Tabella"), 0);
        QCOMPARE(addRecord(env, QStringLiteral("z")), 1);
        QCOMPARE(addRecord(env, QStringLiteral("z")), 2);
    }

    void restartWithRowsLeftKeepsIdsUnique()
    {
        CatalogueFolder env;
        for (int i = 0; i < 3; ++i)
            addRecord(env, QStringLiteral("x"));
        db::connect(env.catalogPath())->numberAfter(QStringLiteral("tabella"), 0);
        QCOMPARE(addRecord(env, QStringLiteral("w")), 4);
        QCOMPARE(allIds(env), (QList<qint64>{1, 2, 3, 4}));
    }

    void counterTableHoldsWholeNumbersOnly()
    {
        CatalogueFolder env;
        const auto c = db::connect(env.catalogPath());
        const QString table = QStringLiteral("contatore"), field = QStringLiteral("Progressivo");
        QCOMPARE(c->updateAll(table, {{field, QStringLiteral("42")}}), 1);
        for (const QString &bad : {QStringLiteral("abc"), QStringLiteral("4.5"), QString()})
            QVERIFY_THROWS_EXCEPTION(DbError, c->updateAll(table, {{field, bad}}));
        QCOMPARE(c->rows(table, {field}), QList<QVariantList>{{qint64(42)}});
    }

    void changeARow()
    {
        CatalogueFolder env;
        addRecord(env, QStringLiteral("a"));
        addRecord(env, QStringLiteral("b"));
        const auto c = db::connect(env.catalogPath());
        QVERIFY(c->update(QStringLiteral("Tabella"), 2, {{QStringLiteral("argomento"), QStringLiteral("nuovo")}}));
        QVERIFY(!c->update(QStringLiteral("Tabella"), 9, {{QStringLiteral("Argomento"), QStringLiteral("nuovo")}}));
        QVERIFY_THROWS_EXCEPTION(DbError, c->update(QStringLiteral("Tabella"), 2, {{QStringLiteral("ID"), 9}}));
        QVERIFY_THROWS_EXCEPTION(DbError, c->rows(QStringLiteral("Nessuna"), {QStringLiteral("ID")}));
        QCOMPARE(ids(env, QStringLiteral("SELECT ID FROM Tabella WHERE Argomento = 'nuovo'")), QList<qint64>{2});
    }

    void transactionKeepsNothingHalfStored()
    {
        CatalogueFolder env;
        const auto c = db::connect(env.catalogPath());
        QVERIFY_THROWS_EXCEPTION(DbError, inChange(*c, [&] {
                                     c->insert(QStringLiteral("Tabella"), {{QStringLiteral("Chiave"), QStringLiteral("a")}});
                                     c->updateAll(QStringLiteral("contatore"),
                                                  {{QStringLiteral("Progressivo"), QStringLiteral("non un numero")}});
                                 }));
        QCOMPARE(allIds(env), QList<qint64>());
    }

    void likeIgnoresCaseOfAccentedLetters_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("matches");
        QTest::newRow("ascii") << "%CAS%"
                               << "la casa" << true;
        QTest::newRow("à À") << "%À%"
                             << "città" << true;
        QTest::newRow("È è") << "%perchÈ%"
                             << "Perché no" << false; // é is not è
        QTest::newRow("É é") << "%PERCHÉ%"
                             << "Perché no" << true;
        QTest::newRow("ì Ì ò Ò ù Ù") << "%ÌÒÙ%"
                                     << "xìòùy" << true;
        QTest::newRow("no accent folding") << "%citta%"
                                           << "città" << false;
        QTest::newRow("underscore") << "c_sa"
                                    << "casa" << true;
        QTest::newRow("anchored") << "casa"
                                  << "la casa" << false;
        QTest::newRow("blank") << "% %"
                               << "ab" << false;
        QTest::newRow("apostrophe") << "%o'b%"
                                    << "O'Brien" << true;
        QTest::newRow("percent only") << "%%"
                                      << "" << true;
    }

    void likeIgnoresCaseOfAccentedLetters()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QFETCH(bool, matches);
        QCOMPARE(likeMatches(pattern, text), matches);
    }

    void likeInStatements()
    {
        CatalogueFolder env;
        addRecord(env, QStringLiteral("Città"), QStringLiteral("PERCHÉ"));
        addRecord(env, QStringLiteral("casa"), QStringLiteral("perché"));
        addRecord(env, QStringLiteral("O'Brien"), QStringLiteral("x"));
        QCOMPARE(ids(env, QStringLiteral("SELECT ID FROM tabella WHERE chiave LIKE '%CITTÀ%'")), QList<qint64>{1});
        QCOMPARE(ids(env, QStringLiteral("SELECT ID FROM tabella WHERE argomento LIKE '%perché%'")),
                 (QList<qint64>{1, 2}));
        QCOMPARE(ids(env, QStringLiteral("SELECT ID FROM tabella WHERE chiave LIKE '%o''b%'")), QList<qint64>{3});
        QCOMPARE(ids(env, QStringLiteral("SELECT ID FROM tabella WHERE testo LIKE '%'")), (QList<qint64>{1, 2, 3}));
    }

    void filesThatAreNotCatalogues_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty file") << QByteArray() << QStringLiteral("non è un database");
        QTest::newRow("text file") << QByteArray("Chiave;Argomento\r\nuno;due\r\n")
                                   << QStringLiteral("non è un database");
        QTest::newRow("other program's database") << QByteArray("sqlite") << QStringLiteral("manca la tabella");
    }

    void filesThatAreNotCatalogues()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        CatalogueFolder env(false);
        const QString path = env.catalogPath();
        if (content == "sqlite") {
            auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery(db).exec(QStringLiteral("CREATE TABLE utenti (nome TEXT)"));
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        const QByteArray before = fingerprint(path);
        const QString problem = checkCatalogue(path);
        QVERIFY2(problem.contains(expected), qPrintable(problem));
        QVERIFY(problem.contains(path));
        QCOMPARE(fingerprint(path), before);

        // The advice works as given: the file moved aside, then the command.
        static const QRegularExpression advice(
            QStringLiteral("spostare o rinominare \"([^\"]+)\" \\(ad esempio in \"([^\"]+)\"\\), poi usare il "
                           "comando:\n  crea_catalogo \"([^\"]+)\"$"));
        const QRegularExpressionMatch steps = advice.match(problem);
        QVERIFY2(steps.hasMatch(), qPrintable(problem));
        QCOMPARE(steps.captured(1), path);
        QVERIFY(QFile::rename(path, QFileInfo(path).dir().filePath(steps.captured(2))));
        QVERIFY(testdata::runTool(QStringLiteral(CREA_CATALOGO), {steps.captured(3)}).ok());
        QCOMPARE(checkCatalogue(path), QString());
    }

    void missingCatalogueIsNamedAndNotCreated()
    {
        CatalogueFolder env(false);
        const QString problem = checkCatalogue(env.catalogPath());
        QVERIFY(problem.contains(QStringLiteral("non è stato trovato")));
        QVERIFY(problem.contains(env.catalogPath()));
        QVERIFY(!QFile::exists(env.catalogPath()));
        CatalogueFolder good;
        QCOMPARE(checkCatalogue(good.catalogPath()), QString());
    }

    void queryRowSourceReadsOnDemandAndKeepsItsRows()
    {
        CatalogueFolder env;
        for (int i = 0; i < 300; ++i)
            addRecord(env, QStringLiteral("k%1").arg(i), QStringLiteral("a%1").arg(i));
        QueryRowSource all(env.catalogPath());
        QCOMPARE(all.rowCount(), 300);
        QCOMPARE(all.fieldNames(), tabellaFields());
        QCOMPARE(all.value(299, all.columnOf(QStringLiteral("Chiave"))).toString(), QStringLiteral("k299"));
        QCOMPARE(all.value(0, 0).toLongLong(), 1);
        QCOMPARE(all.value(150, all.columnOf(QStringLiteral("argomento"))).toString(), QStringLiteral("a150"));

        // Another window changes, deletes and adds rows: the result keeps its
        // records, read as they are now, the deleted one empty.
        testdata::runSql(env, {QStringLiteral("UPDATE Tabella SET Chiave = 'cambiata' WHERE ID = 151"),
                               QStringLiteral("DELETE FROM Tabella WHERE ID = 1")});
        addRecord(env, QStringLiteral("nuova"));
        all.invalidate();
        QCOMPARE(all.rowCount(), 300);
        QCOMPARE(all.value(150, 1).toString(), QStringLiteral("cambiata"));
        QVERIFY(all.value(0, 1).isNull());

        QueryRowSource found(env.catalogPath(), Search{SearchField::Chiave, QStringLiteral("CAMBIATA")});
        QCOMPARE(found.rowCount(), 1);
        QCOMPARE(found.rowId(0), 151);
        QVERIFY_THROWS_EXCEPTION(DbError, QueryRowSource(env.folder() + QStringLiteral("/nessuno.mdb")));
    }

    // A search through the trigram index gives exactly the rows, in the same
    // order, that the plain scan of the statement gives; also after changes.
    void searchIndexGivesTheSameRowsAsTheStatement()
    {
        CatalogueFolder env;
        const QStringList keys = {QStringLiteral("Città d'arte"), QStringLiteral("CITTÀ"),
                                  QStringLiteral("cittadino"),    QStringLiteral("la città"),
                                  QStringLiteral("ab"),           QString(),
                                  QStringLiteral("xcitxtàx"),     QStringLiteral("Perché"),
                                  QStringLiteral("PERCHÉ no"),    QStringLiteral("o'brien"),
                                  QStringLiteral("ittà e citt") /* every trigram of "città", not side by side */};
        for (const QString &k : keys)
            addRecord(env, k, k.toUpper(), k.toLower());
        // The search brings the index up to date first; then the index alone agrees too.
        auto compareWithScan = [&](const Search &search) {
            const IdQuery indexed = indexedSearch(search);
            QVERIFY2(!indexed.sql.isEmpty(), qPrintable(search.fragment));
            QueryRowSource rows(env.catalogPath(), search);
            const auto c = db::connect(env.catalogPath());
            QCOMPARE(searchIndexState(c->database()), IndexState::UpToDate);
            QList<qint64> searched;
            for (int i = 0; i < rows.rowCount(); ++i)
                searched.append(rows.rowId(i));
            const QList<qint64> scanned
                = ids(env, QStringLiteral("SELECT ID FROM Tabella WHERE %1 LIKE ?").arg(search.fieldName()),
                      {search.pattern()});
            QCOMPARE(searched, scanned);
            QCOMPARE(testdata::indexedIds(env, search), scanned);
        };
        const QList<Search> searches = {
            {SearchField::Chiave, QStringLiteral("città")},         {SearchField::Argomento, QStringLiteral("cit")},
            {SearchField::Testo, QStringLiteral("perché")},         {SearchField::Chiave, QStringLiteral("o'brien")},
            {SearchField::Pubblicazione, QStringLiteral("città")}, {SearchField::Chiave, QStringLiteral("cit_à")},
        };
        for (const Search &search : searches)
            compareWithScan(search);

        // Changes by the program keep the index exact.
        testdata::runSql(env, {QStringLiteral("UPDATE Tabella SET Chiave = 'nessuna' WHERE ID = 1"),
                               QStringLiteral("DELETE FROM Tabella WHERE ID = 2")});
        addRecord(env, QStringLiteral("Nuova CITTÀ"));
        for (const Search &search : searches)
            compareWithScan(search);
        env.store.deleteAllRecords();
        compareWithScan(searches.first());

        // Two letters, or a pattern of wildcards only, cannot use the index.
        QVERIFY(indexedSearch({SearchField::Chiave, QStringLiteral("ci")}).sql.isEmpty());
        QVERIFY(indexedSearch({SearchField::Chiave, QStringLiteral("%_%")}).sql.isEmpty());
    }

    void searchIndexIsRebuiltWhenMissing()
    {
        CatalogueFolder env;
        addRecord(env, QStringLiteral("Città"));
        const Search search{SearchField::Chiave, QStringLiteral("CITTÀ")};
        {
            const auto c = db::connect(env.catalogPath());
            c->dropSearchIndex();
            QVERIFY(!c->hasSearchIndex());
            addRecord(env, QStringLiteral("la città")); // no index: plain scan still right
            QCOMPARE(QueryRowSource(env.catalogPath(), search).rowCount(), 2);
        }
        QCOMPARE(checkSearchIndex(env.catalogPath()), IndexRepair::Rebuilt);
        const auto c = db::connect(env.catalogPath());
        QVERIFY(c->hasSearchIndex());
        QCOMPARE(testdata::indexedIds(env, search), (QList<qint64>{1, 2}));
    }
};

QTEST_GUILESS_MAIN(tst_database)
#include "tst_database.moc"
