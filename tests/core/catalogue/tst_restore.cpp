// "crea_catalogo --ripristina COPIA [CARTELLA]" run as a real process: it puts a
// backup copy in place of the catalogue after keeping the current one as a copy;
// it refuses, changing nothing, while the program has the catalogue open, and
// when the copy is damaged or no catalogue; no stale log of the old file ever
// reaches the new one.
#include "CatalogueFiles.h"
#include "CatalogueFolder.h"
#include "CatalogueRows.h"
#include "TestFiles.h"
#include "Tools.h"
#include "core/catalogue/Backup.h"
#include "core/catalogue/CatalogueLock.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include <unistd.h>

using namespace testdata;

namespace {

const QString tool = QStringLiteral(CREA_CATALOGO);

ToolRun restoreCopy(const QString &copy, const QString &folder)
{
    return runTool(tool, {QStringLiteral("--ripristina"), copy, folder});
}

QString said(const QByteArray &output)
{
    return QString::fromUtf8(output).trimmed();
}

void addKeyword(const CatalogueFolder &env, const QString &chiave)
{
    addRecord(env, {{QStringLiteral("Chiave"), chiave}, {QStringLiteral("Argomento"), QStringLiteral("a")}});
}

// Everything in the program folder and in its backup folder, with each file's fingerprint.
QMap<QString, QByteArray> folderState(const CatalogueFolder &env)
{
    QMap<QString, QByteArray> state;
    for (const QString &name : filesIn(env.folder()))
        if (name != QLatin1String(".db1.mdb.in-uso")) // the lock's own file, empty and never removed
            state.insert(name, fingerprint(env.filePath(name)));
    const QString backups = backup::folderOf(env.catalogPath());
    for (const QString &name : filesIn(backups))
        state.insert(QStringLiteral("Backup/") + name, fingerprint(backups + QLatin1Char('/') + name));
    return state;
}

QList<backup::Copy> copiesOfKind(const CatalogueFolder &env, backup::Kind kind)
{
    QList<backup::Copy> found;
    for (const backup::Copy &copy : backup::copies(env.catalogPath()))
        if (copy.kind == kind)
            found.append(copy);
    return found;
}

} // namespace

class tst_restore : public QObject {
    Q_OBJECT

private slots:
    void restoresTheCopyAndKeepsTheCatalogueOfBefore();
    void restoresIntoAFolderWithoutCatalogue();
    void refusesWhileTheProgramHoldsTheCatalogue();
    void refusesWhileTheRealProgramRuns();
    void refusesADamagedCopyChangingNothing();
    void refusesWhatIsNoCopy_data();
    void refusesWhatIsNoCopy();
    void keepsADamagedCatalogueAsItWas();
    void noLogOfTheOldFileReachesTheNewOne();
    void wrongUseShowsTheUsage();
    void progressOfBothCopiesIsToldAsOne();
};

void tst_restore::restoresTheCopyAndKeepsTheCatalogueOfBefore()
{
    CatalogueFolder env;
    addKeyword(env, QStringLiteral("prima"));
    setCounter(env, 5);
    const QString copy = backup::makeCopy(env.catalogPath(), backup::Kind::BeforeDeletingRecords);
    addKeyword(env, QStringLiteral("dopo"));
    setCounter(env, 9);

    const ToolRun run = restoreCopy(copy, env.folder());
    QVERIFY2(run.ok(), run.errorOutput.constData());
    // Nothing else is left beside the catalogue: no temporary file, no old log.
    QCOMPARE(filesIn(env.folder()), (QStringList{QStringLiteral(".db1.mdb.in-uso"), QStringLiteral("db1.mdb")}));
    QCOMPARE(keywordsOf(env.catalogPath()), QStringList{QStringLiteral("prima")});
    QCOMPARE(counterOf(env.catalogPath()), QStringLiteral("5"));
    QCOMPARE(journalBytes(env.catalogPath()), QByteArray("\2\2")); // in WAL mode, as catalogues are made

    const QList<backup::Copy> kept = copiesOfKind(env, backup::Kind::BeforeRestore);
    QCOMPARE(kept.size(), 1);
    QCOMPARE(keywordsOf(kept[0].path), (QStringList{QStringLiteral("prima"), QStringLiteral("dopo")}));
    QCOMPARE(counterOf(kept[0].path), QStringLiteral("9"));
    QVERIFY(QFileInfo::exists(copy)); // the copy restored stays a copy
    QCOMPARE(said(run.output),
             QStringLiteral("Il catalogo \"%1\" è stato ripristinato dalla copia \"%2\".\n"
                            "Il catalogo di prima è conservato nella copia \"%3\".")
                 .arg(env.catalogPath(), copy, kept[0].path));
    QVERIFY(run.errorOutput.isEmpty());
}

