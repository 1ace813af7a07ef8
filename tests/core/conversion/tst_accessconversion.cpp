// Converting the old program's Access catalogue: both real files compared field
// by field with their dumps, the numbers the next record and the counter get,
// the search index, what is left out, and the command run as a process on
// damaged copies (nothing left behind, the original never touched).
#include "AccessFixtures.h"
#include "CatalogueFolder.h"
#include "CatalogueRows.h"
#include "core/conversion/AccessConversion.h"
#include "core/catalogue/Catalogue.h"
#include "core/catalogue/QueryRowSource.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace convert;

namespace {

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// A copy of a fixture in `folder`, changed by `damage`.
QString damagedCopy(const QString &folder, const QString &fixture, const std::function<void(QByteArray &)> &damage)
{
    QByteArray bytes = accessdata::bytesOf(accessdata::fixture(fixture));
    damage(bytes);
    const QString path = QDir(folder).filePath(QStringLiteral("vecchio.mdb"));
    accessdata::write(path, bytes);
    return path;
}

// Renames an object in the catalogue of the file (MSysObjects keeps names in UTF-16).
void renameObject(QByteArray &file, const QString &from, const QString &to)
{
    const QByteArray old(reinterpret_cast<const char *>(from.utf16()), from.size() * 2);
    const QByteArray renamed(reinterpret_cast<const char *>(to.utf16()), to.size() * 2);
    const qsizetype at = file.indexOf(old);
    QVERIFY(at > 0 && file.indexOf(old, at + 1) < 0);
    file.replace(at, old.size(), renamed);
}

struct Run {
    int exitCode = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    QString out, err;
};

Run runTool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(CREA_CATALOGO), arguments);
    Run run;
    if (!process.waitForFinished(120000))
        return run;
    run.exitCode = process.exitCode();
    run.status = process.exitStatus();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

qint64 sequenceOf(const CatalogueFolder &env, const QString &table)
{
    const auto rows
        = testdata::rowsOf(env, QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = '%1'").arg(table));
    return rows.isEmpty() ? -1 : rows.first().value(QStringLiteral("seq")).toLongLong();
}

} // namespace

class TestAccessConversion : public QObject {
    Q_OBJECT

private slots:
    // What is converted
    void everyFieldOfBothFiles_data();
    void everyFieldOfBothFiles();
    void nextIdsAreThoseAccessWouldGive_data();
    void nextIdsAreThoseAccessWouldGive();
    void firstSearchFindsConvertedRows();
    void counterFromTheHighestProgWhenContatoreIsEmpty();
    void missingCounterTableAndExtraTableAreNamed();

    // The command
    void commandConvertsAndSummarises();
    void commandRefusesDamagedFiles_data();
    void commandRefusesDamagedFiles();
    void commandNeverOverwritesACatalogue();
    void commandUsage();
};

void TestAccessConversion::everyFieldOfBothFiles_data()
{
    QTest::addColumn<QString>("file");
    for (const QString &name : accessdata::fixtureNames())
        QTest::newRow(qPrintable(name)) << name;
}

