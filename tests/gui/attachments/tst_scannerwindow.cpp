// The scanner window driven as a user does, scanning for real from SANE's "test"
// backend: the name rules, the written file, the notes line and the multipage loop.
#include "GuiTest.h"
#include "SaneTestDevice.h"
#include "TestEnvironment.h"
#include "core/scanning/Twain.h"
#include "core/settings/Twips.h"
#include "gui/Windows.h"
#include "gui/attachments/AttachmentWindow.h"
#include "gui/attachments/ScannerWindow.h"
#include "gui/kit/Texts.h"
#include "gui/mainwindow/MainWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {
const QString title = QStringLiteral(" Rudozuzurivaz versione 1");
const QString prompt = QStringLiteral("Digita il nome del documento, l'estensione del file è : NomeAllegato.pdf");
const QString noName = QStringLiteral("Non Hai Inserito il nome del File ");
const QString initialNotes = QStringLiteral("Nota iniziale");

// The main window on its entry screen with some notes, and the scanner window opened from it.
Ui openScanner(Windows &windows)
{
    const Ui main(windows.mainWindow());
    main.checkBox(u"Check5")->setChecked(true);
    main.textArea(u"Text9")->setPlainText(initialNotes);
    main.click(u"Command5");
    Q_ASSERT(windows.loadedScannerWindow());
    return Ui(*windows.loadedScannerWindow());
}

// Opens the scanner window and scans to the name `typed`, answering the question.
Ui scanNamed(TestEnvironment &env, Windows &windows, const QString &typed)
{
    const Ui scanner = openScanner(windows);
    env.dialogs.answerInput(typed);
    env.dialogs.answerButton(QMessageBox::Ok);
    scanner.click(u"Command1");
    return scanner;
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

void comparePdf(const QString &path, int pages)
{
    const PdfInfo info = PdfInfo::of(path);
    QCOMPARE(info.pages, pages);
    const QSizeF expected = SaneTestDevice::areaMillimetres() * (72.0 / 25.4);
    QVERIFY(qAbs(info.pageSizePoints.width() - expected.width()) < 1.0);
    QVERIFY(qAbs(info.pageSizePoints.height() - expected.height()) < 1.0);
}

QString notesOf(Windows &windows)
{
    return Ui(windows.mainWindow()).textArea(u"Text9")->toPlainText();
}

// A refused or abandoned scan: no file, the notes as they were, the window still open.
void verifyNothingScanned(const TestEnvironment &env, Windows &windows, const Ui &scanner)
{
    QVERIFY(filesIn(env.context.attachmentFolder()).isEmpty());
    QCOMPARE(notesOf(windows), initialNotes);
    QVERIFY(scanner.window.isVisible());
}
} // namespace

class TestScannerWindow : public QObject {
    Q_OBJECT
    SaneTestDevice m_sane;

private slots:
    void init() { m_sane.reset(); }

    void tabOrderFollowsTheControlsAsMade();

    // "&Scanner"
    void noNameIsRefused_data();
    void noNameIsRefused();
    void shortNameDoesNothing_data();
    void shortNameDoesNothing();
    void nameOutsideTheFolderIsRefused_data();
    void nameOutsideTheFolderIsRefused();
    void scanWritesTheFileAndNotesIt_data();
    void scanWritesTheFileAndNotesIt();
    void twoScansAddTwoNotesLines();
    void scannedDocumentOpensFromTheAttachmentWindow();
    void existingFileIsReplacedOnlyWhenAgreed_data();
    void existingFileIsReplacedOnlyWhenAgreed();
    void failedScanLeavesTheNotesAlone();
    void withoutScannerNothingIsNoted();

    // "Seleziona  Scanner"
    void chosenScannerIsUsedFromThenOn();

    // "&Scanner Multipage"
    void multipage_data();
    void multipage();
    void multipageWithoutTheFolderScansNothing();
    void multipageWithoutScannerEndsSilently();
};

