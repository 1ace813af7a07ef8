// Backup copies of the catalogue: what they hold (also what is still only in the
// write-ahead log), how they are named, that no copy ever replaces another, the
// ten kept of each group (removed only once the new copy checked out), the daily
// copy, the advice naming the newest copy, and the lock the program holds.
#include "CatalogueFiles.h"
#include "CatalogueFolder.h"
#include "CatalogueRows.h"
#include "TestFiles.h"
#include "core/catalogue/Backup.h"
#include "core/catalogue/Catalogue.h"
#include "core/catalogue/CatalogueLock.h"
#include "core/engines/DbError.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include <signal.h>

using namespace testdata;

namespace {

const QString dailyWord = QStringLiteral("giornaliera");
const QString deletingWord = QStringLiteral("prima-di-eliminare-le-registrazioni");

QString stamp(const QDateTime &time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
}

// A file named as a copy of that kind made at `time` (its contents do not matter
// to the pruning, which never opens old copies).
QString fakeCopy(const CatalogueFolder &env, const QDateTime &time, const QString &word, int sequence = 1)
{
    QDir().mkpath(backup::folderOf(env.catalogPath()));
    QString name = QStringLiteral("db1_") + stamp(time) + QLatin1Char('_') + word;
    if (sequence > 1)
        name += QLatin1Char('_') + QString::number(sequence);
    const QString path = backup::folderOf(env.catalogPath()) + QLatin1Char('/') + name + QStringLiteral(".mdb");
    writeBytes(path, "copia " + name.toUtf8());
    return path;
}

QStringList backupFiles(const CatalogueFolder &env)
{
    return filesIn(backup::folderOf(env.catalogPath()));
}

QString nameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

// Every file of the group in the backup folder, oldest first by name.
QStringList namesOfKind(const CatalogueFolder &env, const QString &word)
{
    QStringList names;
    for (const QString &name : backupFiles(env))
        if (name.contains(QLatin1Char('_') + word + QLatin1Char('.'))
            || name.contains(QLatin1Char('_') + word + QLatin1Char('_')))
            names.append(name);
    return names;
}

void addKeyword(const CatalogueFolder &env, const QString &chiave)
{
    addRecord(env, {{QStringLiteral("Chiave"), chiave}, {QStringLiteral("Argomento"), QStringLiteral("a")}});
}

} // namespace

class tst_backup : public QObject {
    Q_OBJECT

private slots:
    // What a copy is
    void copyHoldsTheCatalogueNamedByTimeAndKind_data();
    void copyHoldsTheCatalogueNamedByTimeAndKind();
    void copyHoldsWhatIsOnlyInTheLog();
    void progressRunsToTheEnd();

    // Names and how many are kept
    void copyOfTheSameSecondNeverReplacesAnother();
    void keepsTheTenNewestOfEachGroup();
    void newCopyStaysWhenTheClockWasPutBack();
    void damagedCatalogueGivesNoCopyAndRemovesNone();
    void leftoversOfAnEndedCopyAreRemoved_data();
    void leftoversOfAnEndedCopyAreRemoved();
    void dailyCopyOnceADay();
    void failuresAreSaidInItalian();

    // The newest copy and the restore advice
    void newestCopyAndRestoreAdvice();

    // The program's lock
    void programsShareTheLockRestoreTakesItAlone();
};

void tst_backup::copyHoldsTheCatalogueNamedByTimeAndKind_data()
{
    QTest::addColumn<backup::Kind>("kind");
    QTest::addColumn<QString>("word");
    QTest::newRow("daily") << backup::Kind::Daily << dailyWord;
    QTest::newRow("deleting records") << backup::Kind::BeforeDeletingRecords << deletingWord;
    QTest::newRow("restarting numbering")
        << backup::Kind::BeforeRestartingNumbering << QStringLiteral("prima-di-azzerare-il-contatore");
    QTest::newRow("changing counter") << backup::Kind::BeforeChangingCounter
                                      << QStringLiteral("prima-di-cambiare-il-progressivo");
    QTest::newRow("restore") << backup::Kind::BeforeRestore << QStringLiteral("prima-del-ripristino");
}