void TestAccessConversion::everyFieldOfBothFiles()
{
    QFETCH(QString, file);
    const QString source = accessdata::fixture(file);
    const QByteArray hash = accessdata::sha256(source);
    const QJsonObject dump = accessdata::dumpOf(file);
    CatalogueFolder env(false);

    const ConversionReport report = convertAccessCatalogue(source, env.folder());

    QCOMPARE(filesIn(env.folder()), QStringList{QStringLiteral("db1.mdb")}); // no temporary file left
    QCOMPARE(db::checkCatalogue(env.catalogPath()), QString());
    QCOMPARE(accessdata::sha256(source), hash);

    // Tabella: every record with its ID, every field character for character,
    // NULL as the empty text.
    const QJsonArray records = accessdata::dumpRows(dump, QStringLiteral("Tabella"));
    const QList<QVariantMap> stored = testdata::rowsOf(env, QStringLiteral("SELECT * FROM Tabella ORDER BY ID"));
    QCOMPARE(stored.size(), records.size());
    int nulls = 0;
    for (int i = 0; i < records.size(); ++i) {
        const QJsonObject want = records.at(i).toObject();
        for (const QString &field : db::tabellaFields()) {
            const QVariant value = stored.at(i).value(field);
            const QString where = QStringLiteral("ID %1 %2").arg(want.value(QStringLiteral("ID")).toInt()).arg(field);
            QVERIFY2(!value.isNull(), qPrintable(where));
            QVERIFY2(value.toString() == accessdata::dumpText(want.value(field)),
                     qPrintable(where + QStringLiteral(": ") + value.toString()));
            nulls += want.value(field).isNull() ? 1 : 0;
        }
    }
    QCOMPARE(stored.at(2).value(QStringLiteral("ID")).toLongLong(), qint64(3));
    QCOMPARE(stored.at(6).value(QStringLiteral("ID")).toLongLong(), qint64(9)); // 7 and 8 stay gaps
    QVERIFY(stored.at(0).value(QStringLiteral("Note")).toString().contains(QStringLiteral("\r\n")));

    // The lookup lists: rows, IDs, order and duplicates as they were.
    for (const QString &table :
         {QStringLiteral("Chiave"), QStringLiteral("Pubblicazione"), QStringLiteral("Allocazione")}) {
        const QJsonArray entries = accessdata::dumpRows(dump, table);
        const QList<QVariantMap> rows = testdata::rowsOf(env, table);
        QCOMPARE(rows.size(), entries.size());
        for (int i = 0; i < entries.size(); ++i) {
            QCOMPARE(rows.at(i).value(QStringLiteral("ID")).toLongLong(),
                     qint64(entries.at(i).toObject().value(QStringLiteral("ID")).toInt()));
            QCOMPARE(rows.at(i).value(table).toString(), entries.at(i).toObject().value(table).toString());
        }
    }
    QCOMPARE(testdata::storedCounter(env), QVariant(qint64(320)));

    // What the command tells.
    const QList<QPair<QString, qint64>> counts = {{QStringLiteral("Tabella"), 300},
                                                  {QStringLiteral("Chiave"), 30},
                                                  {QStringLiteral("Pubblicazione"), 27},
                                                  {QStringLiteral("Allocazione"), 23},
                                                  {QStringLiteral("contatore"), 1}};
    QCOMPARE(report.rows, counts);
    QCOMPARE(report.format, AccessFormat::Jet4);
    QCOMPARE(report.counter, qint64(320));
    QCOMPARE(report.counterOrigin, QString());
    QCOMPARE(report.nextId, qint64(313));
    QCOMPARE(report.nullFields, qint64(nulls));
    QVERIFY(nulls > 0);
    QCOMPARE(report.leftOut, QStringList());
    QCOMPARE(report.absent, QStringList());
    const QString summary = report.summary();
    QVERIFY(summary.contains(QStringLiteral("  Tabella: 300 righe (il prossimo record avrà ID 313)")));
    QVERIFY(summary.contains(QStringLiteral("  Progressivo Documento: 320")));
    QVERIFY(summary.contains(QStringLiteral("%1 campi NULL").arg(nulls)));
    QVERIFY(summary.contains(QStringLiteral("Non convertito: niente.")));
}

void TestAccessConversion::nextIdsAreThoseAccessWouldGive_data()
{
    QTest::addColumn<quint32>("lastAutoNumber"); // what the file's Tabella says it gave last
    QTest::addColumn<qint64>("nextId");
    QTest::newRow("as written") << quint32(312) << qint64(313);
    QTest::newRow("last records deleted in Access") << quint32(400) << qint64(401);
    QTest::newRow("number below the highest present") << quint32(5) << qint64(313);
}

