// Insertion from the entry screen: what is stored, the validation, the document
// number handed out and stored with the record, and failures that store nothing.
#include "EntryScreenHelpers.h"
#include "Tools.h"
#include "core/catalogue/Store.h"
#include "gui/kit/Texts.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace entrytest;

namespace {

// What the user typed into the eleven boxes, in tabellaFields() order but Prog.
struct Typed {
    QString chiave, argomento, testo, pubblicazione, numero, data, pagina, paragrafo, note, allocazione;
};

void type(const Ui &ui, const Typed &t)
{
    ui.comboBox(u"Combo3")->setEditText(t.chiave);
    ui.lineEdit(u"Text4")->setText(t.argomento);
    ui.lineEdit(u"Text5")->setText(t.testo);
    ui.comboBox(u"Combo1")->setEditText(t.pubblicazione);
    ui.lineEdit(u"Text1")->setText(t.numero);
    ui.lineEdit(u"Text2")->setText(t.data);
    ui.lineEdit(u"Text7")->setText(t.pagina);
    ui.lineEdit(u"Text8")->setText(t.paragrafo);
    ui.textArea(u"Text9")->setPlainText(t.note);
    ui.comboBox(u"Combo6")->setEditText(t.allocazione);
}

QStringList valuesOf(const Typed &t, const QString &prog)
{
    return {t.chiave, t.argomento, t.testo, t.pubblicazione, t.numero, t.data,
            t.pagina, t.paragrafo, t.note,  t.allocazione,   prog};
}

const QString validationText = QStringLiteral(" ERRORE : il Campo Chiave e Argomento devono essere compliati");
const QString validationTitle = QStringLiteral("Rudozuzurivaz versione 1 ");

} // namespace

Q_DECLARE_METATYPE(Typed)

class TestInsertion : public QObject {
    Q_OBJECT

private slots:
    // What is stored
    void storesEveryFieldAsShown_data();
    void storesEveryFieldAsShown();
    void typedNotesKeepTheirLines();
    void typedKeywordIsNotAddedToTheList();

    // Validation
    void limitsCountWholeCharacters();
    void keywordAndSubjectAreRequired_data();
    void keywordAndSubjectAreRequired();

    // Document number
    void numbersFollowOneAnotherAndSurviveADeletion();
    void numberContinuesFromTheStoredCounter();
    void numberTakenByAnotherCopyIsSaidAndTheNextOffered();

    // Failures
    void failedInsertionStoresNothing_data();
    void failedInsertionStoresNothing();
    void damagedCounterRefusesTheInsertion();
};

void TestInsertion::storesEveryFieldAsShown_data()
{
    QTest::addColumn<Typed>("typed");
    QString longNotes;
    for (int line = 1; line <= 200; ++line)
        longNotes += QStringLiteral("Riga %1 delle note: perché così è più facile ritrovarlo.\n").arg(line);
    longNotes += QStringLiteral("Allegato:-scansione 1.pdf");

    QTest::newRow("every field, accents") << Typed{QStringLiteral("Società"),
                                                   QStringLiteral("Città d'arte: l'Umbria è più verde"),
                                                   QStringLiteral("«Più» è “meglio”"),
                                                   QStringLiteral("Qui Touring"),
                                                   QStringLiteral("12"),
                                                   QStringLiteral("01/05/2009"),
                                                   QStringLiteral("145"),
                                                   QStringLiteral("3"),
                                                   QStringLiteral("Prima riga\nSeconda riga con accenti: àèéìòù"),
                                                   QStringLiteral("Scaffale 3, ripiano B")};
    QTest::newRow("keyword and subject only")
        << Typed{QStringLiteral("arte"), QStringLiteral("Giotto"), {}, {}, {}, {}, {}, {}, {}, {}};
    QTest::newRow("single blanks are filled")
        << Typed{QStringLiteral(" "), QStringLiteral(" "), {}, {}, {}, {}, {}, {}, {}, {}};
    QTest::newRow("blanks kept where typed") << Typed{QStringLiteral("  storia  "),
                                                      QStringLiteral(" Roma "),
                                                      QStringLiteral("testo  con  spazi "),
                                                      QStringLiteral(" Focus"),
                                                      {},
                                                      QStringLiteral("1/5/2009"),
                                                      {},
                                                      {},
                                                      QStringLiteral("  rientro\n\n  dopo una riga vuota  "),
                                                      QStringLiteral("armadio ")};
    QTest::newRow("long notes on many lines")
        << Typed{QStringLiteral("archivio"), QStringLiteral("note lunghe"), {}, {}, {}, {}, {}, {}, longNotes, {}};
    QTest::newRow("apostrophes and quotes") << Typed{QStringLiteral("l'arte"),
                                                     QStringLiteral("\"citato\" e 'apostrofato'"),
                                                     QStringLiteral("x'); --"),
                                                     {},
                                                     {},
                                                     {},
                                                     {},
                                                     {},
                                                     QStringLiteral("spazio\u00A0indivisibile"),
                                                     {}};
}