// The place, size, captions and colours are in the layout file (tst_layouts).
void TestScannerWindow::tabOrderFollowsTheControlsAsMade()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui scanner = openScanner(windows);
    QVERIFY(scanner.window.isVisible());
    const QList<QWidget *> tabOrder
        = {scanner.button(u"Command2"), scanner.button(u"Command1"), scanner.lineEdit(u"Text1"),
           scanner.label(u"Picture1"), scanner.button(u"FBMultipage")};
    for (qsizetype i = 0; i + 1 < tabOrder.size(); ++i)
        QCOMPARE(tabOrder.at(i)->nextInFocusChain(), tabOrder.at(i + 1));
}

void TestScannerWindow::noNameIsRefused_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("typed");
    QTest::newRow("cancelled") << true << QString();
    QTest::newRow("empty") << false << QString();
    QTest::newRow("the default .pdf") << false << QStringLiteral(".pdf");
    QTest::newRow("four characters") << false << QStringLiteral("ab.c");
}

void TestScannerWindow::noNameIsRefused()
{
    QFETCH(bool, cancel);
    QFETCH(QString, typed);
    TestEnvironment env;
    Windows windows(env.context);
    const Ui scanner = openScanner(windows);
    cancel ? env.dialogs.answerCancel() : env.dialogs.answerInput(typed);
    env.dialogs.answerButton(QMessageBox::Ok);
    scanner.click(u"Command1");

    QCOMPARE(env.dialogs.shown.size(), 2);
    const ShownBox &input = env.dialogs.shown.at(0);
    QCOMPARE(input.kind, ShownBox::Input);
    QCOMPARE(input.text, prompt);
    QCOMPARE(input.title, QStringLiteral("Scanner"));
    QCOMPARE(input.defaultText, QStringLiteral(".pdf"));
    const ShownBox &refusal = env.dialogs.shown.at(1);
    QVERIFY_BOX(refusal, .icon = QMessageBox::NoIcon, .text = noName, .title = title, .buttons = QMessageBox::Ok);
    verifyNothingScanned(env, windows, scanner);
}

void TestScannerWindow::shortNameDoesNothing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("three characters") << QStringLiteral("abc");
    QTest::newRow("one character") << QStringLiteral("x");
    QTest::newRow("..") << QStringLiteral("..");
}

void TestScannerWindow::shortNameDoesNothing()
{
    QFETCH(QString, typed);
    TestEnvironment env;
    Windows windows(env.context);
    const Ui scanner = openScanner(windows);
    env.dialogs.answerInput(typed);
    scanner.click(u"Command1");
    QCOMPARE(env.dialogs.shown.size(), 1); // the input box only
    QCOMPARE(env.dialogs.unexpected, 0);
    verifyNothingScanned(env, windows, scanner);
    QVERIFY(scanner.lineEdit(u"Text1")->text().isEmpty());
}

void TestScannerWindow::nameOutsideTheFolderIsRefused_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("a folder") << QStringLiteral("sotto/Fattura.pdf");
    QTest::newRow("up with ..") << QStringLiteral("../Fattura.pdf");
    QTest::newRow("far up") << QStringLiteral("../../../tmp/Fattura.pdf");
    QTest::newRow("absolute") << QStringLiteral("/tmp/Fattura.pdf");
    QTest::newRow("backslash") << QStringLiteral("sotto\\Fattura.pdf");
    QTest::newRow("leading dot") << QStringLiteral(".Fattura.pdf");
    QTest::newRow("dots then name") << QStringLiteral("..pdf.pdf");
}

void TestScannerWindow::nameOutsideTheFolderIsRefused()
{
    QFETCH(QString, typed);
    TestEnvironment env;
    Windows windows(env.context);
    const Ui scanner = scanNamed(env, windows, typed);

    QCOMPARE(env.dialogs.shown.size(), 2);
    const ShownBox &refusal = env.dialogs.last();
    QVERIFY2(refusal.text.startsWith(QStringLiteral("Il nome \"%1\" non è valido.").arg(typed)),
             qPrintable(refusal.text));
    QCOMPARE(refusal.title, title);
    QCOMPARE(refusal.icon, QMessageBox::Warning);
    QCOMPARE(env.dialogs.unexpected, 0);
    QCOMPARE(filesIn(env.folder()), QStringList({QStringLiteral("db1.mdb")}));
    verifyNothingScanned(env, windows, scanner);
    QVERIFY(!QFile::exists(QStringLiteral("/tmp/Fattura.pdf")));
}