void tst_backup::copyHoldsTheCatalogueNamedByTimeAndKind()
{
    QFETCH(backup::Kind, kind);
    QFETCH(QString, word);
    CatalogueFolder env;
    addKeyword(env, QStringLiteral("storia"));
    addKeyword(env, QStringLiteral("città"));
    setCounter(env, 41);

    const QDateTime before = QDateTime::currentDateTime().addMSecs(-999);
    const QString copy = backup::makeCopy(env.catalogPath(), kind);
    const QDateTime after = QDateTime::currentDateTime();

    QCOMPARE(QFileInfo(copy).absolutePath(), env.folder() + QStringLiteral("/Backup"));
    const QRegularExpression pattern(QStringLiteral("^db1_(\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d)_")
                                     + QRegularExpression::escape(word) + QStringLiteral("\\.mdb$"));
    const QRegularExpressionMatch match = pattern.match(nameOf(copy));
    QVERIFY2(match.hasMatch(), qPrintable(copy));
    const QDateTime made = QDateTime::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    QVERIFY(made >= before && made <= after);

    QCOMPARE(keywordsOf(copy), (QStringList{QStringLiteral("storia"), QStringLiteral("città")}));
    QCOMPARE(counterOf(copy), QStringLiteral("41"));
    QCOMPARE(db::checkCatalogue(copy), QString());
    // A plain single file, and nothing else left in the folder.
    QCOMPARE(journalBytes(copy), QByteArray("\1\1"));
    QCOMPARE(backupFiles(env), QStringList{nameOf(copy)});
    QCOMPARE(backup::copies(env.catalogPath()).size(), 1);
    QCOMPARE(backup::copies(env.catalogPath()).constFirst().kind, kind);
    // The catalogue itself is as it was, still in WAL mode.
    QCOMPARE(keywordsOf(env.catalogPath()).size(), 2);
    QCOMPARE(journalBytes(env.catalogPath()), QByteArray("\2\2"));
}

// Another connection keeps its changes in the log (no checkpoint): the main file
// does not hold them yet, the copy does.
void tst_backup::copyHoldsWhatIsOnlyInTheLog()
{
    CatalogueFolder env;
    const QString name = QStringLiteral("writer-with-log");
    QString copy;
    {
        QSqlDatabase writer = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        writer.setDatabaseName(env.catalogPath());
        QVERIFY(writer.open());
        QSqlQuery query(writer);
        QVERIFY(query.exec(QStringLiteral("PRAGMA wal_autocheckpoint=0")));
        QVERIFY(query.exec(QStringLiteral("INSERT INTO Chiave (Chiave) VALUES ('solo-nel-registro')")));
        QVERIFY(query.exec(QStringLiteral("UPDATE contatore SET Progressivo = 77")));
        QVERIFY(!fileBytes(env.catalogPath()).contains("solo-nel-registro"));
        QVERIFY(fileBytes(env.catalogPath() + QStringLiteral("-wal")).contains("solo-nel-registro"));

        copy = backup::makeCopy(env.catalogPath(), backup::Kind::BeforeDeletingRecords);
        // A change after the copy started is not in it: the copy is one state.
        QVERIFY(query.exec(QStringLiteral("UPDATE contatore SET Progressivo = 78")));
        writer.close();
    }
    QSqlDatabase::removeDatabase(name);
    QCOMPARE(columnOf(copy, QStringLiteral("SELECT Chiave FROM Chiave")),
             QStringList{QStringLiteral("solo-nel-registro")});
    QCOMPARE(counterOf(copy), QStringLiteral("77"));
    QVERIFY(fileBytes(copy).contains("solo-nel-registro"));
    QVERIFY(!QFileInfo::exists(copy + QStringLiteral("-wal")));
}

