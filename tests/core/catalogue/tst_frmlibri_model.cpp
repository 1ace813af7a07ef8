// The browse grid's model against a real catalogue: changes, new records and
// deletions reach Tabella exactly; the counter column cannot be typed into; a
// change never lands silently on a row another workstation changed meanwhile.
#include "CatalogueFolder.h"
#include "CatalogueRows.h"
#include "core/catalogue/TabellaEditModel.h"
#include "core/engines/Engine.h"
#include "core/engines/DbError.h"
#include "core/catalogue/QueryRowSource.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace db;
using browse::TabellaEditModel;

namespace {
// One record per key, Argomento "arg <key>".
void addRecords(const CatalogueFolder &env, const QStringList &keys)
{
    QList<QVariantMap> records;
    for (const QString &key : keys)
        records.append(
            {{QStringLiteral("Chiave"), key}, {QStringLiteral("Argomento"), QString(QStringLiteral("arg ") + key)}});
    testdata::addRecords(env, records);
}

using testdata::storedField;

std::shared_ptr<QueryRowSource> liveRows(const CatalogueFolder &env)
{
    return env.store.browseRows();
}

// The model on the catalogue's current rows, every one arrived, open for editing.
void editLiveRows(TabellaEditModel &model, const CatalogueFolder &env)
{
    model.setRows(liveRows(env));
    model.source()->readAll();
    model.setEditable(true);
}

using testdata::columnOf;
} // namespace

class TestFrmlibriModel : public QObject {
    Q_OBJECT
private slots:
    void passesTheModelTesterWhileEditing()
    {
        CatalogueFolder env;
        addRecords(env, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        TabellaEditModel model(env.store);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        editLiveRows(model, env);
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(model.newRow(), 3);
        QVERIFY(model.setData(model.index(3, 1), QStringLiteral("nuova")));
        model.storePendingEdit();
        model.deleteRows({0});
        model.setEditable(false);
        QCOMPARE(model.rowCount(), 3);
    }

    void onlyTheCounterIsReadOnly()
    {
        CatalogueFolder env;
        addRecords(env, {QStringLiteral("a")});
        TabellaEditModel model(env.store);
        model.setRows(liveRows(env));
        QVERIFY(!(model.flags(model.index(0, 1)) & Qt::ItemIsEditable));
        model.setEditable(true);
        for (int c = 0; c < model.columnCount(); ++c) {
            const bool editable = model.flags(model.index(0, c)) & Qt::ItemIsEditable;
            QCOMPARE(editable, model.headerData(c, Qt::Horizontal).toString() != QStringLiteral("ID"));
        }
        QVERIFY(!(model.flags(model.index(model.newRow(), 0)) & Qt::ItemIsEditable));
        QVERIFY(!model.setData(model.index(0, 0), 99));
        QVERIFY(!model.hasPendingEdit());
        QCOMPARE(storedField(env, QStringLiteral("ID")), QStringList{QStringLiteral("1")});
    }

    // A change stays in the grid until it is stored, then reaches the table as typed.
    void changeIsStoredWhenAsked_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::newRow("subject") << QStringLiteral("Argomento") << QStringLiteral("nuovo argomento");
        QTest::newRow("apostrophe") << QStringLiteral("Testo") << QStringLiteral("l'O'Brien'; DROP TABLE Tabella; --");
        QTest::newRow("accents") << QStringLiteral("Chiave") << QStringLiteral("CITTÀ perché");
        QTest::newRow("degree sign field") << QStringLiteral("N\u00B0") << QStringLiteral("12");
        QTest::newRow("emptied") << QStringLiteral("Chiave") << QString();
    }
    void changeIsStoredWhenAsked()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        CatalogueFolder env;
        addRecords(env, {QStringLiteral("a"), QStringLiteral("b")});
        TabellaEditModel model(env.store);
        editLiveRows(model, env);
        QSignalSpy started(&model, &TabellaEditModel::rowChangeStarted);
        QSignalSpy written(&model, &TabellaEditModel::rowStored);
        const QModelIndex cell = model.index(1, columnOf(model, field));
        QVERIFY(model.setData(cell, typed));
        QVERIFY(model.setData(model.index(1, columnOf(model, QStringLiteral("Note"))), QStringLiteral("n")));
        QCOMPARE(started.count(), 1);
        QCOMPARE(model.pendingRow(), 1);
        const QStringList before = storedField(env, field);
        QCOMPARE(model.data(cell).toString(), typed);
        QVERIFY(!model.setData(model.index(0, 1), QStringLiteral("another row")));