void TestInsertion::storesEveryFieldAsShown()
{
    QFETCH(Typed, typed);
    TestEnvironment env;
    testdata::setCounter(env, 6);
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("7"));
    type(ui, typed);

    QString idWhileConfirming;
    env.dialogs.duringNextBox([&] { idWhileConfirming = ui.lineEdit(u"Text3")->text(); });
    env.dialogs.answerButton(QMessageBox::Ok);
    ui.click(u"Command1");

    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY_BOX(env.dialogs.last(), .icon = QMessageBox::NoIcon, .text = QStringLiteral("Inserimento effettuato"),
                .title = QStringLiteral("CONFERMA"), .buttons = QMessageBox::Ok);

    const QList<QVariantMap> rows = storedRows(env);
    QCOMPARE(rows.size(), 1);
    const QStringList expected = valuesOf(typed, QStringLiteral("7"));
    for (int i = 0; i < tabellaFields().size(); ++i) {
        const QVariant stored = rows.first().value(tabellaFields().at(i));
        QVERIFY2(!stored.isNull(), qPrintable(tabellaFields().at(i))); // the empty text, not a missing value
        QCOMPARE(stored.toString(), expected.at(i));
    }
    QCOMPARE(idWhileConfirming, rows.first().value(QStringLiteral("ID")).toString());
    QCOMPARE(idWhileConfirming, QStringLiteral("1"));
    QCOMPARE(storedCounter(env), QVariant(qint64(7)));

    // The screen is cleared and offers the next number.
    for (QLineEdit *box : {ui.lineEdit(u"Text3"), ui.lineEdit(u"Text4"), ui.lineEdit(u"Text5"), ui.lineEdit(u"Text1"),
                           ui.lineEdit(u"Text2"), ui.lineEdit(u"Text7"), ui.lineEdit(u"Text8")})
        QVERIFY2(box->text().isEmpty(), qPrintable(box->objectName()));
    QCOMPARE(ui.textArea(u"Text9")->toPlainText(), QString());
    for (QComboBox *combo : {ui.comboBox(u"Combo3"), ui.comboBox(u"Combo1"), ui.comboBox(u"Combo6")})
        QVERIFY2(combo->currentText().isEmpty(), qPrintable(combo->objectName()));
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("8"));
    for (QCheckBox *toggle :
         {ui.checkBox(u"Check1"), ui.checkBox(u"Check2"), ui.checkBox(u"Check3"), ui.checkBox(u"Check8")})
        QVERIFY2(!toggle->isHidden(), qPrintable(toggle->objectName()));
    QCOMPARE(ui.button(u"Command1")->text(), QStringLiteral("Inserisci"));
    QVERIFY(ui.frame(u"Frame3")->isVisible());
    QCOMPARE(env.dialogs.unexpected, 0);
}