void TestScannerWindow::scanWritesTheFileAndNotesIt_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("pdf") << QStringLiteral("Fattura 12.pdf");
    QTest::newRow("no extension added") << QStringLiteral("Fattura");
}

void TestScannerWindow::scanWritesTheFileAndNotesIt()
{
    QFETCH(QString, typed);
    TestEnvironment env;
    Windows windows(env.context);
    const Ui scanner = scanNamed(env, windows, typed);

    QCOMPARE(env.dialogs.shown.size(), 2);
    const ShownBox &echo = env.dialogs.last();
    QVERIFY_BOX(echo, .icon = QMessageBox::NoIcon, .text = QStringLiteral("Hai  immesso: '") + typed, .title = title,
                .buttons = QMessageBox::Ok);
    QCOMPARE(env.dialogs.unexpected, 0);

    QCOMPARE(filesIn(env.context.attachmentFolder()), QStringList({typed}));
    comparePdf(env.context.attachmentFolder() + QLatin1Char('/') + typed, 1);
    QCOMPARE(notesOf(windows), initialNotes + QStringLiteral("\nAllegato:-") + typed);
    QCOMPARE(scanner.lineEdit(u"Text1")->text(), typed);
    QVERIFY(!scanner.window.isVisible());
    QVERIFY(windows.twain().hideUI());

    // Shown again from the main window: the same window, still naming the document.
    Ui(windows.mainWindow()).click(u"Command5");
    QCOMPARE(windows.loadedScannerWindow(), &scanner.window);
    QVERIFY(scanner.window.isVisible());
    QCOMPARE(scanner.lineEdit(u"Text1")->text(), typed);
}

void TestScannerWindow::twoScansAddTwoNotesLines()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui scanner = openScanner(windows);
    for (const QString &name : {QStringLiteral("Primo.pdf"), QStringLiteral("Secondo.pdf")}) {
        env.dialogs.answerInput(name);
        env.dialogs.answerButton(QMessageBox::Ok);
        Ui(windows.mainWindow()).click(u"Command5");
        scanner.click(u"Command1");
    }
    QCOMPARE(env.dialogs.unexpected, 0);
    QCOMPARE(notesOf(windows), QStringLiteral("Nota iniziale\nAllegato:-Primo.pdf\nAllegato:-Secondo.pdf"));
    QCOMPARE(filesIn(env.context.attachmentFolder()),
             QStringList({QStringLiteral("Primo.pdf"), QStringLiteral("Secondo.pdf")}));
}

void TestScannerWindow::scannedDocumentOpensFromTheAttachmentWindow()
{
    TestEnvironment env;
    Windows windows(env.context);
    scanNamed(env, windows, QStringLiteral("Ricevuta.pdf"));

    const QString path = env.context.attachmentFolder() + QStringLiteral("/Ricevuta.pdf");
    Ui(windows.mainWindow()).click(u"Command6");
    QVERIFY(windows.loadedAttachmentWindow());
    env.dialogs.answerFile(path);
    Ui(*windows.loadedAttachmentWindow()).click(u"Command1");
    QCOMPARE(env.shell.openedFiles, QStringList({path}));
    comparePdf(env.shell.openedFiles.constFirst(), 1);
    QCOMPARE(env.dialogs.unexpected, 0);
}

void TestScannerWindow::existingFileIsReplacedOnlyWhenAgreed_data()
{
    QTest::addColumn<bool>("agree");
    QTest::newRow("No keeps the file") << false;
    QTest::newRow("Yes replaces it") << true;
}