// A catalogue of some thousand pages is copied in several steps and checked; the
// progress goes forward and ends at the end.
void tst_backup::progressRunsToTheEnd()
{
    CatalogueFolder env;
    addLongRecords(env, 2500, 4000);
    QList<QPair<qint64, qint64>> calls;
    const QString copy = backup::makeCopy(env.catalogPath(), backup::Kind::Daily, [&](qint64 done, qint64 total) {
        calls.append({done, total});
    });
    QVERIFY2(calls.size() >= 2, qPrintable(QString::number(calls.size())));
    for (int i = 1; i < calls.size(); ++i) {
        QVERIFY(calls[i].first >= calls[i - 1].first);
        QCOMPARE(calls[i].second, calls[0].second);
    }
    // The copy fills the first half, in steps; its check the second.
    QVERIFY(calls[0].first < calls[0].second / 2);
    QVERIFY(std::any_of(calls.cbegin(), calls.cend(), [](const auto &call) { return call.first == call.second / 2; }));
    QCOMPARE(calls.constLast().first, calls.constLast().second);
    QCOMPARE(columnOf(copy, QStringLiteral("SELECT count(*) FROM Tabella")), QStringList{QStringLiteral("2500")});
}

// Files named as the copies of this second and the next ones are there already:
// the new copy takes the next free number and every other file stays as it was.
void tst_backup::copyOfTheSameSecondNeverReplacesAnother()
{
    CatalogueFolder env;
    const QDateTime now = QDateTime::currentDateTime();
    QStringList taken;
    for (int second = -1; second <= 3; ++second)
        taken << fakeCopy(env, now.addSecs(second), deletingWord);
    QMap<QString, QByteArray> before;
    for (const QString &path : taken)
        before.insert(path, fileBytes(path));

    const QString copy = backup::makeCopy(env.catalogPath(), backup::Kind::BeforeDeletingRecords);
    QVERIFY2(nameOf(copy).endsWith(deletingWord + QStringLiteral("_2.mdb")), qPrintable(copy));
    QVERIFY(!taken.contains(copy));
    for (const QString &path : taken)
        QCOMPARE(fileBytes(path), before.value(path));
    QCOMPARE(keywordsOf(copy), QStringList());

    // Names of one group sort by time: the numbered copy comes after the plain one.
    const QString again = backup::makeCopy(env.catalogPath(), backup::Kind::BeforeDeletingRecords);
    QStringList names = namesOfKind(env, deletingWord);
    QStringList sorted = names;
    sorted.sort();
    QCOMPARE(names, sorted);
    QVERIFY(names.indexOf(nameOf(copy))
            > names.indexOf(nameOf(copy).replace(QStringLiteral("_2.mdb"), QStringLiteral(".mdb"))));
    // Newest first: the later copy, of a later second or with a higher number, comes first.
    QStringList listed;
    for (const backup::Copy &made : backup::copies(env.catalogPath()))
        listed.append(made.path);
    QVERIFY(listed.indexOf(again) >= 0 && listed.indexOf(again) < listed.indexOf(copy));
}