void TestInsertion::typedNotesKeepTheirLines()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    ui.comboBox(u"Combo3")->setEditText(QStringLiteral("arte"));
    ui.lineEdit(u"Text4")->setText(QStringLiteral("Giotto"));
    QTest::keyClicks(ui.textArea(u"Text9"), QStringLiteral("prima"));
    QTest::keyClick(ui.textArea(u"Text9"), Qt::Key_Return);
    QTest::keyClicks(ui.textArea(u"Text9"), QStringLiteral("seconda"));
    QTest::keyClick(ui.textArea(u"Text9"), Qt::Key_Return, Qt::ShiftModifier); // a line break inside the paragraph
    QTest::keyClicks(ui.textArea(u"Text9"), QStringLiteral("terza"));
    env.dialogs.answerButton(QMessageBox::Ok);
    ui.click(u"Command1");
    QCOMPARE(storedRows(env).first().value(QStringLiteral("Note")).toString(), QStringLiteral("prima\nseconda\nterza"));
}

void TestInsertion::typedKeywordIsNotAddedToTheList()
{
    TestEnvironment env;
    runSql(env,
           {QStringLiteral("INSERT INTO Chiave (Chiave) VALUES ('arte')"),
            QStringLiteral("INSERT INTO Pubblicazione (Pubblicazione) VALUES ('Focus')")});
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    ui.comboBox(u"Combo3")->setCurrentIndex(0); // picked from the list
    ui.comboBox(u"Combo1")->setEditText(QStringLiteral("Nuova Rivista"));
    ui.lineEdit(u"Text4")->setText(QStringLiteral("soggetto"));
    env.dialogs.answerButton(QMessageBox::Ok);
    ui.click(u"Command1");

    const QList<QVariantMap> rows = storedRows(env);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().value(QStringLiteral("Chiave")).toString(), QStringLiteral("arte"));
    QCOMPARE(rows.first().value(QStringLiteral("Pubblicazione")).toString(), QStringLiteral("Nuova Rivista"));
    // The lists are reloaded from their tables, which did not change.
    QCOMPARE(itemTexts(ui.comboBox(u"Combo1")), QStringList{QStringLiteral("Focus")});
    QCOMPARE(itemTexts(ui.comboBox(u"Combo4")), QStringList{QStringLiteral("Focus")});
    QCOMPARE(itemTexts(ui.comboBox(u"Combo3")), QStringList{QStringLiteral("arte")});
}

void TestInsertion::keywordAndSubjectAreRequired_data()
{
    QTest::addColumn<QString>("chiave");
    QTest::addColumn<QString>("argomento");
    QTest::newRow("both empty") << QString() << QString();
    QTest::newRow("keyword only") << QStringLiteral("arte") << QString();
    QTest::newRow("subject only") << QString() << QStringLiteral("Giotto");
}

void TestInsertion::keywordAndSubjectAreRequired()
{
    QFETCH(QString, chiave);
    QFETCH(QString, argomento);
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    ui.comboBox(u"Combo3")->setEditText(chiave);
    ui.lineEdit(u"Text4")->setText(argomento);
    ui.lineEdit(u"Text5")->setText(QStringLiteral("testo"));
    ui.textArea(u"Text9")->setPlainText(QStringLiteral("note"));

    ui.click(u"Command1");

    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY_BOX(env.dialogs.last(), .icon = QMessageBox::NoIcon, .text = validationText, .title = validationTitle,
                .buttons = QMessageBox::Ok);
    QVERIFY(storedRows(env).isEmpty());
    QCOMPARE(storedCounter(env), QVariant(qint64(0)));
    // The screen keeps what was typed.
    QCOMPARE(ui.comboBox(u"Combo3")->currentText(), chiave);
    QCOMPARE(ui.lineEdit(u"Text4")->text(), argomento);
    QCOMPARE(ui.lineEdit(u"Text5")->text(), QStringLiteral("testo"));
    QCOMPARE(ui.textArea(u"Text9")->toPlainText(), QStringLiteral("note"));
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("1"));
    QCOMPARE(ui.lineEdit(u"Text3")->text(), QString());
}

