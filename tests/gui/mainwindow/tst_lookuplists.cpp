// Loading one lookup table into its two lists.
#include "CatalogueRows.h"
#include "TestEnvironment.h"
#include "core/engines/DbError.h"
#include "gui/kit/WindowLayout.h"
#include "gui/mainwindow/LookupLists.h"

#include <QComboBox>
#include <QTest>

class TestLookupLists : public QObject {
    Q_OBJECT

private slots:
    void emptyTableEmptiesBothLists();
    void unreadableTableLeavesEmptyTexts();
};

void TestLookupLists::emptyTableEmptiesBothLists()
{
    TestEnvironment env;
    QComboBox frameList, entryList;
    for (QComboBox *combo : {&frameList, &entryList}) {
        windowlayout::makePickList(*combo);
        combo->addItems({QStringLiteral("vecchio"), QStringLiteral("altro")});
        combo->setEditText(QStringLiteral("scritto"));
    }
    lookups::load(env.store, lookups::List::Allocazione, frameList, entryList);
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
        windowlayout::makePickList(*combo);
        combo->addItem(QStringLiteral("vecchio"));
        combo->setEditText(QStringLiteral("scritto"));
    }
    QVERIFY_THROWS_EXCEPTION(db::DbError, lookups::load(env.store, lookups::List::Pubblicazione, frameList, entryList));
    QCOMPARE(frameList.count(), 0);
    QCOMPARE(entryList.currentText(), QString());
}

QTEST_MAIN(TestLookupLists)
#include "tst_lookuplists.moc"
