// The start-up check of the search index, with the main window on screen.
#include "CatalogueRows.h"
#include "gui/startup/Startup.h"
#include "gui/kit/Texts.h"
#include "core/engines/Engine.h"
#include "core/engines/FileSearchIndex.h"

#include <QAbstractButton>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>

namespace {

// What the user sees of the progress window while the check runs.
struct Seen {
    QString label, title;
    Qt::WindowModality modality = Qt::NonModal;
    bool cancellable = true;
};

// Runs the check and notes the progress window each time events are processed.
QList<Seen> checkWatchingProgress(const CatalogueFolder &env, QWidget &main, int showAfterMs)
{
    QList<Seen> seen;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const auto *dialog = main.findChild<QProgressDialog *>(QStringLiteral("avanzamentoIndice"));
        if (dialog && dialog->isVisible())
            seen.append({dialog->labelText(), dialog->windowTitle(), dialog->windowModality(),
                         !dialog->findChildren<QAbstractButton *>().isEmpty()});
    });
    probe.start();
    startup::checkSearchIndex(env.store, &main, showAfterMs);
    return seen;
}

db::IndexState indexState(const CatalogueFolder &env)
{
    return db::searchIndexState(db::connect(env.catalogPath())->database());
}

} // namespace

class TestIndexCheck : public QObject {
    Q_OBJECT

private slots:
    void longRebuildShowsItsProgressOverTheMainWindow()
    {
        CatalogueFolder env;
        testdata::runSql(env,
                         {QStringLiteral("DROP TRIGGER Tabella_modifiche_aggiunta"),
                          QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n"
                                         " WHERE i < 20000) INSERT INTO Tabella (Chiave) SELECT 'voce ' || i FROM n")});
        QWidget main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        const QList<Seen> seen = checkWatchingProgress(env, main, 0);
        QVERIFY(!seen.isEmpty());
        QCOMPARE(seen.first().label, QStringLiteral("Aggiornamento dell'indice di ricerca del catalogo in corso..."));
        QCOMPARE(seen.first().title, texts::applicationTitle());
        QCOMPARE(seen.first().modality, Qt::WindowModal);
        QVERIFY(!seen.first().cancellable);
        QVERIFY(!main.findChild<QProgressDialog *>()); // gone when the work is done
        QCOMPARE(indexState(env), db::IndexState::UpToDate);
    }

    void quickCheckShowsNothing()
    {
        CatalogueFolder env;
        testdata::addRecord(env, {{QStringLiteral("Chiave"), QStringLiteral("città")}});
        QWidget main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QVERIFY(checkWatchingProgress(env, main, 500).isEmpty());
        QCOMPARE(indexState(env), db::IndexState::UpToDate);
    }

    // A catalogue that cannot be written now: the program starts all the same.
    void checkThatCannotRunIsLetGo()
    {
        CatalogueFolder env;
        testdata::runSql(env, {QStringLiteral("DROP TRIGGER Tabella_modifiche_aggiunta")});
        const auto writer = db::connect(env.catalogPath());
        writer->beginChange();
        QWidget main;
        startup::checkSearchIndex(env.store, &main, 0);
        writer->rollback();
        QCOMPARE(indexState(env), db::IndexState::Missing);
    }
};

QTEST_MAIN(TestIndexCheck)
#include "tst_indexcheck.moc"