void TestAccessConversion::nextIdsAreThoseAccessWouldGive()
{
    QFETCH(quint32, lastAutoNumber);
    QFETCH(qint64, nextId);
    QTemporaryDir dir;
    const QString source = damagedCopy(dir.path(), accessdata::fixtureNames().first(), [&](QByteArray &file) {
        const int page = accessdata::definitionPage(file, 300, 312);
        QVERIFY(page > 0);
        accessdata::setInt32(file, qsizetype(page) * accessdata::pageSize(file) + accessdata::rowCountOffset + 4,
                             lastAutoNumber);
    });
    CatalogueFolder env(false);
    QCOMPARE(convertAccessCatalogue(source, env.folder()).nextId, nextId);

    db::NewRecord record;
    record.chiave = QStringLiteral("storia");
    record.argomento = QStringLiteral("dopo la conversione");
    QCOMPARE(env.store.addRecord(record, 321), nextId);
    QCOMPARE(sequenceOf(env, QStringLiteral("Tabella")), nextId);
    // The lookup lists go on from their own last numbers.
    env.store.addLookupEntry(lookups::List::Chiave, QStringLiteral("nuova"));
    QCOMPARE(env.store.lookupEntries(lookups::List::Chiave).last().id, qint64(31));
}

void TestAccessConversion::firstSearchFindsConvertedRows()
{
    CatalogueFolder env(false);
    convertAccessCatalogue(accessdata::fixture(accessdata::fixtureNames().last()), env.folder());
    const QJsonArray records
        = accessdata::dumpRows(accessdata::dumpOf(accessdata::fixtureNames().last()), QStringLiteral("Tabella"));
    const QString fragment = QStringLiteral("Capodanno");
    QList<qint64> expected;
    for (const QJsonValue &row : records)
        if (row.toObject().value(QStringLiteral("Argomento")).toString().contains(fragment, Qt::CaseInsensitive))
            expected.append(row.toObject().value(QStringLiteral("ID")).toInt());
    QVERIFY(!expected.isEmpty());

    // The index alone answers, so it holds the converted rows.
    const db::Search search{db::SearchField::Argomento, fragment};
    QCOMPARE(testdata::indexedIds(env, search), expected);
    const auto result = env.store.search(search);
    QCOMPARE(result->rowCount(), int(expected.size()));
}

void TestAccessConversion::counterFromTheHighestProgWhenContatoreIsEmpty()
{
    QTemporaryDir dir;
    const QString source = damagedCopy(dir.path(), accessdata::fixtureNames().first(), [](QByteArray &file) {
        // The counter table stating no row, its one data page gone.
        const int page = accessdata::definitionPage(file, 1, 0);
        QVERIFY(page > 0);
        for (int data : accessdata::dataPagesOf(file, page))
            accessdata::zeroPage(file, data);
        accessdata::setInt32(file, qsizetype(page) * accessdata::pageSize(file) + accessdata::rowCountOffset, 0);
    });
    CatalogueFolder env(false);
    const ConversionReport report = convertAccessCatalogue(source, env.folder());
    QCOMPARE(report.counter, qint64(320)); // Prog runs up to 320
    QCOMPARE(report.counterOrigin, QStringLiteral("la tabella \"contatore\" del file Access è vuota"));
    QVERIFY(report.summary().contains(QStringLiteral("è il Prog più alto dei record, 320.")));
    QCOMPARE(testdata::storedCounter(env), QVariant(qint64(320)));
    QCOMPARE(testdata::rowCount(env, QStringLiteral("contatore")), 1);
}

void TestAccessConversion::missingCounterTableAndExtraTableAreNamed()
{
    QTemporaryDir dir;
    const QString source = damagedCopy(dir.path(), accessdata::fixtureNames().last(), [](QByteArray &file) {
        renameObject(file, QStringLiteral("contatore"), QStringLiteral("contatorx"));
    });
    CatalogueFolder env(false);
    const ConversionReport report = convertAccessCatalogue(source, env.folder());
    QCOMPARE(report.leftOut, QStringList{QStringLiteral("tabella \"contatorx\" (1 riga)")});
    QCOMPARE(report.counterOrigin, QStringLiteral("il file Access non ha la tabella \"contatore\""));
    QCOMPARE(report.counter, qint64(320));
    QVERIFY(report.summary().contains(QStringLiteral("Non convertito: tabella \"contatorx\" (1 riga).")));
    QCOMPARE(testdata::rowCount(env, QStringLiteral("Tabella")), 300);
}