        model.storePendingEdit();
        QVERIFY(!model.hasPendingEdit());
        QCOMPARE(written.count(), 1);
        QCOMPARE(storedField(env, field).at(1), typed);
        QCOMPARE(storedField(env, QStringLiteral("Note")).at(1), QStringLiteral("n"));
        QCOMPARE(storedField(env, field).at(0), before.at(0));
        QVERIFY(before.at(1) != typed);
        QCOMPARE(model.data(cell).toString(), typed);
    }

    void editorLeftUnchangedChangesNothing()
    {
        CatalogueFolder env;
        addRecords(env, {QStringLiteral("a")});
        TabellaEditModel model(env.store);
        editLiveRows(model, env);
        QVERIFY(model.setData(model.index(0, 1), QStringLiteral("a")));
        QVERIFY(model.setData(model.index(1, 1), QString()));
        QVERIFY(!model.hasPendingEdit());
    }

    void newRowAddsARecord()
    {
        CatalogueFolder env;
        addRecords(env, {QStringLiteral("a")});
        TabellaEditModel model(env.store);
        editLiveRows(model, env);
        QCOMPARE(model.headerData(1, Qt::Vertical).toString(), QStringLiteral("*"));
        QVERIFY(model.setData(model.index(1, columnOf(model, QStringLiteral("Chiave"))), QStringLiteral("nuova")));
        QVERIFY(model.setData(model.index(1, columnOf(model, QStringLiteral("Pag"))), QStringLiteral("7")));
        QCOMPARE(storedField(env, QStringLiteral("Chiave")).size(), 1);
        model.storePendingEdit();
        QCOMPARE(storedField(env, QStringLiteral("Chiave")),
                 (QStringList{QStringLiteral("a"), QStringLiteral("nuova")}));
        QCOMPARE(storedField(env, QStringLiteral("Pag")).at(1), QStringLiteral("7"));
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.newRow(), 2);
        QCOMPARE(model.data(model.index(1, 0)).toString(), QStringLiteral("2"));
        QCOMPARE(model.data(model.index(1, 1)).toString(), QStringLiteral("nuova"));
        QCOMPARE(model.data(model.index(2, 1)), QVariant());
    }

    void deletesRows()
    {
        CatalogueFolder env;
        addRecords(env, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")});
        TabellaEditModel model(env.store);
        editLiveRows(model, env);
        model.deleteRows({2, 0, 4, 2}); // row 4 is the new row: ignored
        QCOMPARE(storedField(env, QStringLiteral("Chiave")), (QStringList{QStringLiteral("b"), QStringLiteral("d")}));
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("b"));
        QCOMPARE(model.data(model.index(1, 1)).toString(), QStringLiteral("d"));
    }

    // Deleting the changed row drops its change; deleting another row stores it first.
    void deletionAndAPendingChange()
    {
        CatalogueFolder env;
        addRecords(env, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        TabellaEditModel model(env.store);
        editLiveRows(model, env);
        QVERIFY(model.setData(model.index(1, 1), QStringLiteral("B")));
        model.deleteRows({1});
        QVERIFY(!model.hasPendingEdit());
        QCOMPARE(storedField(env, QStringLiteral("Chiave")), (QStringList{QStringLiteral("a"), QStringLiteral("c")}));
        QVERIFY(model.setData(model.index(1, 1), QStringLiteral("C")));
        model.deleteRows({0});
        QCOMPARE(storedField(env, QStringLiteral("Chiave")), QStringList{QStringLiteral("C")});
        QCOMPARE(model.rowCount(), 2);
    }

    void deletingManyRowsReadsTheRowsAgain()
    {
        CatalogueFolder env;
        QStringList keys;
        for (int i = 0; i < 5000; ++i)
            keys.append(QString::number(i));
        addRecords(env, keys);
        TabellaEditModel model(env.store);
        editLiveRows(model, env);
        // A few rows go one by one, the others show the rows that stay.
        model.deleteRows({4999, 2500, 10});
        QStringList shown;
        for (int row = 0; row < model.newRow(); ++row)
            shown.append(model.data(model.index(row, 1)).toString());
        QCOMPARE(shown, storedField(env, QStringLiteral("Chiave")));
        QList<int> rows;
        for (int i = 0; i < 4996; ++i)
            rows.append(i);
        model.deleteRows(rows);
        QCOMPARE(storedField(env, QStringLiteral("Chiave")), QStringList{QStringLiteral("4998")});
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("4998"));
        QVERIFY(model.isEditable());
    }

    // A row deleted meanwhile by another window: the failure is reported and the
    // change is kept, so that nothing typed disappears silently.
    void storingARowDeletedMeanwhileFails()
    {
        CatalogueFolder env;
        addRecords(env, {QStringLiteral("a"), QStringLiteral("b")});
        TabellaEditModel model(env.store);
        editLiveRows(model, env);
        QVERIFY(model.setData(model.index(0, 1), QStringLiteral("A")));
        testdata::runSql(env, {QStringLiteral("DELETE FROM Tabella WHERE ID = 1")});
        QVERIFY_THROWS_EXCEPTION(Refusal, model.storePendingEdit());
        QVERIFY(model.hasPendingEdit());
        QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("A"));
        QCOMPARE(storedField(env, QStringLiteral("Chiave")), QStringList{QStringLiteral("b")});
        model.discardPendingEdit();
        QVERIFY(!model.hasPendingEdit());
    }

    // Another workstation changes the row while it is being changed here: refused
    // and kept, then stored over it when asked; the grid shows the row as stored.
    void rowChangedMeanwhileIsRefusedThenOverwritten()
    {
        CatalogueFolder env;
        addRecords(env, {QStringLiteral("a"), QStringLiteral("b")});
        TabellaEditModel model(env.store);
        editLiveRows(model, env);
        const int chiave = columnOf(model, QStringLiteral("Chiave"));
        const int argomento = columnOf(model, QStringLiteral("Argomento"));
        QVERIFY(model.setData(model.index(0, chiave), QStringLiteral("mia")));
        testdata::runSql(env, {QStringLiteral("UPDATE Tabella SET Argomento = 'altrui' WHERE ID = 1")});
        QSignalSpy written(&model, &TabellaEditModel::rowStored);

        QVERIFY_THROWS_EXCEPTION(RecordChanged, model.storePendingEdit());
        QCOMPARE(model.pendingRow(), 0);
        QCOMPARE(model.data(model.index(0, chiave)).toString(), QStringLiteral("mia"));
        QCOMPARE(storedField(env, QStringLiteral("Chiave")), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
        QCOMPARE(written.count(), 0);

        model.storePendingEdit(TabellaEditModel::IfChangedMeanwhile::Overwrite);
        QVERIFY(!model.hasPendingEdit());
        QCOMPARE(written.count(), 1);
        QCOMPARE(storedField(env, QStringLiteral("Chiave")), (QStringList{QStringLiteral("mia"), QStringLiteral("b")}));
        QCOMPARE(model.data(model.index(0, argomento)).toString(), QStringLiteral("altrui"));
    }

    // Dropping the change shows what the other workstation stored.
    void droppedChangeShowsTheRowAsStoredNow()
    {
        CatalogueFolder env;
        addRecords(env, {QStringLiteral("a")});
        TabellaEditModel model(env.store);
        editLiveRows(model, env);
        QVERIFY(model.setData(model.index(0, 1), QStringLiteral("mia")));
        testdata::runSql(env, {QStringLiteral("UPDATE Tabella SET Chiave = 'altrui'")});
        QVERIFY_THROWS_EXCEPTION(RecordChanged, model.storePendingEdit());
        model.discardPendingEdit();
        QVERIFY(!model.hasPendingEdit());
        QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("altrui"));
        QCOMPARE(storedField(env, QStringLiteral("Chiave")), QStringList{QStringLiteral("altrui")});
    }

    // The row as compared is the row as it was when the change began: the grid's
    // own earlier change of it, and other rows changed elsewhere, stop nothing.
    void ownEarlierChangeAndOtherRowsAreNoConflict()
    {
        CatalogueFolder env;
        addRecords(env, {QStringLiteral("a"), QStringLiteral("b")});
        TabellaEditModel model(env.store);
        editLiveRows(model, env);
        QVERIFY(model.setData(model.index(0, 1), QStringLiteral("prima")));
        model.storePendingEdit();
        testdata::runSql(env, {QStringLiteral("UPDATE Tabella SET Argomento = 'altrui' WHERE ID = 2")});
        QVERIFY(model.setData(model.index(0, 1), QStringLiteral("seconda")));
        model.storePendingEdit();
        QCOMPARE(storedField(env, QStringLiteral("Chiave")),
                 (QStringList{QStringLiteral("seconda"), QStringLiteral("b")}));
        QCOMPARE(storedField(env, QStringLiteral("Argomento")),
                 (QStringList{QStringLiteral("arg a"), QStringLiteral("altrui")}));
    }

    void notEditableDropsTheNewRowAndAnyChange()
    {
        CatalogueFolder env;
        addRecords(env, {QStringLiteral("a")});
        TabellaEditModel model(env.store);
        editLiveRows(model, env);
        QVERIFY(model.setData(model.index(0, 1), QStringLiteral("x")));
        model.setEditable(false);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.newRow(), -1);
        QVERIFY(!model.hasPendingEdit());
        model.deleteRows({0});
        QCOMPARE(storedField(env, QStringLiteral("Chiave")), QStringList{QStringLiteral("a")});
    }
};

QTEST_MAIN(TestFrmlibriModel)
#include "tst_frmlibri_model.moc"
