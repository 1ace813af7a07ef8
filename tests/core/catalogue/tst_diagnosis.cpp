// What the user is told about a catalogue that is damaged, cut short or not
// writable: said as such, with what to do (the newest backup copy and the
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

#include <QFile>
#include <QTest>

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
} // namespace

class TestDiagnosis : public QObject {
    Q_OBJECT
private slots:
    void catalogueCutShortIsDamagedAtStart();
    void damagedPageMetByAnActionNamesTheNewestCopy();
    void catalogueThatCannotBeWrittenSaysSo();
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

QTEST_MAIN(TestDiagnosis)
#include "tst_diagnosis.moc"