void TestInsertion::numbersFollowOneAnotherAndSurviveADeletion()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    const auto insert = [&](const QString &subject) {
        ui.comboBox(u"Combo3")->setEditText(QStringLiteral("chiave"));
        ui.lineEdit(u"Text4")->setText(subject);
        env.dialogs.answerButton(QMessageBox::Ok);
        ui.click(u"Command1");
    };
    insert(QStringLiteral("primo"));
    insert(QStringLiteral("secondo"));
    insert(QStringLiteral("terzo"));
    QList<QVariantMap> rows = storedRows(env);
    QCOMPARE(rows.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(rows.at(i).value(QStringLiteral("ID")).toLongLong(), qint64(i + 1));
        QCOMPARE(rows.at(i).value(QStringLiteral("Prog")).toString(), QString::number(i + 1));
    }
    QCOMPARE(storedCounter(env), QVariant(qint64(3)));
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("4"));

    // Deleting the record with the highest number gives no number back.
    ui.click(u"Check9");
    ui.comboBox(u"Combo7")->setCurrentIndex(2);
    QVERIFY(ui.comboBox(u"Combo7")->currentText().startsWith(QStringLiteral("3-- ")));
    env.dialogs.answerButton(QMessageBox::Yes);
    env.dialogs.answerButton(QMessageBox::Ok);
    ui.click(u"Command1");
    QCOMPARE(storedRows(env).size(), 2);
    QCOMPARE(storedCounter(env), QVariant(qint64(3)));
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("4"));

    QString idWhileConfirming;
    env.dialogs.duringNextBox([&] { idWhileConfirming = ui.lineEdit(u"Text3")->text(); });
    insert(QStringLiteral("quarto"));
    rows = storedRows(env);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.last().value(QStringLiteral("Prog")).toString(), QStringLiteral("4"));
    QCOMPARE(rows.last().value(QStringLiteral("ID")).toLongLong(), qint64(4)); // record numbers never come back either
    QCOMPARE(idWhileConfirming, QStringLiteral("4"));
    QCOMPARE(storedCounter(env), QVariant(qint64(4)));
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("5"));
    QCOMPARE(env.dialogs.unexpected, 0);
}

void TestInsertion::numberContinuesFromTheStoredCounter()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    // Set meanwhile as the service window does: seen when the screen is entered again.
    testdata::setCounter(env, 99999);
    ui.click(u"Command3");
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("100000"));
    ui.comboBox(u"Combo3")->setEditText(QStringLiteral("chiave"));
    ui.lineEdit(u"Text4")->setText(QStringLiteral("argomento"));
    env.dialogs.answerButton(QMessageBox::Ok);
    ui.click(u"Command1");
    QCOMPARE(storedRows(env).first().value(QStringLiteral("Prog")).toString(), QStringLiteral("100000"));
    QCOMPARE(storedCounter(env), QVariant(qint64(100000)));
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("100001"));
}

