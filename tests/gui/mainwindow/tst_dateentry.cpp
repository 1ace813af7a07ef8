// Date entry and the input helpers of the entry screen: the date normaliser, the
// calendar with its toggle and "X", the four small toggles, the digit-only boxes.
#include "EntryScreenHelpers.h"
#include "gui/kit/DigitsOnly.h"
#include "gui/mainwindow/DateEntry.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

using namespace entrytest;

namespace {

// The cell of `day` in the calendar's grid (the calendar shows that day's month).
QRect cellOf(QCalendarWidget &calendar, const QDate &day)
{
    calendar.setCurrentPage(day.year(), day.month());
    auto *grid = calendar.findChild<QTableView *>(QStringLiteral("qt_calendar_calendarview"));
    if (!grid)
        return {};
    // Days of the neighbouring months share the grid: the first week holds no day
    // above 7 of this month, the last weeks no day below 22.
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        for (int column = 0; column < grid->model()->columnCount(); ++column) {
            const QModelIndex cell = grid->model()->index(row, column);
            if (grid->model()->data(cell).toInt() != day.day())
                continue;
            const bool early = day.day() <= 7 && row <= 2;
            const bool late = day.day() >= 22 && row >= 4;
            const bool middle = day.day() > 7 && day.day() < 22;
            if (early || late || middle)
                return grid->visualRect(cell);
        }
    return {};
}

void clickDay(QCalendarWidget &calendar, const QDate &day)
{
    auto *grid = calendar.findChild<QTableView *>(QStringLiteral("qt_calendar_calendarview"));
    QVERIFY(grid);
    const QRect cell = cellOf(calendar, day);
    QVERIFY(cell.isValid());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

// Keys as a keyboard sends them, one character each (accented letters included).
void typeKeys(QWidget *widget, const QString &keys)
{
    for (const QChar c : keys) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

void showActive(const Ui &ui)
{
    QApplication::setActiveWindow(&ui.window);
    QVERIFY(QTest::qWaitForWindowActive(&ui.window));
}

} // namespace

class TestDateEntry : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }

    // slashedDate
    void strToDate_data();
    void strToDate();
    void strToDateChangesTheCallersHyphens();
    void dateIsNormalisedWhenTheFocusLeaves();
    void insertionStoresTheNormalisedDate();

    // Calendar and the four toggles
    void calendarToggleOpensTheFrameAlone();
    void uncheckingTheToggleClosesTheCalendar();
    void clickedDayFillsTheDate_data();
    void clickedDayFillsTheDate();
    void dayIgnoredWhileTheToggleIsUnchecked();
    void closeButtonKeepsTheDate();
    void pulisciClosesTheCalendar();

    // Digit-only boxes
    void digitsOnlyKeepsDigits_data();
    void digitsOnlyKeepsDigits();
    void typedKeysReachTheBoxAsDigitsOnly_data();
    void typedKeysReachTheBoxAsDigitsOnly();
    void pastedTextReachesTheBoxAsDigitsOnly_data();
    void pastedTextReachesTheBoxAsDigitsOnly();
};

void TestDateEntry::strToDate_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("result");
    QTest::newRow("six digits") << QStringLiteral("010509") << QStringLiteral("01/05/09");
    QTest::newRow("eight digits") << QStringLiteral("01052009") << QStringLiteral("01/05/2009");
    QTest::newRow("hyphens") << QStringLiteral("25-12-2009") << QStringLiteral("25/12/2009");
    QTest::newRow("hyphens, short year") << QStringLiteral("01-05-09") << QStringLiteral("01/05/09");
    QTest::newRow("slashed") << QStringLiteral("01/05/2009") << QStringLiteral("01/05/2009");
    QTest::newRow("single digits, long year") << QStringLiteral("1/5/2009") << QStringLiteral("1/5/2009");
    QTest::newRow("single digits, short year") << QStringLiteral("1/5/09") << QStringLiteral("1/5/09");
    QTest::newRow("single digit day with hyphens") << QStringLiteral("1-5-2009") << QStringLiteral("1/5/2009");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("seven digits") << QStringLiteral("0105209") << QStringLiteral("0105209");
    QTest::newRow("five digits") << QStringLiteral("01052") << QStringLiteral("01052");
    QTest::newRow("ten digits") << QStringLiteral("0105200900") << QStringLiteral("0105200900");
    QTest::newRow("two digits") << QStringLiteral("01") << QStringLiteral("01");
    QTest::newRow("six letters") << QStringLiteral("maggio") << QStringLiteral("maggio");
    QTest::newRow("eight with a blank") << QStringLiteral("0105 009") << QStringLiteral("0105 009");
    QTest::newRow("six with a blank") << QStringLiteral("01 509") << QStringLiteral("01 509");
    QTest::newRow("year first") << QStringLiteral("2009-05-01") << QStringLiteral("2009/05/01");
    QTest::newRow("not checked for range") << QStringLiteral("99999999") << QStringLiteral("99/99/9999");
    QTest::newRow("other digits") << QStringLiteral("٠١٠٥٠٩") << QStringLiteral("٠١٠٥٠٩");
}

