// The guard around user actions, and the clock's texts.
#include "ScriptedDialogs.h"
#include "core/settings/SystemFormats.h"
#include "gui/kit/Texts.h"
#include "core/engines/DbError.h"
#include "gui/kit/Guard.h"

#include <QTest>

class TestGuard : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }
    void actionThatSucceedsShowsNothing();
    void engineFailureIsShownWithItsReason();
    void clockCaption_data();
    void clockCaption();
};

void TestGuard::actionThatSucceedsShowsNothing()
{
    ScriptedDialogs dialogs;
    int runs = 0;
    QVERIFY(guarded(nullptr, dialogs, [&] { ++runs; }));
    QCOMPARE(runs, 1);
    QCOMPARE(dialogs.shown.size(), 0);
}

void TestGuard::engineFailureIsShownWithItsReason()
{
    ScriptedDialogs dialogs;
    bool finished = false;
    QVERIFY(!guarded(nullptr, dialogs, [&] {
        throw db::DbError(QStringLiteral("no such table: Chiave"));
        finished = true;
    }));
    QVERIFY(!finished);
    QCOMPARE(dialogs.shown.size(), 1);
    QVERIFY(dialogs.last().text.contains(QStringLiteral("no such table: Chiave")));
    QVERIFY(dialogs.last().text.contains(QStringLiteral("non è stata eseguita")));
    QCOMPARE(dialogs.last().title, texts::applicationTitle());
    QCOMPARE(dialogs.last().icon, QMessageBox::Critical);
    QCOMPARE(dialogs.last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

void TestGuard::clockCaption_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("caption");
    QTest::newRow("morning") << QDateTime(QDate(2009, 4, 25), QTime(9, 5, 3))
                             << QStringLiteral("Ore...09:05:03    25/04/2009");
    QTest::newRow("evening") << QDateTime(QDate(2010, 12, 1), QTime(23, 59, 59))
                             << QStringLiteral("Ore...23:59:59    01/12/2010");
}

void TestGuard::clockCaption()
{
    QFETCH(QDateTime, now);
    QFETCH(QString, caption);
    QCOMPARE(formats::clockCaption(now), caption);
}

QTEST_MAIN(TestGuard)
#include "tst_guard.moc"
