// The database layer against real catalogue files: the statements the windows
// run, the counters, letter case, and the files that are not catalogues.
#include "CatalogueFolder.h"
#include "CatalogueRows.h"
#include "core/catalogue/Catalogue.h"
#include "core/engines/Connection.h"
#include "core/catalogue/DbError.h"
#include "core/engines/Like.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/engines/Recordset.h"
#include "core/engines/SearchIndex.h"
#include "core/engines/Statements.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

using namespace db;

namespace {
QString textA(const CatalogueFolder &env)
{
    return connectionTextA(env.catalogPath());
}

// Adds a catalogue row with the given keyword, subject and text; returns its ID.
qint64 addRecord(const CatalogueFolder &env, const QString &chiave, const QString &argomento = QStringLiteral("a"),
                 const QString &testo = QString())
{
    return testdata::addRecord(env,
                               {{QStringLiteral("Chiave"), chiave},
                                {QStringLiteral("Argomento"), argomento},
                                {QStringLiteral("Testo"), testo}});
}

QList<qint64> ids(const CatalogueFolder &env, const QString &statement)
{
    Connection c;
    c.open(textA(env));
    Recordset rs;
    rs.open(statement, c, adOpenKeyset, adLockReadOnly);
    QList<qint64> result;
    for (; !rs.eof(); rs.moveNext())
        result.append(rs.field(QStringLiteral("id")).toLongLong());
    return result;
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
    void connectionTexts()
    {
        QCOMPARE(connectionTextA(QStringLiteral("/p/db1.mdb")),
                 QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/p/db1.mdb"));
        QCOMPARE(connectionTextB(QStringLiteral("/p/db1.mdb")),
                 QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/p/db1.mdb;Persist Security Info=False"));
        QCOMPARE(dataSourceOf(connectionTextA(QStringLiteral("/p/db1.mdb"))), QStringLiteral("/p/db1.mdb"));
        QCOMPARE(dataSourceOf(connectionTextB(QStringLiteral("/p/db1.mdb"))), QStringLiteral("/p/db1.mdb"));
        QCOMPARE(dataSourceOf(QStringLiteral("Provider=x")), QString());
    }

    void openWithConnectionStringProperty()
    {
        CatalogueFolder env;
        Connection c;
        c.ConnectionString = connectionTextB(env.catalogPath());
        c.open();
        QVERIFY(c.isOpen());
        Connection missing;
        QVERIFY_THROWS_EXCEPTION(DbError,
                                 missing.open(connectionTextA(env.folder() + QStringLiteral("/nessuna/db1.mdb"))));
        QVERIFY(!QFile::exists(env.folder() + QStringLiteral("/nessuna/db1.mdb")));
    }

    void freshCatalogueHasCounterZeroAndEmptyTables()
    {
        CatalogueFolder env;
        Connection c;
        c.open(textA(env));
        Recordset counter;
        counter.open(QStringLiteral("SELECT progressivo FROM contatore"), c, adOpenKeyset);
        QVERIFY(!counter.eof());
        QCOMPARE(counter.field(QStringLiteral("Progressivo")).toString(), QStringLiteral("0"));
        for (const QString &table : catalogueTables().mid(0, 4)) {
            Recordset rs;
            rs.open(table, c, adOpenKeyset, adLockReadOnly);
            QVERIFY2(rs.eof(), qPrintable(table));
            QCOMPARE(rs.recordCount(), 0);
        }
        QVERIFY_THROWS_EXCEPTION(DbError, createCatalogue(env.catalogPath()));
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
        Connection c;
        c.open(textA(env));
        Recordset rs;
        rs.open(QStringLiteral("Tabella"), c, adOpenStatic, adLockOptimistic);
        const qint64 id = rs.addNew();
        QCOMPARE(id, 1);
        QCOMPARE(rs.field(QStringLiteral("ID")).toLongLong(), 1); // known before the update
        for (int i = 0; i < fields.size(); ++i)
            rs.setField(fields.at(i), values.at(i));
        rs.update();

        Recordset back;
        back.open(QStringLiteral("SELECT * FROM  Tabella"), c, adOpenKeyset);
        QCOMPARE(back.fieldNames(), tabellaFields());
        QVERIFY(!back.eof());
        for (int i = 0; i < fields.size(); ++i) {
            QCOMPARE(back.field(fields.at(i)).toString(), values.at(i));
            QCOMPARE(back.field(fields.at(i).toUpper()).toString(), values.at(i)); // any letter case
        }
        QCOMPARE(back.field(QStringLiteral("n\u00B0")).toString(), QStringLiteral("012"));
        QVERIFY(!back.field(QStringLiteral("Testo")).isNull()); // the empty text, not a missing value
        QVERIFY_THROWS_EXCEPTION(DbError, back.field(QStringLiteral("Nessuno")));
        back.moveNext();
        QVERIFY(back.eof());
    }

    void counterNeverGivesANumberTwice()
    {
        CatalogueFolder env;
        QCOMPARE(addRecord(env, QStringLiteral("a")), 1);
        QCOMPARE(addRecord(env, QStringLiteral("b")), 2);
        QCOMPARE(addRecord(env, QStringLiteral("c")), 3);
        Connection c;
        c.open(textA(env));
        Recordset rs;
        rs.open(QStringLiteral("Select * from Tabella where ID = ?"), c, adOpenKeyset, adLockOptimistic, -1, {3});
        QCOMPARE(rs.recordCount(), 1);
        rs.deleteCurrent();
        QCOMPARE(addRecord(env, QStringLiteral("d")), 4);
        QCOMPARE(ids(env, QStringLiteral("SELECT * FROM tabella")), (QList<qint64>{1, 2, 4}));
    }

    void deleteAllAndRestartTheCounter()
    {
        CatalogueFolder env;
        for (int i = 0; i < 3; ++i)
            addRecord(env, QStringLiteral("x"));
        Connection c;
        c.open(textA(env));
        c.execute(QStringLiteral("DELETE * FROM tabella "));
        QCOMPARE(ids(env, QStringLiteral("Tabella")), QList<qint64>());
        QCOMPARE(addRecord(env, QStringLiteral("y")), 4); // without the restart numbers go on
        c.execute(QStringLiteral("DELETE * FROM tabella "));
        c.execute(QStringLiteral("ALTER TABLE Tabella ALTER COLUMN ID COUNTER(1,1)"));
        QCOMPARE(addRecord(env, QStringLiteral("z")), 1);
        QCOMPARE(addRecord(env, QStringLiteral("z")), 2);
    }

    void restartWithRowsLeftKeepsIdsUnique()
    {
        CatalogueFolder env;
        for (int i = 0; i < 3; ++i)
            addRecord(env, QStringLiteral("x"));
        Connection c;
        c.open(textA(env));
        c.execute(QStringLiteral("alter table tabella alter column id counter(1,1)"));
        QCOMPARE(addRecord(env, QStringLiteral("w")), 4);
        QCOMPARE(ids(env, QStringLiteral("Tabella")), (QList<qint64>{1, 2, 3, 4}));
    }

    void counterTableHoldsWholeNumbersOnly()
    {
        CatalogueFolder env;
        Connection c;
        c.open(textA(env));
        Recordset rs;
        rs.open(QStringLiteral("Select * from contatore"), c, adOpenKeyset, adLockOptimistic);
        QCOMPARE(rs.recordCount(), 1);
        rs.setField(QStringLiteral("Progressivo"), QStringLiteral("42"));
        rs.update();
        for (const QString &bad : {QStringLiteral("abc"), QStringLiteral("4.5"), QString()}) {
            rs.setField(QStringLiteral("Progressivo"), bad);
            QVERIFY_THROWS_EXCEPTION(DbError, rs.update());
        }
        Recordset back;
        back.open(QStringLiteral("SELECT progressivo FROM contatore"), c, adOpenKeyset);
        QCOMPARE(back.field(QStringLiteral("progressivo")).toString(), QStringLiteral("42"));
    }

    void readOnlyRecordsetRefusesChanges()
    {
        CatalogueFolder env;
        addRecord(env, QStringLiteral("a"));
        Connection c;
        c.open(textA(env));
        Recordset rs;
        rs.open(QStringLiteral("SELECT * FROM Tabella"), c, adOpenKeyset);
        QVERIFY_THROWS_EXCEPTION(DbError, rs.setField(QStringLiteral("Chiave"), QStringLiteral("b")));
        QVERIFY_THROWS_EXCEPTION(DbError, rs.deleteCurrent());
        QVERIFY_THROWS_EXCEPTION(DbError, rs.open(QStringLiteral("SELECT * FROM Nessuna"), c, adOpenKeyset));
    }

    void changeTheCurrentRow()
    {
        CatalogueFolder env;
        addRecord(env, QStringLiteral("a"));
        addRecord(env, QStringLiteral("b"));
        Connection c;
        c.open(textA(env));
        Recordset rs;
        rs.open(QStringLiteral("Select * from chiave where ID"), c, adOpenKeyset, adLockOptimistic);
        QCOMPARE(rs.recordCount(), 0);
        QVERIFY(rs.eof());
        Recordset t;
        t.open(QStringLiteral("SELECT * FROM Tabella WHERE Chiave = 'b'"), c, adOpenKeyset, adLockOptimistic);
        t.setField(QStringLiteral("Argomento"), QStringLiteral("nuovo"));
        QCOMPARE(t.field(QStringLiteral("Argomento")).toString(), QStringLiteral("nuovo"));
        t.update();
        QVERIFY_THROWS_EXCEPTION(DbError, t.setField(QStringLiteral("ID"), 9)); // a counter stays
        QCOMPARE(ids(env, QStringLiteral("SELECT * FROM Tabella WHERE Argomento = 'nuovo'")), QList<qint64>{2});
    }

    void transactionKeepsNothingHalfStored()
    {
        CatalogueFolder env;
        Connection c;
        c.open(textA(env));
        QVERIFY_THROWS_EXCEPTION(DbError, inTransaction(c, [&] {
                                     Recordset rs;
                                     rs.open(QStringLiteral("Tabella"), c, adOpenStatic, adLockOptimistic);
                                     rs.addNew();
                                     rs.setField(QStringLiteral("Chiave"), QStringLiteral("a"));
                                     rs.update();
                                     Recordset counter;
                                     counter.open(QStringLiteral("Select * from contatore"), c, adOpenKeyset,
                                                  adLockOptimistic);
                                     counter.setField(QStringLiteral("Progressivo"), QStringLiteral("non un numero"));
                                     counter.update();
                                 }));
        QCOMPARE(ids(env, QStringLiteral("Tabella")), QList<qint64>());
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
        QCOMPARE(ids(env, QStringLiteral("SELECT * FROM tabella WHERE chiave LIKE '%CITTÀ%'")), QList<qint64>{1});
        QCOMPARE(ids(env, QStringLiteral("SELECT * FROM tabella WHERE argomento LIKE '%perché%'")),
                 (QList<qint64>{1, 2}));
        QCOMPARE(ids(env, QStringLiteral("SELECT * FROM tabella WHERE chiave LIKE '%o''b%'")), QList<qint64>{3});
        QCOMPARE(ids(env, QStringLiteral("SELECT * FROM tabella WHERE testo LIKE '%'")), (QList<qint64>{1, 2, 3}));
    }

    void statementTranslation()
    {
        QCOMPARE(translateSource(QStringLiteral("Tabella")), QStringLiteral("SELECT * FROM Tabella"));
        QCOMPARE(translateStatement(QStringLiteral("DELETE * FROM tabella ")), QStringLiteral("DELETE FROM tabella "));
        QCOMPARE(translateStatement(QStringLiteral("SELECT * FROM  Tabella")),
                 QStringLiteral("SELECT * FROM  Tabella"));
        QCOMPARE(singleTableOf(QStringLiteral("Select * from Tabella where ID = 3")), QStringLiteral("Tabella"));
        QCOMPARE(singleTableOf(QStringLiteral("SELECT * FROM a, b")), QString());
        const auto restart = parseCounterRestart(QStringLiteral("ALTER TABLE Tabella ALTER COLUMN ID COUNTER(1,1)"));
        QVERIFY(restart.has_value());
        QCOMPARE(restart->table, QStringLiteral("Tabella"));
        QCOMPARE(restart->seed, 1);
        QCOMPARE(quoteLiteral(QStringLiteral("O'Brien")), QStringLiteral("'O''Brien'"));
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
        QVERIFY(problem.contains(QStringLiteral("crea_catalogo")));
        QCOMPARE(fingerprint(path), before);
        QCOMPARE(QFileInfo(path).size(), QFileInfo(path).size());
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

    void queryRowSourceReadsOnDemandAndKeepsItsSnapshot()
    {
        CatalogueFolder env;
        for (int i = 0; i < 300; ++i)
            addRecord(env, QStringLiteral("k%1").arg(i), QStringLiteral("a%1").arg(i));
        QueryRowSource all(textA(env), QStringLiteral("SELECT * FROM tabella"));
        QCOMPARE(all.rowCount(), 300);
        QCOMPARE(all.fieldNames(), tabellaFields());
        QCOMPARE(all.value(299, all.columnOf(QStringLiteral("Chiave"))).toString(), QStringLiteral("k299"));
        QCOMPARE(all.value(0, 0).toLongLong(), 1);
        QCOMPARE(all.value(150, all.columnOf(QStringLiteral("argomento"))).toString(), QStringLiteral("a150"));

        // Another window changes and deletes rows: the snapshot does not move.
        Connection c;
        c.open(textA(env));
        c.execute(QStringLiteral("UPDATE Tabella SET Chiave = 'cambiata' WHERE ID = 151"));
        c.execute(QStringLiteral("DELETE FROM Tabella WHERE ID = 1"));
        all.invalidate();
        QCOMPARE(all.rowCount(), 300);
        QCOMPARE(all.value(150, 1).toString(), QStringLiteral("k150"));
        QCOMPARE(all.value(0, 1).toString(), QStringLiteral("k0"));

        QueryRowSource live(textA(env), QStringLiteral("SELECT * FROM tabella WHERE chiave LIKE '%CAMBIATA%'"), false);
        QCOMPARE(live.rowCount(), 1);
        QCOMPARE(live.rowId(0), 151);
        QVERIFY_THROWS_EXCEPTION(DbError, QueryRowSource(textA(env), QStringLiteral("SELECT * FROM nessuna")));
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
        auto compareWithScan = [&](const QString &statement) {
            QVERIFY2(!indexedIdStatement(statement).isEmpty(), qPrintable(statement));
            QueryRowSource rows(textA(env), statement);
            Connection c;
            c.open(textA(env));
            QCOMPARE(searchIndexState(c.database()), IndexState::UpToDate);
            QList<qint64> searched, indexed, scanned;
            for (int i = 0; i < rows.rowCount(); ++i)
                searched.append(rows.rowId(i));
            QSqlQuery viaIndex(c.database()), viaScan(c.database());
            QVERIFY(viaIndex.exec(indexedIdStatement(statement)));
            while (viaIndex.next())
                indexed.append(viaIndex.value(0).toLongLong());
            QVERIFY(
                viaScan.exec(QString(statement).replace(QStringLiteral("SELECT *"), QStringLiteral("SELECT rowid"))));
            while (viaScan.next())
                scanned.append(viaScan.value(0).toLongLong());
            QCOMPARE(searched, scanned);
            QCOMPARE(indexed, scanned);
        };
        const QStringList statements = {
            QStringLiteral("SELECT * FROM tabella WHERE chiave LIKE '%città%'"),
            QStringLiteral("SELECT * FROM tabella WHERE argomento LIKE '%cit%'"),
            QStringLiteral("SELECT * FROM tabella WHERE testo LIKE '%perché%'"),
            QStringLiteral("SELECT * FROM tabella WHERE chiave LIKE '%o''brien%'"),
            QStringLiteral("SELECT * FROM tabella WHERE pubblicazione LIKE '%città%'"),
            QStringLiteral("SELECT * FROM tabella WHERE chiave LIKE '%cit_à%'"),
        };
        for (const QString &statement : statements)
            compareWithScan(statement);

        // Changes by the program keep the index exact.
        Connection c;
        c.open(textA(env));
        c.execute(QStringLiteral("UPDATE Tabella SET Chiave = 'nessuna' WHERE ID = 1"));
        c.execute(QStringLiteral("DELETE FROM Tabella WHERE ID = 2"));
        addRecord(env, QStringLiteral("Nuova CITTÀ"));
        for (const QString &statement : statements)
            compareWithScan(statement);
        c.execute(QStringLiteral("DELETE * FROM tabella "));
        compareWithScan(statements.first());

        // Two letters, or a pattern of wildcards only, cannot use the index.
        QVERIFY(indexedIdStatement(QStringLiteral("SELECT * FROM tabella WHERE chiave LIKE '%ci%'")).isEmpty());
        QVERIFY(indexedIdStatement(QStringLiteral("SELECT * FROM tabella WHERE note LIKE '%città%'")).isEmpty());
    }

    void searchIndexIsRebuiltWhenMissing()
    {
        CatalogueFolder env;
        addRecord(env, QStringLiteral("Città"));
        {
            Connection c;
            c.open(textA(env));
            for (const QString &statement : searchIndexDropStatements())
                c.execute(statement);
            QVERIFY(!hasSearchIndex(c.database()));
            addRecord(env, QStringLiteral("la città")); // no index: plain scan still right
            QueryRowSource rows(textA(env), QStringLiteral("SELECT * FROM tabella WHERE chiave LIKE '%CITTÀ%'"));
            QCOMPARE(rows.rowCount(), 2);
        }
        QCOMPARE(checkSearchIndex(env.catalogPath()), IndexRepair::Rebuilt);
        Connection c;
        c.open(textA(env));
        QVERIFY(hasSearchIndex(c.database()));
        QSqlQuery q(c.database());
        QVERIFY(q.exec(indexedIdStatement(QStringLiteral("SELECT * FROM tabella WHERE chiave LIKE '%CITTÀ%'"))));
        int n = 0;
        while (q.next())
            ++n;
        QCOMPARE(n, 2);
    }
};

QTEST_GUILESS_MAIN(tst_database)
#include "tst_database.moc"