void TestDateEntry::strToDate()
{
    QFETCH(QString, typed);
    QFETCH(QString, result);
    QString data = typed;
    QCOMPARE(dateentry::slashedDate(data), result);
    QString again = result;
    QCOMPARE(dateentry::slashedDate(again), result); // leaving the box twice changes nothing more
}

void TestDateEntry::strToDateChangesTheCallersHyphens()
{
    QString data = QStringLiteral("1-5-09");
    QCOMPARE(dateentry::slashedDate(data), QStringLiteral("1/5/09"));
    QCOMPARE(data, QStringLiteral("1/5/09"));
}

void TestDateEntry::dateIsNormalisedWhenTheFocusLeaves()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    showActive(ui);
    ui.lineEdit(u"Text2")->setFocus();
    QTest::keyClicks(ui.lineEdit(u"Text2"), QStringLiteral("01052009"));
    QCOMPARE(ui.lineEdit(u"Text2")->text(), QStringLiteral("01052009")); // nothing while typing
    ui.lineEdit(u"Text7")->setFocus();
    QCOMPARE(ui.lineEdit(u"Text2")->text(), QStringLiteral("01/05/2009"));

    ui.lineEdit(u"Text2")->setFocus();
    ui.lineEdit(u"Text2")->setText(QStringLiteral("1/5/2009"));
    ui.lineEdit(u"Text8")->setFocus();
    QCOMPARE(ui.lineEdit(u"Text2")->text(), QStringLiteral("1/5/2009"));
}

void TestDateEntry::insertionStoresTheNormalisedDate()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    showActive(ui);
    ui.comboBox(u"Combo3")->setEditText(QStringLiteral("arte"));
    ui.lineEdit(u"Text4")->setText(QStringLiteral("Giotto"));
    ui.lineEdit(u"Text2")->setFocus();
    QTest::keyClicks(ui.lineEdit(u"Text2"), QStringLiteral("25-12-2009"));
    env.dialogs.answerButton(QMessageBox::Ok);

    QTest::mouseClick(ui.button(u"Command1"), Qt::LeftButton); // the focus leaves the date for the button

    const QList<QVariantMap> rows = storedRows(env);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().value(QStringLiteral("Data")).toString(), QStringLiteral("25/12/2009"));
}

void TestDateEntry::calendarToggleOpensTheFrameAlone()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    QVERIFY(ui.frame(u"Frame1")->isHidden());

    ui.click(u"Check1");

    QVERIFY(ui.frame(u"Frame1")->isVisible());
    QVERIFY(ui.calendar(u"Calendario")->isVisible());
    QCOMPARE(ui.button(u"Command15")->text(), QStringLiteral("X"));
    for (QCheckBox *toggle : {ui.checkBox(u"Check2"), ui.checkBox(u"Check3"), ui.checkBox(u"Check8")})
        QVERIFY2(toggle->isHidden(), qPrintable(toggle->objectName()));
    QVERIFY(ui.checkBox(u"Check1")->isVisible());
    // The calendar frame lies over the notes it overlaps.
    QWidget *hit = ui.frame(u"Frame3")->childAt(ui.textArea(u"Text9")->geometry().center());
    QVERIFY(hit == ui.frame(u"Frame1") || ui.frame(u"Frame1")->isAncestorOf(hit));
}

