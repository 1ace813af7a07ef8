// Backup copies in front of the user: the day's copy at start (made once a day, a
// failure told in a warning), and the progress window that a long copy shows.
#include "CatalogueFiles.h"
#include "CatalogueRows.h"
#include "ScriptedDialogs.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "gui/kit/Texts.h"
#include "core/catalogue/Backup.h"
#include "gui/kit/BackupCopies.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>

using namespace testdata;

class tst_BackupCopies : public QObject {
    Q_OBJECT

private slots:
    void dailyCopyAtStartOnceADay();
    void failedDailyCopyIsToldAndTheProgramGoesOn();
    void longCopyShowsItsProgress();
    void shortCopyShowsNothing();
};

void tst_BackupCopies::dailyCopyAtStartOnceADay()
{
    TestEnvironment env;
    addRecord(env, {{QStringLiteral("Chiave"), QStringLiteral("oggi")}});
    backupcopies::makeDailyCopy(env.catalogPath(), env.dialogs);
    backupcopies::makeDailyCopy(env.catalogPath(), env.dialogs);
    QVERIFY(env.dialogs.shown.isEmpty());
    const QList<backup::Copy> copies = backup::copies(env.catalogPath());
    QCOMPARE(copies.size(), 1);
    QCOMPARE(copies[0].kind, backup::Kind::Daily);
    QCOMPARE(keywordsOf(copies[0].path), QStringList{QStringLiteral("oggi")});
}

void tst_BackupCopies::failedDailyCopyIsToldAndTheProgramGoesOn()
{
    TestEnvironment env;
    writeBytes(env.filePath(QStringLiteral("Backup")), "un file");
    env.dialogs.answerButton(QMessageBox::Ok);
    backupcopies::makeDailyCopy(env.catalogPath(), env.dialogs);
    QCOMPARE(env.dialogs.shown.size(), 1);
    const ShownBox &box = env.dialogs.last();
    QCOMPARE(box.text,
             QStringLiteral("Non è stato possibile fare la copia di sicurezza giornaliera del catalogo.\n"
                            "\"%1\" esiste ma non è una cartella: le copie di sicurezza non vi si possono "
                            "mettere.\n\nIl programma continua senza la copia di oggi.")
                 .arg(env.filePath(QStringLiteral("Backup"))));
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.title, texts::applicationTitle());
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(env.dialogs.unexpected, 0);
}

// A copy that promises to last more than half a second shows its window, which
// goes when the copy ends; it has no Cancel button.
void tst_BackupCopies::longCopyShowsItsProgress()
{
    backupcopies::CopyProgress progress(nullptr);
    const backup::Progress step = progress.callback();
    QProgressDialog *dialog = progress.dialog();
    QCOMPARE(dialog->objectName(), QStringLiteral("CopiaDiSicurezza"));
    step(0, 4000);
    QVERIFY(!dialog->isVisible());
    QTest::qWait(120);
    step(100, 4000); // a fortieth in 120 ms: about five seconds in all
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), texts::applicationTitle());
    QCOMPARE(dialog->findChild<QLabel *>()->text(), QStringLiteral("Copia di sicurezza del catalogo in corso…"));
    QCOMPARE(dialog->findChild<QProgressBar *>()->value(), 2);
    QVERIFY(dialog->findChildren<QPushButton *>().isEmpty());
    QVERIFY(!(dialog->windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(dialog->isModal());
    step(2000, 4000);
    QCOMPARE(dialog->value(), 50);
    step(4000, 4000);
    QVERIFY(!dialog->isVisible());
}

void tst_BackupCopies::shortCopyShowsNothing()
{
    TestEnvironment env;
    addLongRecords(env, 200, 1000);
    backupcopies::CopyProgress progress(nullptr);
    backup::makeCopy(env.catalogPath(), backup::Kind::BeforeDeletingRecords, progress.callback());
    QVERIFY(!progress.dialog()->isVisible());
    QApplication::processEvents();
    QVERIFY(!progress.dialog()->isVisible());
    QCOMPARE(backup::copies(env.catalogPath()).size(), 1);
}

QTEST_MAIN(tst_BackupCopies)
#include "tst_BackupCopies.moc"