void tst_restore::restoresIntoAFolderWithoutCatalogue()
{
    CatalogueFolder source;
    addKeyword(source, QStringLiteral("salvata"));
    const QString copy = backup::makeCopy(source.catalogPath(), backup::Kind::Daily);
    CatalogueFolder env(false);

    const ToolRun run = restoreCopy(copy, env.folder());
    QVERIFY2(run.ok(), run.errorOutput.constData());
    QCOMPARE(keywordsOf(env.catalogPath()), QStringList{QStringLiteral("salvata")});
    QVERIFY(said(run.output).endsWith(QStringLiteral("Prima non c'era nessun catalogo da conservare.")));
    QVERIFY(backup::copies(env.catalogPath()).isEmpty());
}

// The program's shared lock is held here; the tool is the second process.
void tst_restore::refusesWhileTheProgramHoldsTheCatalogue()
{
    CatalogueFolder env;
    addKeyword(env, QStringLiteral("in uso"));
    const QString copy = backup::makeCopy(env.catalogPath(), backup::Kind::Daily);
    addKeyword(env, QStringLiteral("ancora"));
    const QMap<QString, QByteArray> before = folderState(env);
    {
        const db::CatalogueLock program(env.catalogPath(), db::CatalogueLock::Shared);
        const db::CatalogueLock another(env.catalogPath(), db::CatalogueLock::Shared); // a second copy of it
        QVERIFY(program.held() && another.held());
        const ToolRun run = restoreCopy(copy, env.folder());
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(said(run.errorOutput),
                 QStringLiteral("Il catalogo \"%1\" è aperto dal programma: chiudere il programma e ripetere il "
                                "comando (il catalogo non è stato cambiato).")
                     .arg(env.catalogPath()));
        QVERIFY(run.output.isEmpty());
        QCOMPARE(folderState(env), before);
    }
    QVERIFY(restoreCopy(copy, env.folder()).ok());
    QCOMPARE(keywordsOf(env.catalogPath()), QStringList{QStringLiteral("in uso")});
}

// The program itself, started from a folder of its own, holds the catalogue
// (it made its daily copy, so it is past its start); the restore refuses until it ends.
void tst_restore::refusesWhileTheRealProgramRuns()
{
    CatalogueFolder env;
    addKeyword(env, QStringLiteral("programma"));
    const QString program = env.filePath(QStringLiteral("rudozuzurivaz"));
    if (::link(RUDOZUZURIVAZ, QFile::encodeName(program).constData()) != 0)
        QVERIFY(QFile::copy(QStringLiteral(RUDOZUZURIVAZ), program));
    const QString copy = backup::makeCopy(env.catalogPath(), backup::Kind::BeforeDeletingRecords);
    addKeyword(env, QStringLiteral("dopo"));

    QProcess running;
    running.setStandardOutputFile(QProcess::nullDevice());
    running.setStandardErrorFile(QProcess::nullDevice());
    running.start(program, {});
    QVERIFY(running.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(!copiesOfKind(env, backup::Kind::Daily).isEmpty(), 30000);
    QCOMPARE(running.state(), QProcess::Running);

    const ToolRun refused = restoreCopy(copy, env.folder());
    QCOMPARE(refused.exitCode, 1);
    QVERIFY2(said(refused.errorOutput).contains(QStringLiteral("è aperto dal programma")),
             refused.errorOutput.constData());
    QCOMPARE(keywordsOf(env.catalogPath()).size(), 2);

    running.kill(); // however it ends, its lock goes with it
    QVERIFY(running.waitForFinished());
    const ToolRun run = restoreCopy(copy, env.folder());
    QVERIFY2(run.ok(), run.errorOutput.constData());
    QCOMPARE(keywordsOf(env.catalogPath()), QStringList{QStringLiteral("programma")});
}

void tst_restore::refusesADamagedCopyChangingNothing()
{
    CatalogueFolder env;
    addLongRecords(env, 300, 2000);
    const QString copy = backup::makeCopy(env.catalogPath(), backup::Kind::Daily);
    damageTabella(copy);
    addKeyword(env, QStringLiteral("dopo la copia"));
    const QMap<QString, QByteArray> before = folderState(env);

    const ToolRun run = restoreCopy(copy, env.folder());
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(said(run.errorOutput)
                 .startsWith(QStringLiteral("La copia \"%1\" è danneggiata (controllo di integrità: ").arg(copy)),
             run.errorOutput.constData());
    QVERIFY(said(run.errorOutput).endsWith(QStringLiteral("): il catalogo non è stato cambiato.")));
    QVERIFY(!said(run.errorOutput).contains(QLatin1Char('\n')));
    QCOMPARE(folderState(env), before);
}

void tst_restore::refusesWhatIsNoCopy_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("sentence"); // %1: the copy, %2: the catalogue
    QTest::newRow("missing") << QStringLiteral("missing")
                             << QStringLiteral("La copia \"%1\" non esiste: il catalogo non è stato cambiato.");
    QTest::newRow("text file") << QStringLiteral("text")
                               << QStringLiteral("La copia \"%1\" non si può leggere (il file non è un database): il "
                                                 "catalogo non è stato cambiato.");
    QTest::newRow("database of another program")
        << QStringLiteral("other")
        << QStringLiteral("La copia \"%1\" non è un catalogo di questo programma: il catalogo non è stato cambiato.");
    QTest::newRow("the catalogue itself")
        << QStringLiteral("itself")
        << QStringLiteral("La copia \"%1\" è il catalogo stesso: indicare una copia della cartella \"%2\" (il "
                          "catalogo non è stato cambiato).");
}