void TestDateEntry::uncheckingTheToggleClosesTheCalendar()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    ui.lineEdit(u"Text2")->setText(QStringLiteral("01/01/2001"));
    ui.click(u"Check1");
    ui.click(u"Check1");
    QVERIFY(ui.frame(u"Frame1")->isHidden());
    for (QCheckBox *toggle : {ui.checkBox(u"Check2"), ui.checkBox(u"Check3"), ui.checkBox(u"Check8")})
        QVERIFY2(toggle->isVisible(), qPrintable(toggle->objectName()));
    QCOMPARE(ui.lineEdit(u"Text2")->text(), QStringLiteral("01/01/2001"));
}

void TestDateEntry::clickedDayFillsTheDate_data()
{
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QString>("written");
    QTest::newRow("first of May") << QDate(2009, 5, 1) << QStringLiteral("01/05/2009");
    QTest::newRow("fifth of March") << QDate(2009, 3, 5) << QStringLiteral("05/03/2009");
    QTest::newRow("two-digit day and month") << QDate(2010, 12, 25) << QStringLiteral("25/12/2010");
    QTest::newRow("last of the month") << QDate(2024, 2, 29) << QStringLiteral("29/02/2024");
}

void TestDateEntry::clickedDayFillsTheDate()
{
    QFETCH(QDate, day);
    QFETCH(QString, written);
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    ui.lineEdit(u"Text2")->setText(QStringLiteral("vecchia"));
    ui.click(u"Check1");

    clickDay(*ui.calendar(u"Calendario"), day);

    QCOMPARE(ui.lineEdit(u"Text2")->text(), written);
    QVERIFY(!ui.checkBox(u"Check1")->isChecked());
    QVERIFY(ui.frame(u"Frame1")->isHidden());
    for (QCheckBox *toggle :
         {ui.checkBox(u"Check1"), ui.checkBox(u"Check2"), ui.checkBox(u"Check3"), ui.checkBox(u"Check8")})
        QVERIFY2(toggle->isVisible(), qPrintable(toggle->objectName()));
}

void TestDateEntry::dayIgnoredWhileTheToggleIsUnchecked()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    ui.lineEdit(u"Text2")->setText(QStringLiteral("010509"));
    emit ui.calendar(u"Calendario")->clicked(QDate(2011, 7, 14));
    QCOMPARE(ui.lineEdit(u"Text2")->text(), QStringLiteral("010509"));
    QVERIFY(ui.frame(u"Frame1")->isHidden());
}

void TestDateEntry::closeButtonKeepsTheDate()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    ui.lineEdit(u"Text2")->setText(QStringLiteral("12/12/2012"));
    ui.click(u"Check1");

    ui.click(u"Command15");

    QVERIFY(ui.frame(u"Frame1")->isHidden());
    QVERIFY(!ui.checkBox(u"Check1")->isChecked());
    for (QCheckBox *toggle :
         {ui.checkBox(u"Check1"), ui.checkBox(u"Check2"), ui.checkBox(u"Check3"), ui.checkBox(u"Check8")})
        QVERIFY2(toggle->isVisible(), qPrintable(toggle->objectName()));
    QCOMPARE(ui.lineEdit(u"Text2")->text(), QStringLiteral("12/12/2012"));
}

void TestDateEntry::pulisciClosesTheCalendar()
{
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    ui.click(u"Check1");
    ui.click(u"Command3");
    QVERIFY(!ui.checkBox(u"Check1")->isChecked());
    QVERIFY(ui.frame(u"Frame1")->isHidden());
    for (QCheckBox *toggle : {ui.checkBox(u"Check2"), ui.checkBox(u"Check3"), ui.checkBox(u"Check8")})
        QVERIFY2(toggle->isVisible(), qPrintable(toggle->objectName()));
}