void tst_backup::keepsTheTenNewestOfEachGroup()
{
    CatalogueFolder env;
    const QDateTime old(QDate(2024, 3, 1), QTime(9, 0));
    QStringList daily;
    for (int day = 0; day < 12; ++day)
        daily << fakeCopy(env, old.addDays(day), dailyWord);
    QStringList beforeAction;
    for (int day = 0; day < 4; ++day)
        beforeAction << fakeCopy(env, old.addDays(day), deletingWord);
    beforeAction << fakeCopy(env, old.addDays(5), QStringLiteral("prima-di-azzerare-il-contatore"));
    beforeAction << fakeCopy(env, old.addDays(6), QStringLiteral("prima-del-ripristino-non-verificata"));
    const QString stranger = backup::folderOf(env.catalogPath()) + QStringLiteral("/appunti.mdb");
    writeBytes(stranger, "non è una copia");

    const QString copy = backup::makeCopy(env.catalogPath(), backup::Kind::Daily);
    // Ten daily copies: the new one and the nine newest of before; the three oldest went.
    for (int day = 0; day < 3; ++day)
        QVERIFY2(!QFileInfo::exists(daily[day]), qPrintable(daily[day]));
    for (int day = 3; day < 12; ++day)
        QVERIFY(QFileInfo::exists(daily[day]));
    QVERIFY(QFileInfo::exists(copy));
    // The other group and files that are no copies are not touched.
    for (const QString &path : beforeAction)
        QVERIFY(QFileInfo::exists(path));
    QVERIFY(QFileInfo::exists(stranger));

    // Copies made before an action, all kinds counted together.
    for (int i = 0; i < 5; ++i)
        backup::makeCopy(env.catalogPath(),
                         i % 2 ? backup::Kind::BeforeChangingCounter : backup::Kind::BeforeRestartingNumbering);
    int beforeActionKept = 0;
    for (const backup::Copy &kept : backup::copies(env.catalogPath()))
        beforeActionKept += kept.kind != backup::Kind::Daily;
    QCOMPARE(beforeActionKept, backup::copiesKept);
    QVERIFY(!QFileInfo::exists(beforeAction[0]));
    QVERIFY(QFileInfo::exists(beforeAction[1]));
    QCOMPARE(namesOfKind(env, dailyWord).size(), backup::copiesKept);

    // The list is newest first.
    const QList<backup::Copy> all = backup::copies(env.catalogPath());
    for (int i = 1; i < all.size(); ++i)
        QVERIFY(all[i - 1].made >= all[i].made);
}

// Copies dated after today (the clock was put back since): the new copy, which
// sorts as the oldest, is never the one removed.
void tst_backup::newCopyStaysWhenTheClockWasPutBack()
{
    CatalogueFolder env;
    const QDateTime later = QDateTime::currentDateTime().addYears(1);
    QStringList future;
    for (int day = 0; day < backup::copiesKept; ++day)
        future << fakeCopy(env, later.addDays(day), dailyWord);
    const QString copy = backup::makeCopy(env.catalogPath(), backup::Kind::Daily);
    QVERIFY(QFileInfo::exists(copy));
    QCOMPARE(backup::copies(env.catalogPath()).constLast().path, copy);
    for (const QString &path : future)
        QVERIFY(QFileInfo::exists(path));
}

// The copy of a damaged catalogue fails its check: no copy, and the old ones stay.
void tst_backup::damagedCatalogueGivesNoCopyAndRemovesNone()
{
    CatalogueFolder env;
    addLongRecords(env, 300, 2000);
    damageTabella(env.catalogPath());
    const QDateTime old(QDate(2024, 3, 1), QTime(9, 0));
    for (int day = 0; day < 12; ++day)
        fakeCopy(env, old.addDays(day), dailyWord);
    const QStringList before = backupFiles(env);

    try {
        backup::makeCopy(env.catalogPath(), backup::Kind::Daily);
        QFAIL("the copy of a damaged catalogue was accepted");
    } catch (const db::DbError &error) {
        QVERIFY2(error.reason().contains(QStringLiteral("non ha superato il controllo di integrità")),
                 qPrintable(error.reason()));
        QVERIFY(error.reason().contains(env.catalogPath()));
    }
    QCOMPARE(backupFiles(env), before);
}

// A copy or a restore whose process ended (killed, power cut) leaves its
// temporary files; the next copy, or the program's next start, removes them.
// Those of a process still running are not touched.
void tst_backup::leftoversOfAnEndedCopyAreRemoved_data()
{
    QTest::addColumn<bool>("byCopy");
    QTest::newRow("la copia seguente") << true;
    QTest::newRow("l'avvio seguente") << false;
}

