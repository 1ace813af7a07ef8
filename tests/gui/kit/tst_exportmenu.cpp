// "Esporta" of the search window (its result, in its order) and of the browse
// window (the whole catalogue, a change the grid holds stored first): the file
// the user names holds exactly those records.
#include "CatalogueRows.h"
#include "GuiTest.h"
#include "OfficeReader.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "gui/Windows.h"
#include "gui/browse/BrowseWindow.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/search/SearchWindow.h"

#include <QStandardPaths>
#include <QTest>

namespace {
// The IDs of a text file's records, its heading left out.
QStringList exportedIds(const QString &path)
{
    QString text = QString::fromUtf8(testdata::fileBytes(path));
    text.remove(0, 1); // the byte-order mark
    QStringList ids;
    for (const QStringList &row : testdata::parseCsv(text).mid(1))
        ids.append(row.value(0));
    return ids;
}
} // namespace

class TestExportMenu : public QObject {
    Q_OBJECT
private slots:
    void exportsWhatTheWindowShows_data();
    void exportsWhatTheWindowShows();
};

void TestExportMenu::exportsWhatTheWindowShows_data()
{
    QTest::addColumn<bool>("search");
    QTest::addColumn<QString>("action");
    QTest::newRow("search result, text file") << true << QStringLiteral("EsportaFileDiTesto");
    QTest::newRow("search result, spreadsheet") << true << QStringLiteral("EsportaFoglioDiCalcolo");
    QTest::newRow("whole catalogue, text file") << false << QStringLiteral("EsportaFileDiTesto");
}

void TestExportMenu::exportsWhatTheWindowShows()
{
    QFETCH(bool, search);
    QFETCH(QString, action);
    TestEnvironment env;
    QList<QVariantMap> records;
    for (const char *key : {"arte", "storia", "arte moderna", "fisica"})
        records.append({{QStringLiteral("Chiave"), QString::fromLatin1(key)}});
    testdata::addRecords(env, records);
    Windows windows(env.context);
    const bool spreadsheet = action == QLatin1String("EsportaFoglioDiCalcolo");
    const QString path = env.filePath(spreadsheet ? QStringLiteral("uscita.ods") : QStringLiteral("uscita.csv"));
    QStringList expected;
    QWidget *window = nullptr;
    if (search) {
        window = &windows.searchWindow();
        env.dialogs.answerInput(QStringLiteral("arte"));
        env.dialogs.answerButton(QMessageBox::No);
        Ui(*window).trigger(u"Chiave");
        expected = {QStringLiteral("1"), QStringLiteral("3")};
    } else {
        Ui(windows.mainWindow()).click(u"Command20");
        window = windows.loadedBrowseWindow();
        expected = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")};
    }
    env.dialogs.clear();
    env.dialogs.answerFile(path.chopped(4)); // the extension is added when the user leaves it out
    env.dialogs.answerButton(QMessageBox::Ok);
    Ui(*window).trigger(action);

    QCOMPARE(env.dialogs.shown.size(), 2);
    const ShownBox &dialog = env.dialogs.shown.first();
    QCOMPARE(dialog.kind, ShownBox::SaveFile);
    QVERIFY(dialog.defaultText.endsWith((search ? QStringLiteral("/ricerca") : QStringLiteral("/catalogo"))
                                        + (spreadsheet ? QStringLiteral(".ods") : QStringLiteral(".csv"))));
    QVERIFY_BOX(env.dialogs.last(), .icon = QMessageBox::Information,
                .text = QStringLiteral("%1 registrazioni esportate nel file \"%2\".").arg(expected.size()).arg(path));
    if (spreadsheet) {
        if (!testdata::officeAvailable())
            QSKIP("LibreOffice (soffice) non è installato");
        QStringList ids;
        for (const QStringList &row : testdata::readWithOffice(path).mid(1))
            ids.append(row.value(0));
        QCOMPARE(ids, expected);
    } else {
        QCOMPARE(exportedIds(path), expected);
    }
}

QTEST_MAIN(TestExportMenu)
#include "tst_exportmenu.moc"
