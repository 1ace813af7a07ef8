// What the user is told about a catalogue that is damaged, cut short, not
// writable or on a full disk: said as such, with what to do (the newest backup copy and the
// command that restores it; the permissions to give), never the advice to make
// a new catalogue; the engine's own text after it for the expert.
#include "CatalogueFolder.h"
#include "CatalogueRows.h"
#include "core/catalogue/Backup.h"
#include "core/catalogue/Catalogue.h"
#include "core/engines/DbError.h"
#include "core/catalogue/Diagnosis.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/catalogue/Store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace db;

namespace {
void addRecords(const CatalogueFolder &env, int count)
{
    QList<QVariantMap> records;
    for (int i = 0; i < count; ++i)
        records.append({{QStringLiteral("Chiave"), QStringLiteral("chiave %1").arg(i)},
                        {QStringLiteral("Note"), QString(400, QLatin1Char('n'))}});
    testdata::addRecords(env, records);
}

// Everything committed into the file itself, no log beside it.
void checkpoint(const CatalogueFolder &env)
{
    testdata::runSql(env,
                     {QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"), QStringLiteral("PRAGMA journal_mode=DELETE")});
}

void overwrite(const QString &path, qint64 at, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(at));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

void compareDamagedAdvice(const QString &message, const QString &copy)
{
    QVERIFY2(message.contains(QStringLiteral("danneggiato")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("crea_catalogo --ripristina")), qPrintable(message));
    QVERIFY2(message.contains(copy), qPrintable(message));
    QVERIFY2(!message.contains(QStringLiteral("catalogo vuoto")), qPrintable(message));
}
// A small disk of the test's own (a memory file system, mounted by root), with a
// new catalogue on it, that the test fills or makes read-only.
class SmallDisk {
public:
    SmallDisk()
    {
        const QByteArray where = QFile::encodeName(m_mountPoint.path());
        m_mounted = ::mount("tmpfs", where.constData(), "tmpfs", 0, "size=4m") == 0;
        if (m_mounted)
            createCatalogue(catalogPath());
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_mountPoint.path()).constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    QString path() const { return m_mountPoint.path(); }
    QString catalogPath() const { return m_mountPoint.filePath(QStringLiteral("db1.mdb")); }
    QStringList files() const { return QDir(path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    // Writes a file until the disk has no room left.
    void fill() const
    {
        QFile filler(m_mountPoint.filePath(QStringLiteral("riempitivo")));
        QVERIFY(filler.open(QIODevice::Append));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
    void emptyAgain() const { QVERIFY(QFile::remove(m_mountPoint.filePath(QStringLiteral("riempitivo")))); }
    bool makeReadOnly() const
    {
        return ::mount(nullptr, QFile::encodeName(path()).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QTemporaryDir m_mountPoint;
    bool m_mounted = false;
};

void verifyToldWithoutNewCatalogue(const QString &message, const QString &expected)
{
    QVERIFY2(message.contains(expected), qPrintable(message));
    QVERIFY2(!message.contains(QStringLiteral("crea_catalogo")), qPrintable(message));
    QVERIFY2(!message.contains(QStringLiteral("chmod")), qPrintable(message));
}
} // namespace

class TestDiagnosis : public QObject {
    Q_OBJECT
private slots:
    void catalogueCutShortIsDamagedAtStart();
    void damagedPageMetByAnActionNamesTheNewestCopy();
    void catalogueThatCannotBeWrittenSaysSo();
    void fullDiskIsToldAsSuch();
    void readOnlyDiskIsToldAsSuch();
};

void TestDiagnosis::catalogueCutShortIsDamagedAtStart()
{
    CatalogueFolder env;
    addRecords(env, 300);
    const QString copy = backup::makeCopy(env.catalogPath(), backup::Kind::Daily);
    checkpoint(env);
    QFile file(env.catalogPath());
    QVERIFY(file.resize(file.size() / 2)); // a copy that did not finish
    const QString message = checkCatalogue(env.catalogPath());
    compareDamagedAdvice(message, QFileInfo(copy).fileName());
}

void TestDiagnosis::damagedPageMetByAnActionNamesTheNewestCopy()
{
    CatalogueFolder env;
    addRecords(env, 300);
    const QString copy = backup::makeCopy(env.catalogPath(), backup::Kind::BeforeDeletingRecords);
    checkpoint(env);
    // A page in the middle of the records overwritten: the start-up check reads
    // only the schema and lets it pass; the action that meets it must say so.
    const QFileInfo info(env.catalogPath());
    overwrite(env.catalogPath(), info.size() / 2 / 4096 * 4096, QByteArray(4096, '\x5a'));
    try {
        const auto rows = env.store.browseRows();
        for (int row = 0; row < rows->rowCount(); ++row)
            rows->value(row, 1);
        QFAIL("a damaged page read without a word");
    } catch (const DbError &error) {
        QCOMPARE(error.kind(), DbError::Kind::Damaged);
        const QString message = failureMessage(error);
        compareDamagedAdvice(message, QFileInfo(copy).fileName());
        QVERIFY2(message.endsWith(error.reason()), "the engine's text for the expert comes last");
    }
}

void TestDiagnosis::catalogueThatCannotBeWrittenSaysSo()
{
    if (geteuid() != 0)
        QSKIP("needs root, to look at the catalogue as another user does");
    CatalogueFolder env;
    // The folder and the file readable by everyone, writable by their owner only.
    QVERIFY(chmod(QFile::encodeName(env.folder()).constData(), 0755) == 0);
    QVERIFY(chmod(QFile::encodeName(env.catalogPath()).constData(), 0644) == 0);
    constexpr uid_t nobody = 65534;
    QVERIFY(seteuid(nobody) == 0);
    const QString message = checkCatalogue(env.catalogPath());
    QVERIFY(seteuid(0) == 0);
    QVERIFY2(message.contains(QStringLiteral("non modificare")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("chmod u+w")), qPrintable(message));
    QVERIFY2(!message.contains(QStringLiteral("crea_catalogo")), qPrintable(message)); // never a new catalogue
    QCOMPARE(checkCatalogue(env.catalogPath()), QString());                            // its owner may
}

// At start the check touches nothing on a full disk; an insertion that meets it
// stores nothing and says why.
void TestDiagnosis::fullDiskIsToldAsSuch()
{
    const SmallDisk disk;
    if (!disk.mounted())
        QSKIP("needs root, to mount a small disk");
    disk.fill();
    const QStringList before = disk.files();
    const QString atStart = checkCatalogue(disk.catalogPath());
    verifyToldWithoutNewCatalogue(atStart, QStringLiteral("il disco che lo contiene è pieno"));
    QVERIFY2(atStart.contains(QStringLiteral("Sul disco restano ")), qPrintable(atStart)); // how much, and where
    QVERIFY2(atStart.contains(disk.path()), qPrintable(atStart));
    QCOMPARE(disk.files(), before);

    disk.emptyAgain();
    {
        const Store store(disk.catalogPath());
        NewRecord record;
        record.chiave = QStringLiteral("prima");
        QCOMPARE(store.addRecord(record, 1), qint64(1));
        disk.fill();
        try {
            record.note = QString(200000, QLatin1Char('a'));
            store.addRecord(record, 2);
            QFAIL("an insertion on a full disk reported as done");
        } catch (const DbError &error) {
            QCOMPARE(error.kind(), DbError::Kind::DiskFull);
            verifyToldWithoutNewCatalogue(failureMessage(error), QStringLiteral("lo spazio sul disco"));
        }
    }
    disk.emptyAgain();
    QCOMPARE(Store(disk.catalogPath()).recordCount(), qint64(1));
}

// A catalogue on a disk mounted read-only: no permission would help.
void TestDiagnosis::readOnlyDiskIsToldAsSuch()
{
    const SmallDisk disk;
    if (!disk.mounted())
        QSKIP("needs root, to mount a small disk");
    QVERIFY(disk.makeReadOnly());
    const QString message = checkCatalogue(disk.catalogPath());
    verifyToldWithoutNewCatalogue(message, QStringLiteral("in sola lettura: \"%1\"").arg(disk.path()));
}

QTEST_MAIN(TestDiagnosis)
#include "tst_diagnosis.moc"
