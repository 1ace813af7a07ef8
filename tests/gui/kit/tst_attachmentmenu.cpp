// A grid row whose notes name attachments offers them in its context menu, in
// the search window and in the browse window; choosing one opens that file of
// the attachment folder, and a file the desktop cannot open is told.
#include "CatalogueRows.h"
#include "GuiTest.h"
#include "TestEnvironment.h"
#include "core/catalogue/AttachmentNotes.h"
#include "gui/Windows.h"
#include "gui/browse/BrowseWindow.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/search/SearchWindow.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>

namespace {
// The context menu the grid opens on `row`; nullptr when it opens none.
QMenu *contextMenuOn(QTableView &grid, int row)
{
    grid.scrollTo(grid.model()->index(row, 0));
    const QPoint at = grid.visualRect(grid.model()->index(row, 0)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, grid.viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid.viewport(), &event);
    QMenu *menu = grid.findChild<QMenu *>(QStringLiteral("menuAllegati"));
    if (menu)
        menu->setObjectName(QString()); // the next one is found anew
    return menu;
}

QStringList texts(const QMenu *menu)
{
    QStringList result;
    for (const QAction *action : menu->actions())
        result.append(action->text());
    return result;
}
} // namespace

class TestAttachmentMenu : public QObject {
    Q_OBJECT
private slots:
    void notesNameTheAttachments_data();
    void notesNameTheAttachments();
    void gridRowsOfferTheirAttachments_data();
    void gridRowsOfferTheirAttachments();
};

void TestAttachmentMenu::notesNameTheAttachments_data()
{
    QTest::addColumn<QString>("notes");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("none") << QStringLiteral("una nota") << QStringList();
    QTest::newRow("as the scanner writes them")
        << QString(QStringLiteral("nota") + attachments::notesLine(QStringLiteral("a.pdf"))
                   + attachments::notesLine(QStringLiteral("Scansione_2026-12-09_10-00-00.pdf")))
        << QStringList{QStringLiteral("a.pdf"), QStringLiteral("Scansione_2026-12-09_10-00-00.pdf")};
    QTest::newRow("windows line ends, blanks, twice")
        << QStringLiteral("Allegato:-contratto 2009.pdf \r\nAllegato:-\r\nAllegato:-contratto 2009.pdf")
        << QStringList{QStringLiteral("contratto 2009.pdf")};
    QTest::newRow("only at the start of a line") << QStringLiteral("vedi Allegato:-x.pdf") << QStringList();
}

void TestAttachmentMenu::notesNameTheAttachments()
{
    QFETCH(QString, notes);
    QFETCH(QStringList, names);
    QCOMPARE(attachments::namedIn(notes), names);
}

void TestAttachmentMenu::gridRowsOfferTheirAttachments_data()
{
    QTest::addColumn<bool>("search");
    QTest::newRow("search window") << true;
    QTest::newRow("browse window") << false;
}

void TestAttachmentMenu::gridRowsOfferTheirAttachments()
{
    QFETCH(bool, search);
    TestEnvironment env;
    testdata::addRecords(env, {{{QStringLiteral("Chiave"), QStringLiteral("senza")}},
                               {{QStringLiteral("Chiave"), QStringLiteral("con")},
                                {QStringLiteral("Note"), QStringLiteral("Allegato:-a.pdf\nAllegato:-b.pdf")}}});
    Windows windows(env.context);
    QWidget *window = &windows.searchWindow();
    if (!search) {
        Ui(windows.mainWindow()).click(u"Command20");
        window = windows.loadedBrowseWindow();
        Ui(*window).trigger(u"Visualizza");
    }
    window->show();
    QTableView *grid = Ui(*window).grid(search ? u"dgCustomers" : u"DataGrid1");

    QVERIFY(!contextMenuOn(*grid, 0));
    QMenu *menu = contextMenuOn(*grid, 1);
    QVERIFY(menu);
    QCOMPARE(texts(menu), (QStringList{QStringLiteral("Apri allegato a.pdf"), QStringLiteral("Apri allegato b.pdf")}));
    menu->actions().at(1)->trigger();
    QCOMPARE(env.shell.openedFiles, QStringList{env.context.attachmentFolder() + QStringLiteral("/b.pdf")});
    QCOMPARE(env.dialogs.shown.size(), 0);

    env.shell.refusal = QStringLiteral("Il file \"a.pdf\" non c'è: forse è stato spostato, rinominato o eliminato.");
    env.dialogs.answerButton(QMessageBox::Ok);
    contextMenuOn(*grid, 1)->actions().at(0)->trigger();
    QVERIFY_BOX(env.dialogs.last(), .icon = QMessageBox::Warning, .text = env.shell.refusal);
}

QTEST_MAIN(TestAttachmentMenu)
#include "tst_attachmentmenu.moc"