void tst_backup::leftoversOfAnEndedCopyAreRemoved()
{
    QFETCH(bool, byCopy);
    CatalogueFolder env;
    // The id of a process that has ended.
    QProcess ended;
    ended.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("echo $$")});
    QVERIFY(ended.waitForFinished());
    const pid_t endedPid = ended.readAllStandardOutput().trimmed().toInt();
    QVERIFY(endedPid > 0);
    QDir().mkpath(backup::folderOf(env.catalogPath()));
    const QString copy = backup::folderOf(env.catalogPath()) + QStringLiteral("/.db1_2024-01-01_10-00-00_giornaliera.mdb.%1.parziale");
    const QString restore = env.folder() + QStringLiteral("/.db1.mdb.%1.ripristino");
    const QStringList dead{copy.arg(endedPid), copy.arg(endedPid) + QStringLiteral("-journal"), restore.arg(endedPid),
                           restore.arg(endedPid) + QStringLiteral("-wal")};
    const QStringList living{copy.arg(QCoreApplication::applicationPid()),
                             restore.arg(QCoreApplication::applicationPid())};
    // The id may have been given to another process meanwhile; then the files stay, as they should.
    const bool endedForGood = ::kill(endedPid, 0) != 0;
    for (const QString &path : dead + living)
        writeBytes(path, "mezza copia");

    if (byCopy)
        backup::makeCopy(env.catalogPath(), backup::Kind::Daily);
    else
        backup::removeLeftovers(env.catalogPath());
    for (const QString &path : dead)
        QVERIFY2(!endedForGood || !QFileInfo::exists(path), qPrintable(path));
    for (const QString &path : living)
        QVERIFY2(QFileInfo::exists(path), qPrintable(path));
}

void tst_backup::dailyCopyOnceADay()
{
    CatalogueFolder env;
    const QString yesterday = fakeCopy(env, QDateTime::currentDateTime().addDays(-1), dailyWord);
    backup::makeCopy(env.catalogPath(), backup::Kind::BeforeDeletingRecords); // not a daily one

    const QString first = backup::makeDailyCopy(env.catalogPath());
    QVERIFY(!first.isEmpty());
    QVERIFY(nameOf(first).contains(stamp(QDateTime::currentDateTime()).left(10)));
    QCOMPARE(backup::makeDailyCopy(env.catalogPath()), QString());
    QCOMPARE(namesOfKind(env, dailyWord).size(), 2);
    QVERIFY(QFileInfo::exists(yesterday));
}

void tst_backup::failuresAreSaidInItalian()
{
    {
        CatalogueFolder env(false);
        try {
            backup::makeCopy(env.catalogPath(), backup::Kind::Daily);
            QFAIL("a copy of no catalogue");
        } catch (const db::DbError &error) {
            QCOMPARE(error.reason(),
                     QStringLiteral("Il catalogo \"%1\" non esiste: non c'è nulla da copiare.").arg(env.catalogPath()));
        }
        QVERIFY(!QFileInfo::exists(backup::folderOf(env.catalogPath())));
    }
    {
        CatalogueFolder env;
        writeBytes(backup::folderOf(env.catalogPath()), "un file al posto della cartella");
        try {
            backup::makeDailyCopy(env.catalogPath());
            QFAIL("a copy into a plain file");
        } catch (const db::DbError &error) {
            QCOMPARE(error.reason(),
                     QStringLiteral("\"%1\" esiste ma non è una cartella: le copie di sicurezza non vi "
                                    "si possono mettere.")
                         .arg(backup::folderOf(env.catalogPath())));
        }
        QCOMPARE(fileBytes(backup::folderOf(env.catalogPath())), QByteArray("un file al posto della cartella"));
    }
    {
        CatalogueFolder env(false);
        writeBytes(env.catalogPath(), "non è un database, soltanto testo");
        try {
            backup::makeCopy(env.catalogPath(), backup::Kind::Daily);
            QFAIL("a copy of a text file");
        } catch (const db::DbError &error) {
            QVERIFY2(error.reason().startsWith(QStringLiteral("La copia di sicurezza del catalogo \"%1\" non è "
                                                              "riuscita: ")
                                                   .arg(env.catalogPath())),
                     qPrintable(error.reason()));
        }
        QVERIFY(backupFiles(env).isEmpty());
    }
}