void TestInsertion::limitsCountWholeCharacters()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    const QString emoji = QString::fromUcs4(U"\U0001F600"); // two of Qt's text units
    const QString letters39(39, QLatin1Char('a'));

    // Typed or pasted: 39 letters and an emoji are 40 characters, all kept.
    ui.lineEdit(u"Text4")->setFocus();
    ui.lineEdit(u"Text4")->insert(letters39 + emoji);
    QCOMPARE(ui.lineEdit(u"Text4")->text(), letters39 + emoji);
    // One character too many is cut off whole, never half an emoji.
    ui.lineEdit(u"Text5")->setFocus();
    ui.lineEdit(u"Text5")->insert(letters39 + QLatin1Char('b') + emoji);
    QCOMPARE(ui.lineEdit(u"Text5")->text(), letters39 + QLatin1Char('b'));
    ui.lineEdit(u"Text2")->insert(QStringLiteral("12/05/2009") + emoji);
    QCOMPARE(ui.lineEdit(u"Text2")->text(), QStringLiteral("12/05/2009"));
    // Fields without a limit keep everything, however long.
    const QString longKeyword = QString(40000, QLatin1Char('k'));
    ui.comboBox(u"Combo3")->setEditText(longKeyword);
    QCOMPARE(ui.comboBox(u"Combo3")->currentText(), longKeyword);

    env.dialogs.answerButton(QMessageBox::Ok);
    ui.click(u"Command1");
    QCOMPARE(env.dialogs.last().text, QStringLiteral("Inserimento effettuato"));
    const QVariantMap stored = storedRows(env).constFirst();
    QCOMPARE(stored.value(QStringLiteral("Argomento")).toString(), letters39 + emoji);
    QCOMPARE(stored.value(QStringLiteral("Testo")).toString(), letters39 + QLatin1Char('b'));
    QCOMPARE(stored.value(QStringLiteral("Chiave")).toString(), longKeyword);
    if (env.onServer())
        return; // the server checks its texts itself
    // Stored as valid UTF-8, as any other tool reads it.
    const testdata::ToolRun hex = testdata::runTool(
        QStringLiteral("sqlite3"), {env.catalogPath(), QStringLiteral("SELECT hex(Argomento) FROM Tabella")});
    QCOMPARE(QByteArray::fromHex(hex.output.trimmed()), (letters39 + emoji).toUtf8());
}

void TestInsertion::numberTakenByAnotherCopyIsSaidAndTheNextOffered()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("1"));
    // Another copy of the program inserts with number 1 while this screen shows it.
    db::NewRecord elsewhere;
    elsewhere.chiave = QStringLiteral("altrove");
    elsewhere.argomento = QStringLiteral("altra copia");
    env.store.addRecord(elsewhere, 1);

    ui.comboBox(u"Combo3")->setEditText(QStringLiteral("chiave"));
    ui.lineEdit(u"Text4")->setText(QStringLiteral("argomento"));
    ui.textArea(u"Text9")->setPlainText(QStringLiteral("da non perdere"));
    ui.click(u"Command1");
    QCOMPARE(env.dialogs.shown.size(), 1);
    QCOMPARE(env.dialogs.last().icon, QMessageBox::Warning);
    QVERIFY2(env.dialogs.last().text.contains(QStringLiteral("assegnato nel frattempo")),
             qPrintable(env.dialogs.last().text));
    QCOMPARE(testdata::rowCount(env, QStringLiteral("Tabella")), 1);
    // The next free number on offer, everything typed kept.
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("2"));
    QCOMPARE(ui.comboBox(u"Combo3")->currentText(), QStringLiteral("chiave"));
    QCOMPARE(ui.textArea(u"Text9")->toPlainText(), QStringLiteral("da non perdere"));

    env.dialogs.answerButton(QMessageBox::Ok); // "Inserimento effettuato"
    ui.click(u"Command1");
    QCOMPARE(env.dialogs.last().text, QStringLiteral("Inserimento effettuato"));
    QCOMPARE(storedRows(env).last().value(QStringLiteral("Prog")).toString(), QStringLiteral("2"));
    QCOMPARE(storedCounter(env), QVariant(qint64(2)));
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("3"));
}