void TestScannerWindow::existingFileIsReplacedOnlyWhenAgreed()
{
    QFETCH(bool, agree);
    TestEnvironment env;
    Windows windows(env.context);
    const Ui scanner = openScanner(windows);
    const QString path = env.context.attachmentFolder() + QStringLiteral("/Contratto.pdf");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("vecchio");
    old.close();

    env.dialogs.answerInput(QStringLiteral("Contratto.pdf"));
    env.dialogs.answerButton(QMessageBox::Ok);
    env.dialogs.answerButton(agree ? QMessageBox::Yes : QMessageBox::No);
    scanner.click(u"Command1");

    QCOMPARE(env.dialogs.shown.size(), 3);
    const ShownBox &question = env.dialogs.last();
    QVERIFY(question.text.contains(QStringLiteral("esiste già un file \"Contratto.pdf\"")));
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(question.icon, QMessageBox::Question);
    QCOMPARE(question.defaultButton, QMessageBox::No); // Enter keeps the file there
    if (agree) {
        comparePdf(path, 1);
        QCOMPARE(notesOf(windows), initialNotes + QStringLiteral("\nAllegato:-Contratto.pdf"));
        QVERIFY(!scanner.window.isVisible());
    } else {
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("vecchio"));
        QCOMPARE(notesOf(windows), initialNotes);
        QVERIFY(scanner.window.isVisible());
    }
}

// The scan goes through but the file cannot be written: a folder stands where the
// file should be. (Errors of the device itself are played in the scanning
// layer's own test.)
void TestScannerWindow::failedScanLeavesTheNotesAlone()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui scanner = openScanner(windows);
    QVERIFY(QDir(env.context.attachmentFolder()).mkdir(QStringLiteral("Fattura.pdf")));

    env.dialogs.answerInput(QStringLiteral("Fattura.pdf"));
    env.dialogs.answerButton(QMessageBox::Ok);
    env.dialogs.answerButton(QMessageBox::Yes); // replace what is there
    env.dialogs.answerButton(QMessageBox::Ok);
    scanner.click(u"Command1");

    QCOMPARE(env.dialogs.shown.size(), 4);
    const ShownBox &failure = env.dialogs.last();
    QVERIFY2(failure.text.startsWith(QStringLiteral("Il documento \"Fattura.pdf\" non è stato acquisito e le note "
                                                    "non sono state cambiate.\n\nImpossibile scrivere il file")),
             qPrintable(failure.text));
    QCOMPARE(failure.title, title);
    QCOMPARE(failure.icon, QMessageBox::Warning);
    QCOMPARE(notesOf(windows), initialNotes);
    QVERIFY(scanner.window.isVisible());
}

void TestScannerWindow::withoutScannerNothingIsNoted()
{
    m_sane.setNoBackend();
    TestEnvironment env;
    Windows windows(env.context);
    const Ui scanner = openScanner(windows);
    env.dialogs.answerInput(QStringLiteral("Fattura.pdf"));
    env.dialogs.answerButton(QMessageBox::Ok);
    env.dialogs.answerButton(QMessageBox::Ok);
    scanner.click(u"Command1");
    QCOMPARE(env.dialogs.shown.size(), 3);
    QVERIFY(env.dialogs.last().text.contains(QStringLiteral("Nessuno scanner trovato")));
    QCOMPARE(notesOf(windows), initialNotes);
    QVERIFY(filesIn(env.context.attachmentFolder()).isEmpty());
}

void TestScannerWindow::chosenScannerIsUsedFromThenOn()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui scanner = openScanner(windows);
    env.dialogs.answerChoice(QStringLiteral("Noname frontend-tester (test:1)"));
    scanner.click(u"Command2");
    QCOMPARE(env.dialogs.last().kind, ShownBox::Choice);
    QCOMPARE(windows.twain().defaultSource(), QStringLiteral("test:1"));

    // Closing the window unloads it; the choice stays for the next one.
    scanner.window.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!windows.loadedScannerWindow());
    const Ui again = openScanner(windows);
    env.dialogs.answerInput(QStringLiteral("Fattura.pdf"));
    env.dialogs.answerButton(QMessageBox::Ok);
    again.click(u"Command1");
    QCOMPARE(windows.twain().defaultSource(), QStringLiteral("test:1"));
    comparePdf(env.context.attachmentFolder() + QStringLiteral("/Fattura.pdf"), 1);
    QCOMPARE(env.dialogs.unexpected, 0);
}