void tst_backup::newestCopyAndRestoreAdvice()
{
    CatalogueFolder env;
    QCOMPARE(backup::newestCopy(env.catalogPath()), QString());
    QCOMPARE(backup::restoreAdvice(env.catalogPath()),
             QStringLiteral("Nella cartella \"%1\" non c'è nessuna copia di sicurezza del catalogo.")
                 .arg(backup::folderOf(env.catalogPath())));

    const QDateTime old(QDate(2024, 3, 1), QTime(9, 5, 7));
    fakeCopy(env, old, dailyWord);
    const QString newer = fakeCopy(env, old.addSecs(60), deletingWord);
    fakeCopy(env, old.addSecs(60), deletingWord, 2);
    const QString numbered = backup::folderOf(env.catalogPath()) + QLatin1Char('/') + QStringLiteral("db1_")
        + stamp(old.addSecs(60)) + QLatin1Char('_') + deletingWord + QStringLiteral("_2.mdb");
    // A catalogue kept byte for byte because it failed its check is never offered.
    fakeCopy(env, old.addSecs(120), QStringLiteral("prima-del-ripristino-non-verificata"));
    QCOMPARE(backup::newestCopy(env.catalogPath()), numbered);
    QVERIFY(QFileInfo::exists(newer));
    QCOMPARE(backup::restoreAdvice(env.catalogPath()),
             QStringLiteral("La copia di sicurezza più recente è \"%1\", del 01/03/2024 09:06:07. Per rimettere questa "
                            "copia al posto del catalogo, chiudere il programma e dare il comando:\n"
                            "  crea_catalogo --ripristina \"%1\" \"%2\"")
                 .arg(numbered, env.folder()));

    const QString made = backup::makeCopy(env.catalogPath(), backup::Kind::Daily);
    QCOMPARE(backup::newestCopy(env.catalogPath()), made);
    QVERIFY(backup::restoreAdvice(env.catalogPath()).contains(QStringLiteral("--ripristina \"%1\"").arg(made)));
}

// flock locks belong to each opening of the file, so two locks taken here behave
// as those of two processes.
void tst_backup::programsShareTheLockRestoreTakesItAlone()
{
    CatalogueFolder env;
    const QString lockFile = db::CatalogueLock::lockFilePath(env.catalogPath());
    QCOMPARE(lockFile, env.folder() + QStringLiteral("/.db1.mdb.in-uso"));
    {
        const db::CatalogueLock first(env.catalogPath(), db::CatalogueLock::Shared);
        const db::CatalogueLock second(env.catalogPath(), db::CatalogueLock::Shared);
        QVERIFY(first.held());
        QVERIFY(second.held());
        const db::CatalogueLock restore(env.catalogPath(), db::CatalogueLock::Exclusive);
        QVERIFY(!restore.held());
        QVERIFY(restore.busy());
        QVERIFY(restore.problem().isEmpty());
    }
    {
        const db::CatalogueLock restore(env.catalogPath(), db::CatalogueLock::Exclusive);
        QVERIFY(restore.held());
        const db::CatalogueLock program(env.catalogPath(), db::CatalogueLock::Shared);
        QVERIFY(!program.held());
        QVERIFY(program.busy());
    }
    QVERIFY(QFileInfo::exists(lockFile)); // never removed, so that no one locks a file gone

    // A folder where the lock file cannot be made: not held, and said why.
    const db::CatalogueLock nowhere(env.folder() + QStringLiteral("/manca/db1.mdb"), db::CatalogueLock::Shared);
    QVERIFY(!nowhere.held());
    QVERIFY(!nowhere.busy());
    QVERIFY2(nowhere.problem().startsWith(QStringLiteral("Impossibile aprire il file")), qPrintable(nowhere.problem()));
}

QTEST_GUILESS_MAIN(tst_backup)
#include "tst_backup.moc"