void TestInsertion::failedInsertionStoresNothing_data()
{
    // Each breaks the catalogue after the screen offered number 1.
    QTest::addColumn<QStringList>("damage");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("said");
    const QString engineFailed = QStringLiteral("non è stata eseguita");
    QTest::newRow("catalogue table dropped")
        << QStringList{QStringLiteral("DROP TABLE Tabella")} << int(QMessageBox::Critical) << engineFailed;
    // The row goes in, then the counter refuses: the row must go too.
    QTest::newRow("counter refuses the update")
        << QStringList{QStringLiteral("CREATE TRIGGER blocco BEFORE UPDATE ON contatore "
                                      "BEGIN SELECT RAISE(ABORT, 'contatore bloccato'); END")}
        << int(QMessageBox::Critical) << engineFailed;
    // A damaged counter is the catalogue's fault, said as such, not the engine's.
    QTest::newRow("counter row gone") << QStringList{QStringLiteral("DELETE FROM contatore")}
                                      << int(QMessageBox::Warning) << QStringLiteral("non contiene la riga");
    QTest::newRow("counter of two rows") << QStringList{QStringLiteral(
        "INSERT INTO contatore (Progressivo) VALUES (5)")}
                                         << int(QMessageBox::Warning) << QStringLiteral("contiene 2 righe");
}

void TestInsertion::failedInsertionStoresNothing()
{
    QFETCH(QStringList, damage);
    QFETCH(int, icon);
    QFETCH(QString, said);
    TestEnvironment env;
    if (env.onServer())
        QSKIP("the damage is done with the file's engine");
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("1"));
    runSql(env, damage);
    const QVariant counterBefore = storedCounter(env); // 0, or none where the row is gone
    ui.comboBox(u"Combo3")->setEditText(QStringLiteral("chiave"));
    ui.lineEdit(u"Text4")->setText(QStringLiteral("argomento"));
    ui.textArea(u"Text9")->setPlainText(QStringLiteral("da non perdere"));

    ui.click(u"Command1");

    QCOMPARE(env.dialogs.shown.size(), 1);
    QCOMPARE(int(env.dialogs.last().icon), icon);
    QVERIFY2(env.dialogs.last().text.contains(said), qPrintable(env.dialogs.last().text));
    if (!damage.first().startsWith(QStringLiteral("DROP")))
        QVERIFY(storedRows(env).isEmpty());
    QCOMPARE(storedCounter(env), counterBefore);
    // Nothing typed is lost, no number is shown for a record that does not exist.
    QCOMPARE(ui.comboBox(u"Combo3")->currentText(), QStringLiteral("chiave"));
    QCOMPARE(ui.lineEdit(u"Text4")->text(), QStringLiteral("argomento"));
    QCOMPARE(ui.textArea(u"Text9")->toPlainText(), QStringLiteral("da non perdere"));
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QStringLiteral("1"));
    QCOMPARE(ui.lineEdit(u"Text3")->text(), QString());
}

void TestInsertion::damagedCounterRefusesTheInsertion()
{
    TestEnvironment env;
    testdata::replaceCounterWithText(env, QStringLiteral("dodici"));
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    QCOMPARE(ui.lineEdit(u"Text10")->text(), QString());
    env.dialogs.clear();
    ui.comboBox(u"Combo3")->setEditText(QStringLiteral("chiave"));
    ui.lineEdit(u"Text4")->setText(QStringLiteral("argomento"));

    ui.click(u"Command1");

    QCOMPARE(env.dialogs.shown.size(), 1);
    QCOMPARE(env.dialogs.last().title, texts::applicationTitle());
    QCOMPARE(env.dialogs.last().icon, QMessageBox::Warning);
    QVERIFY(env.dialogs.last().text.contains(QStringLiteral("non è stata inserita")));
    QVERIFY(env.dialogs.last().text.contains(QStringLiteral("contatore")));
    QVERIFY(storedRows(env).isEmpty());
    QCOMPARE(storedCounter(env), QVariant(QStringLiteral("dodici")));
    QCOMPARE(ui.lineEdit(u"Text4")->text(), QStringLiteral("argomento"));
}

QTEST_MAIN(TestInsertion)
#include "tst_insertion.moc"
