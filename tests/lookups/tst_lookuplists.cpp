// Loading one lookup table into its two lists.
#include "CatalogueRows.h"
#include "TestEnvironment.h"
#include "db/DbError.h"
#include "lookups/LookupLists.h"

#include <QComboBox>
#include <QTest>

class TestLookupLists : public QObject {
    Q_OBJECT

private slots:
    void statements_data();
    void statements();
    void emptyTableEmptiesBothLists();
    void unreadableTableLeavesEmptyTexts();
};

void TestLookupLists::statements_data()
{
    QTest::addColumn<int>("list");
    QTest::addColumn<QString>("statement");
    QTest::newRow("Chiave") << int(lookups::List::Chiave) << QStringLiteral("SELECT * FROM Chiave");
    QTest::newRow("Pubblicazione") << int(lookups::List::Pubblicazione)
                                   << QStringLiteral("SELECT * FROM Pubblicazione");
    QTest::newRow("Allocazione") << int(lookups::List::Allocazione) << QStringLiteral("SELECT * FROM Allocazione");
}

void TestLookupLists::statements()
{
    QFETCH(int, list);
    QFETCH(QString, statement);
    QCOMPARE(lookups::loadStatement(lookups::List(list)), statement);
}

void TestLookupLists::emptyTableEmptiesBothLists()
{
    TestEnvironment env;
    QComboBox frameList, entryList;
    for (QComboBox *combo : {&frameList, &entryList}) {
        lookups::prepareCombo(*combo);
        combo->addItems({QStringLiteral("vecchio"), QStringLiteral("altro")});
        combo->setEditText(QStringLiteral("scritto"));
    }
    lookups::load(env.folder(), lookups::List::Allocazione, frameList, entryList);
    QCOMPARE(frameList.count(), 0);
    QCOMPARE(entryList.count(), 0);
    QCOMPARE(frameList.currentText(), QString());
    QCOMPARE(entryList.currentText(), QString());
}

void TestLookupLists::unreadableTableLeavesEmptyTexts()
{
    TestEnvironment env;
    testdata::runSql(env, {QStringLiteral("DROP TABLE Pubblicazione")});
    QComboBox frameList, entryList;
    for (QComboBox *combo : {&frameList, &entryList}) {
        lookups::prepareCombo(*combo);
        combo->addItem(QStringLiteral("vecchio"));
        combo->setEditText(QStringLiteral("scritto"));
    }
    QVERIFY_THROWS_EXCEPTION(db::DbError,
                             lookups::load(env.folder(), lookups::List::Pubblicazione, frameList, entryList));
    QCOMPARE(frameList.count(), 0);
    QCOMPARE(entryList.currentText(), QString());
}

QTEST_MAIN(TestLookupLists)
#include "tst_lookuplists.moc"