void tst_restore::refusesWhatIsNoCopy()
{
    QFETCH(QString, what);
    QFETCH(QString, sentence);
    CatalogueFolder env;
    addKeyword(env, QStringLiteral("resta"));
    QString copy = env.filePath(QStringLiteral("copia.mdb"));
    if (what == QLatin1String("text")) {
        writeBytes(copy, "appunti, non un database\n");
    } else if (what == QLatin1String("other")) {
        const QString name = QStringLiteral("other-database");
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            other.setDatabaseName(copy);
            QVERIFY(other.open());
            QVERIFY(QSqlQuery(other).exec(QStringLiteral("CREATE TABLE Tabella (ID INTEGER PRIMARY KEY, Nome TEXT)")));
            other.close();
        }
        QSqlDatabase::removeDatabase(name);
    } else if (what == QLatin1String("itself")) {
        copy = env.catalogPath();
    }
    const QMap<QString, QByteArray> before = folderState(env);

    const ToolRun run = restoreCopy(copy, env.folder());
    QCOMPARE(run.exitCode, 1);
    const QString expected = sentence.contains(QStringLiteral("%2"))
        ? sentence.arg(copy, backup::folderOf(env.catalogPath()))
        : sentence.arg(copy);
    QCOMPARE(said(run.errorOutput), expected);
    QCOMPARE(folderState(env), before);
}

// The catalogue being replaced fails its check: it is kept byte for byte, as a
// copy that is never offered for a restore.
void tst_restore::keepsADamagedCatalogueAsItWas()
{
    CatalogueFolder env;
    addLongRecords(env, 300, 2000);
    const QString copy = backup::makeCopy(env.catalogPath(), backup::Kind::Daily);
    damageTabella(env.catalogPath());
    const QByteArray damaged = fingerprint(env.catalogPath());

    const ToolRun run = restoreCopy(copy, env.folder());
    QVERIFY2(run.ok(), run.errorOutput.constData());
    const QList<backup::Copy> kept = copiesOfKind(env, backup::Kind::BeforeRestoreUnchecked);
    QCOMPARE(kept.size(), 1);
    QCOMPARE(fingerprint(kept[0].path), damaged);
    QVERIFY(said(run.output)
                .endsWith(QStringLiteral("Il catalogo di prima, che non ha superato il controllo di "
                                         "integrità, è conservato così com'era nella copia \"%1\".")
                              .arg(kept[0].path)));
    QCOMPARE(columnOf(env.catalogPath(), QStringLiteral("PRAGMA quick_check")), QStringList{QStringLiteral("ok")});
    QCOMPARE(columnOf(env.catalogPath(), QStringLiteral("SELECT count(*) FROM Tabella")),
             QStringList{QStringLiteral("300")});
    QCOMPARE(backup::newestCopy(env.catalogPath()), copy);
}