void TestScannerWindow::multipage_data()
{
    QTest::addColumn<int>("pages");
    QTest::newRow("1 page") << 1;
    QTest::newRow("3 pages") << 3;
    QTest::newRow("11 pages") << 11;
}

void TestScannerWindow::multipage()
{
    QFETCH(int, pages);
    TestEnvironment env;
    Windows windows(env.context);
    const Ui scanner = openScanner(windows);
    for (int page = 1; page <= pages; ++page)
        env.dialogs.answerButton(page < pages ? QMessageBox::Yes : QMessageBox::No);
    env.dialogs.answerButton(QMessageBox::Ok);
    scanner.click(u"FBMultipage");

    QCOMPARE(env.dialogs.shown.size(), pages + 1);
    for (int i = 0; i < pages; ++i) {
        const ShownBox &question = env.dialogs.shown.at(i);
        QVERIFY_BOX(question, .icon = QMessageBox::Question, .text = QStringLiteral("Acquisire un'altra pagina?"),
                    .title = texts::applicationTitle(), .buttons = QMessageBox::Yes | QMessageBox::No);
    }
    const QStringList written = filesIn(env.context.attachmentFolder());
    QCOMPARE(written.size(), 1);
    const QString path = env.context.attachmentFolder() + QLatin1Char('/') + written.first();
    const ShownBox &done = env.dialogs.last();
    QCOMPARE(done.text, QStringLiteral("Acquisizione completata: il documento è stato salvato nel file \"%1\" della "
                                       "cartella degli allegati e annotato nelle note.")
                            .arg(written.first()));
    QVERIFY(written.first().startsWith(QStringLiteral("Scansione_")));
    QCOMPARE(done.title, texts::applicationTitle());
    QCOMPARE(done.icon, QMessageBox::Information);
    QCOMPARE(env.dialogs.unexpected, 0);
    comparePdf(path, pages);

    QCOMPARE(notesOf(windows), initialNotes + QStringLiteral("\nAllegato:-") + written.first()); // noted as a named scan is
    QVERIFY(!scanner.window.isVisible());
    QVERIFY(!windows.twain().isSourceOpen());
    QVERIFY(!windows.twain().hideUI());
}

void TestScannerWindow::multipageWithoutTheFolderScansNothing()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui scanner = openScanner(windows);
    QVERIFY(QDir(env.context.attachmentFolder()).removeRecursively());
    env.dialogs.answerButton(QMessageBox::Ok);
    scanner.click(u"FBMultipage");

    QCOMPARE(env.dialogs.shown.size(), 1); // the file could not be started: no page is asked for
    const ShownBox &failure = env.dialogs.last();
    QVERIFY2(failure.icon == QMessageBox::Warning
                 && failure.text.contains(QStringLiteral("\"%1\" non esiste").arg(env.context.attachmentFolder())),
             qPrintable(failure.text));
    QVERIFY(!QFileInfo::exists(env.context.attachmentFolder()));
    QVERIFY(!windows.twain().isSourceOpen());
    QVERIFY(scanner.window.isVisible());
}

void TestScannerWindow::multipageWithoutScannerEndsSilently()
{
    // No scanner can be opened: the multipage action ends at once and shows nothing.
    m_sane.setNoBackend();
    TestEnvironment env;
    Windows windows(env.context);
    const Ui scanner = openScanner(windows);
    scanner.click(u"FBMultipage");
    QCOMPARE(env.dialogs.shown.size(), 0);
    QVERIFY(filesIn(env.context.attachmentFolder()).isEmpty());
    QVERIFY(scanner.window.isVisible());
}

QTEST_MAIN(TestScannerWindow)
#include "tst_scannerwindow.moc"