void TestAccessConversion::commandConvertsAndSummarises()
{
    const QString source = accessdata::fixture(accessdata::fixtureNames().first());
    const QByteArray hash = accessdata::sha256(source);
    QTemporaryDir target;
    const Run run = runTool({QStringLiteral("--da-access"), source, target.path()});
    QCOMPARE(run.status, QProcess::NormalExit);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QString());
    const QString catalogue = QDir(target.path()).filePath(QStringLiteral("db1.mdb"));
    QVERIFY(run.out.startsWith(QStringLiteral("Catalogo convertito: \"%1\"\n").arg(catalogue)));
    for (const QString &line :
         {QStringLiteral("  Tabella: 300 righe (il prossimo record avrà ID 313)"), QStringLiteral("  Chiave: 30 righe"),
          QStringLiteral("  Pubblicazione: 27 righe"), QStringLiteral("  Allocazione: 23 righe"),
          QStringLiteral("  contatore: 1 riga"), QStringLiteral("  Progressivo Documento: 320")})
        QVERIFY2(run.out.contains(line + QLatin1Char('\n')), qPrintable(run.out));
    QVERIFY(run.out.contains(QStringLiteral("campi NULL (senza valore) del file Access sono diventati testo vuoto.")));
    QVERIFY(QRegularExpression(QStringLiteral("\nTempo: \\d+,\\d\\d s \\([\\d.]+ righe al secondo\\)\\.\n$"))
                .match(run.out)
                .hasMatch());
    QCOMPARE(filesIn(target.path()), QStringList{QStringLiteral("db1.mdb")});
    QCOMPARE(db::checkCatalogue(catalogue), QString());
    QCOMPARE(accessdata::sha256(source), hash);
}

void TestAccessConversion::commandRefusesDamagedFiles_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("expected"); // a pattern of the one sentence printed
    for (const QString &name : accessdata::fixtureNames()) {
        const QString tag
            = name == accessdata::fixtureNames().first() ? QStringLiteral("2000 ") : QStringLiteral("2003 ");
        QTest::newRow(qPrintable(tag + QStringLiteral("cut to half its length")))
            << name << QStringLiteral("half") << QStringLiteral("è danneggiato");
        QTest::newRow(qPrintable(tag + QStringLiteral("a page of records zeroed")))
            << name << QStringLiteral("rows")
            << QStringLiteral("è danneggiato: dalla tabella \"Tabella\" sono state lette \\d+ righe su 300\\.");
        QTest::newRow(qPrintable(tag + QStringLiteral("memo pages zeroed")))
            << name << QStringLiteral("memo")
            << QStringLiteral("è danneggiato: il campo \"Note\" della tabella \"Tabella\"");
        // A table definition pointing at nonsense makes libmdb itself crash.
        QTest::newRow(qPrintable(tag + QStringLiteral("reader crashes")))
            << name << QStringLiteral("crash")
            << QStringLiteral("è danneggiato: il lettore si è interrotto in modo anomalo nella tabella \"Tabella\" "
                              "dopo 0 righe lette su 300\\.");
        QTest::newRow(qPrintable(tag + QStringLiteral("no Tabella")))
            << name << QStringLiteral("no Tabella") << QStringLiteral("manca la tabella \"Tabella\"");
    }
    QTest::newRow("text file renamed .mdb")
        << QString() << QStringLiteral("text") << QStringLiteral("non è un database di Access\\.");
    QTest::newRow("empty file") << QString() << QStringLiteral("empty")
                                << QStringLiteral("non è un database di Access\\.");
    QTest::newRow("missing file") << QString() << QStringLiteral("missing") << QStringLiteral("non è stato trovato\\.");
}