// The old catalogue's log, left by a program that ended without closing it, holds
// changes of the old file: they go into the copy of before, never into the new file.
void tst_restore::noLogOfTheOldFileReachesTheNewOne()
{
    CatalogueFolder env;
    addKeyword(env, QStringLiteral("copia"));
    const QString copy = backup::makeCopy(env.catalogPath(), backup::Kind::Daily);

    // The files as a program killed while writing leaves them: the main file
    // without the change, the log with it, taken while the writer was open.
    const QString name = QStringLiteral("writer-killed");
    const QString log = env.catalogPath() + QStringLiteral("-wal");
    QByteArray mainBytes;
    QByteArray logBytes;
    {
        QSqlDatabase writer = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        writer.setDatabaseName(env.catalogPath());
        QVERIFY(writer.open());
        QSqlQuery query(writer);
        QVERIFY(query.exec(QStringLiteral("PRAGMA wal_autocheckpoint=0")));
        QVERIFY(query.exec(QStringLiteral("INSERT INTO Chiave (Chiave) VALUES ('nel-registro')")));
        QVERIFY(query.exec(QStringLiteral("UPDATE contatore SET Progressivo = 33")));
        mainBytes = fileBytes(env.catalogPath());
        logBytes = fileBytes(log);
        writer.close();
    }
    QSqlDatabase::removeDatabase(name);
    QVERIFY(!mainBytes.contains("nel-registro"));
    QVERIFY(logBytes.contains("nel-registro"));
    writeBytes(env.catalogPath(), mainBytes);
    writeBytes(log, logBytes);
    QFile::remove(env.catalogPath() + QStringLiteral("-shm"));

    const ToolRun run = restoreCopy(copy, env.folder());
    QVERIFY2(run.ok(), run.errorOutput.constData());
    QVERIFY(!QFileInfo::exists(log));
    QCOMPARE(counterOf(env.catalogPath()), QStringLiteral("0"));
    QCOMPARE(columnOf(env.catalogPath(), QStringLiteral("SELECT count(*) FROM Chiave")),
             QStringList{QStringLiteral("0")});
    QCOMPARE(keywordsOf(env.catalogPath()), QStringList{QStringLiteral("copia")});
    const QList<backup::Copy> kept = copiesOfKind(env, backup::Kind::BeforeRestore);
    QCOMPARE(kept.size(), 1);
    QCOMPARE(counterOf(kept[0].path), QStringLiteral("33"));
}

void tst_restore::wrongUseShowsTheUsage()
{
    CatalogueFolder env;
    const QByteArray before = fingerprint(env.catalogPath());
    for (const QStringList &arguments :
         {QStringList{QStringLiteral("--ripristina")},
          QStringList{QStringLiteral("--ripristina"), QStringLiteral("a"), env.folder(), QStringLiteral("b")}}) {
        const ToolRun run = runTool(tool, arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(said(run.errorOutput).contains(QStringLiteral("crea_catalogo --ripristina COPIA [cartella]")));
    }
    QCOMPARE(fingerprint(env.catalogPath()), before);
}

// The restore called in the process, as the tool calls it: the copy brought in
// and the catalogue kept are the two halves of one progress.
void tst_restore::progressOfBothCopiesIsToldAsOne()
{
    CatalogueFolder env;
    addLongRecords(env, 2500, 4000);
    const QString copy = backup::makeCopy(env.catalogPath(), backup::Kind::Daily);
    QList<QPair<qint64, qint64>> calls;
    const backup::Restored restored = backup::restore(copy, env.catalogPath(), [&](qint64 done, qint64 total) {
        calls.append({done, total});
    });
    QVERIFY(restored.keptChecked);
    QVERIFY(QFileInfo::exists(restored.keptCopy));
    QVERIFY(calls.size() >= 4);
    for (int i = 1; i < calls.size(); ++i) {
        QVERIFY(calls[i].first >= calls[i - 1].first);
        QCOMPARE(calls[i].second, 2000);
    }
    QVERIFY(std::any_of(calls.cbegin(), calls.cend(), [](const auto &call) { return call.first == 1000; }));
    QCOMPARE(calls.constLast().first, 2000);
}

QTEST_GUILESS_MAIN(tst_restore)
#include "tst_restore.moc"