void TestDateEntry::digitsOnlyKeepsDigits_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<int>("cursorAfter");
    QTest::newRow("digits") << QStringLiteral("123") << 3 << QStringLiteral("123") << 3;
    QTest::newRow("letter typed in the middle") << QStringLiteral("1a2") << 2 << QStringLiteral("12") << 1;
    QTest::newRow("signs and blanks") << QStringLiteral(" -1.+2 ") << 7 << QStringLiteral("12") << 2;
    QTest::newRow("control characters") << QStringLiteral("1\t2\r\n3") << 6 << QStringLiteral("123") << 3;
    QTest::newRow("too many") << QStringLiteral("12345") << 5 << QStringLiteral("123") << 3;
    QTest::newRow("too many after dropping") << QStringLiteral("n. 1234") << 7 << QStringLiteral("123") << 3;
    QTest::newRow("other scripts' digits") << QStringLiteral("١٢3") << 3 << QStringLiteral("3") << 1;
    QTest::newRow("empty") << QString() << 0 << QString() << 0;
}

void TestDateEntry::digitsOnlyKeepsDigits()
{
    QFETCH(QString, input);
    QFETCH(int, cursor);
    QFETCH(QString, kept);
    QFETCH(int, cursorAfter);
    DigitsOnly filter(3);
    QCOMPARE(filter.validate(input, cursor), QValidator::Acceptable);
    QCOMPARE(input, kept);
    QCOMPARE(cursor, cursorAfter);
}

void TestDateEntry::typedKeysReachTheBoxAsDigitsOnly_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");
    for (const QString &box : {QStringLiteral("Text1"), QStringLiteral("Text7"), QStringLiteral("Text8")}) {
        QTest::addRow("%s digits", qPrintable(box)) << box << QStringLiteral("12") << QStringLiteral("12");
        QTest::addRow("%s letters and signs", qPrintable(box))
            << box << QStringLiteral("a1 b-2,") << QStringLiteral("12");
        QTest::addRow("%s at most three", qPrintable(box)) << box << QStringLiteral("12345") << QStringLiteral("123");
        QTest::addRow("%s accented letters", qPrintable(box)) << box << QStringLiteral("è°1") << QStringLiteral("1");
    }
}

void TestDateEntry::typedKeysReachTheBoxAsDigitsOnly()
{
    QFETCH(QString, box);
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    auto *edit = ui.find<QLineEdit>(box);
    QVERIFY(edit);
    typeKeys(edit, keys);
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Space);
    QCOMPARE(edit->text(), shown);
    QTest::keyClick(edit, Qt::Key_Backspace); // editing keys still work
    QCOMPARE(edit->text(), shown.chopped(1));
}

void TestDateEntry::pastedTextReachesTheBoxAsDigitsOnly_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("shown");
    for (const QString &box : {QStringLiteral("Text1"), QStringLiteral("Text7"), QStringLiteral("Text8")}) {
        QTest::addRow("%s digits", qPrintable(box)) << box << QStringLiteral("42") << QStringLiteral("42");
        QTest::addRow("%s words around", qPrintable(box)) << box << QStringLiteral("n. 12") << QStringLiteral("12");
        QTest::addRow("%s lines", qPrintable(box)) << box << QStringLiteral("1\n2\t3") << QStringLiteral("123");
        QTest::addRow("%s too long", qPrintable(box)) << box << QStringLiteral("pag. 12345") << QStringLiteral("123");
        QTest::addRow("%s no digit", qPrintable(box)) << box << QStringLiteral("abc") << QString();
    }
}

void TestDateEntry::pastedTextReachesTheBoxAsDigitsOnly()
{
    QFETCH(QString, box);
    QFETCH(QString, clipboard);
    QFETCH(QString, shown);
    TestEnvironment env;
    Windows windows(env.context);
    const Ui ui = openEntryScreen(windows);
    auto *edit = ui.find<QLineEdit>(box);
    QVERIFY(edit);
    QApplication::clipboard()->setText(clipboard);
    QCOMPARE(QApplication::clipboard()->text(), clipboard);
    edit->paste();
    QCOMPARE(edit->text(), shown);
    // Pasted with the keyboard too.
    edit->clear();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), shown);
}

QTEST_MAIN(TestDateEntry)
#include "tst_dateentry.moc"