void TestAccessConversion::commandRefusesDamagedFiles()
{
    QFETCH(QString, fixture);
    QFETCH(QString, damage);
    QFETCH(QString, expected);
    QTemporaryDir sourceFolder;
    QString source = QDir(sourceFolder.path()).filePath(QStringLiteral("vecchio.mdb"));
    if (damage == QLatin1String("text"))
        QVERIFY(accessdata::write(source, "Chiave;Argomento;Testo\r\nstoria;Roma;testo\r\n"));
    else if (damage == QLatin1String("empty"))
        QVERIFY(accessdata::write(source, QByteArray()));
    else if (!fixture.isEmpty())
        source = damagedCopy(sourceFolder.path(), fixture, [&](QByteArray &file) {
            const int tabella = accessdata::definitionPage(file, 300, 312);
            QVERIFY(tabella > 0);
            if (damage == QLatin1String("half")) {
                file.truncate(file.size() / 2);
            } else if (damage == QLatin1String("rows")) {
                accessdata::zeroPage(file, accessdata::dataPagesOf(file, tabella).at(1));
            } else if (damage == QLatin1String("memo")) {
                for (int page : accessdata::memoPages(file))
                    if (page > tabella)
                        accessdata::zeroPage(file, page);
            } else if (damage == QLatin1String("crash")) { // the address of the table's page map
                file[qsizetype(tabella) * accessdata::pageSize(file) + 0x37] = 35;
            } else if (damage == QLatin1String("no Tabella")) {
                renameObject(file, QStringLiteral("Tabella"), QStringLiteral("Tabellx"));
            }
        });
    const QByteArray hash = accessdata::sha256(source);
    QTemporaryDir target;

    const Run run = runTool({QStringLiteral("--da-access"), source, target.path()});

    QCOMPARE(run.status, QProcess::NormalExit); // a crash of the reader too ends with a message
    QVERIFY2(run.exitCode != 0, qPrintable(run.out));
    QCOMPARE(run.out, QString());
    QVERIFY2(run.err.endsWith(QStringLiteral(" Nessun catalogo è stato creato.\n")), qPrintable(run.err));
    QCOMPARE(run.err.count(QLatin1Char('\n')), 1); // one sentence, none of the library's own warnings
    QVERIFY2(run.err.contains(source), qPrintable(run.err));
    QVERIFY2(QRegularExpression(expected).match(run.err).hasMatch(), qPrintable(run.err));
    QCOMPARE(filesIn(target.path()), QStringList()); // no db1.mdb, no temporary file
    QCOMPARE(accessdata::sha256(source), hash);
}

void TestAccessConversion::commandNeverOverwritesACatalogue()
{
    const QString source = accessdata::fixture(accessdata::fixtureNames().last());
    QTemporaryDir target;
    QCOMPARE(runTool({QStringLiteral("--da-access"), source, target.path()}).exitCode, 0);
    const QString catalogue = QDir(target.path()).filePath(QStringLiteral("db1.mdb"));
    const QByteArray converted = accessdata::sha256(catalogue);

    const Run again = runTool({QStringLiteral("--da-access"), source, target.path()});
    QCOMPARE(again.status, QProcess::NormalExit);
    QCOMPARE(again.exitCode, 1);
    QCOMPARE(again.err,
             QStringLiteral("Il file \"%1\" esiste già: non viene sovrascritto. "
                            "Nessuna conversione è stata fatta.\n")
                 .arg(catalogue));
    QCOMPARE(accessdata::sha256(catalogue), converted);
    QCOMPARE(filesIn(target.path()), QStringList{QStringLiteral("db1.mdb")});
}

void TestAccessConversion::commandUsage()
{
    for (const QStringList &arguments : {QStringList{QStringLiteral("--da-access")},
                                         QStringList{QStringLiteral("--da-access"), QStringLiteral("a.mdb"),
                                                     QStringLiteral("cartella"), QStringLiteral("altro")}}) {
        const Run run = runTool(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.err.contains(QStringLiteral("crea_catalogo --da-access VECCHIO.mdb [cartella]")));
    }
    // Without the option the tool still makes an empty catalogue.
    QTemporaryDir target;
    const Run run = runTool({target.path()});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.startsWith(QStringLiteral("Catalogo creato: ")));
    QCOMPARE(db::checkCatalogue(QDir(target.path()).filePath(QStringLiteral("db1.mdb"))), QString());
}

QTEST_GUILESS_MAIN(TestAccessConversion)
#include "tst_accessconversion.moc"
