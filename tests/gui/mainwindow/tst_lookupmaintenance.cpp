// The three lookup maintenance frames of the main window, driven as the user does:
// toggle, pick or type in the frame's list, press its buttons.
#include "CatalogueRows.h"
#include "GuiTest.h"
#include "TestEnvironment.h"
#include "gui/Windows.h"
#include "gui/mainwindow/LookupLists.h"
#include "gui/mainwindow/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using testdata::addLookupRows;
using testdata::itemTexts;
using testdata::runSql;

namespace {

// One family of frames, by the names its controls carry.
struct Family {
    QString table; // also its text field
    QString toggle, frame, list, entryList;
    QString insert, change, remove, exit;
    bool lowerCase;    // keywords and publications are stored in lower case
    bool openingLoads; // checking the toggle loads the lists
    bool exitEmpties;  // "Esci" empties the frame's list
};

const Family families[] = {
    {QStringLiteral("Chiave"), QStringLiteral("Check2"), QStringLiteral("Frame4"), QStringLiteral("Combo2"),
     QStringLiteral("Combo3"), QStringLiteral("Command7"), QStringLiteral("Command8"), QStringLiteral("Command9"),
     QStringLiteral("Command10"), true, true, true},
    {QStringLiteral("Pubblicazione"), QStringLiteral("Check3"), QStringLiteral("Frame5"), QStringLiteral("Combo4"),
     QStringLiteral("Combo1"), QStringLiteral("Command14"), QStringLiteral("Command13"), QStringLiteral("Command12"),
     QStringLiteral("Command11"), true, true, true},
    {QStringLiteral("Allocazione"), QStringLiteral("Check8"), QStringLiteral("Frame6"), QStringLiteral("Combo5"),
     QStringLiteral("Combo6"), QStringLiteral("Command21"), QStringLiteral("Command16"), QStringLiteral("Command17"),
     QStringLiteral("Command18"), false, false, false},
};

const Family &familyOf(const QString &table)
{
    for (const Family &family : families)
        if (family.table == table)
            return family;
    qFatal("no family %s", qPrintable(table));
}

void addFamilyRows()
{
    QTest::addColumn<QString>("table");
    for (const Family &family : families)
        QTest::newRow(qPrintable(family.table)) << family.table;
}

struct Row {
    qint64 id;
    QString text;
    bool operator==(const Row &other) const { return id == other.id && text == other.text; }
};

char *toString(const Row &row)
{
    return QTest::toString(QStringLiteral("%1:%2").arg(row.id).arg(row.text));
}

QList<Row> rowsOf(const TestEnvironment &env, const QString &table)
{
    QList<Row> result;
    for (const QVariantMap &row : testdata::rowsOf(env, QStringLiteral("SELECT * FROM %1 ORDER BY ID").arg(table)))
        result.append({row.value(QStringLiteral("ID")).toLongLong(), row.value(table).toString()});
    return result;
}

// What the user sees of one list: its entries and its text.
struct ListState {
    QStringList entries;
    QString text;
    bool operator==(const ListState &other) const { return entries == other.entries && text == other.text; }
};

char *toString(const ListState &state)
{
    return QTest::toString(state.entries.join(QLatin1Char('|')) + QStringLiteral(" / ") + state.text);
}

ListState stateOf(const QComboBox *combo)
{
    return {itemTexts(combo), combo->currentText()};
}

// The main window on its entry screen, active, so that focus moves as for the user.
class Screen {
public:
    explicit Screen(TestEnvironment &env) : windows(env.context), ui(windows.mainWindow())
    {
        ui.window.show();
        QApplication::setActiveWindow(&ui.window);
        if (!QTest::qWaitForWindowActive(&ui.window))
            qWarning("main window not active");
        ui.click(u"Check5");
    }

    QCheckBox *toggle(const Family &family) const { return ui.checkBox(family.toggle); }
    QGroupBox *frame(const Family &family) const { return ui.frame(family.frame); }
    QComboBox *list(const Family &family) const { return ui.comboBox(family.list); }
    QComboBox *entryList(const Family &family) const { return ui.comboBox(family.entryList); }

    QList<const Family *> others(const Family &family) const
    {
        QList<const Family *> result;
        for (const Family &other : families)
            if (other.table != family.table)
                result.append(&other);
        return result;
    }
    // This family's frame list and entry list.
    QList<ListState> frameAndEntryLists(const Family &family) const
    {
        return {stateOf(list(family)), stateOf(entryList(family))};
    }
    // The entry and frame lists of every family but this one.
    QList<ListState> otherLists(const Family &family) const
    {
        QList<ListState> states;
        for (const Family *other : others(family))
            states << stateOf(entryList(*other)) << stateOf(list(*other));
        return states;
    }

    Windows windows;
    Ui ui;
};

// Every family's table holds the same starting entries; a catalogue row uses them.
void seed(TestEnvironment &env)
{
    for (const Family &family : families)
        addLookupRows(env, family.table, {QStringLiteral("zeta"), QStringLiteral("arte"), QStringLiteral("zeta")});
}

const QList<Row> seeded = {{1, QStringLiteral("zeta")}, {2, QStringLiteral("arte")}, {3, QStringLiteral("zeta")}};

// The names of the visible toggles of the group of four (the calendar's and the three families').
QStringList visibleToggles(const Screen &screen)
{
    QStringList names;
    for (QCheckBox *toggle : {screen.ui.checkBox(u"Check1"), screen.ui.checkBox(u"Check2"),
                              screen.ui.checkBox(u"Check3"), screen.ui.checkBox(u"Check8")})
        if (toggle->isVisible())
            names << toggle->objectName();
    return names;
}

const QStringList allToggles
    = {QStringLiteral("Check1"), QStringLiteral("Check2"), QStringLiteral("Check3"), QStringLiteral("Check8")};

// The rows of every family's table but this one (each seeded, in the tests that seed).
QList<QList<Row>> otherTables(const TestEnvironment &env, const Screen &screen, const Family &family)
{
    QList<QList<Row>> tables;
    for (const Family *other : screen.others(family))
        tables << rowsOf(env, other->table);
    return tables;
}

} // namespace

class TestLookupMaintenance : public QObject {
    Q_OBJECT

private slots:
    // Opening and closing
    void toggleOpensTheFrameAndHidesTheOtherToggles_data() { addFamilyRows(); }
    void toggleOpensTheFrameAndHidesTheOtherToggles();
    void openingLoadsTheListsWhereTheFamilySays_data() { addFamilyRows(); }
    void openingLoadsTheListsWhereTheFamilySays();
    void esciClosesTheFrame_data() { addFamilyRows(); }
    void esciClosesTheFrame();
    void reopenedFrameShowsTheCurrentEntries_data() { addFamilyRows(); }
    void reopenedFrameShowsTheCurrentEntries();
    void atMostOneFrameIsOpen();
    void pulisciClosesAnOpenFrame();

    // Lower case
    void leavingTheListLowersItsText_data() { addFamilyRows(); }
    void leavingTheListLowersItsText();

    // "Inserisci"
    void insertStoresTheTextAndClosesTheFrame_data();
    void insertStoresTheTextAndClosesTheFrame();
    void insertThatFailsKeepsTheFrameAndTheText();
    void emptyTextIsNotInserted_data();
    void emptyTextIsNotInserted();

    // "Modifica"
    void changeRewritesThePickedEntry_data() { addFamilyRows(); }
    void changeRewritesThePickedEntry();
    void changeKeepsThePickWhenTheNewTextIsAnotherEntrys();
    void changeOfATypedTextTakesTheEntryOfThatText();

    // "Elimina"
    void removeDeletesThePickedEntry_data() { addFamilyRows(); }
    void removeDeletesThePickedEntry();
    void removeOfLegacyCapitalsAfterLowerCasing();
    void removeOfATypedTextTakesTheEntryOfThatText_data();
    void removeOfATypedTextTakesTheEntryOfThatText();

    // Nothing to act on
    void typedTextMatchingNothingChangesNothing_data();
    void typedTextMatchingNothingChangesNothing();
    void emptyTableChangesNothing_data();
    void emptyTableChangesNothing();
    void entryGoneMeanwhileIsReported_data();
    void entryGoneMeanwhileIsReported();

    // Catalogue records
    void catalogueRowsKeepTheOldTexts();
};

// ---- Opening and closing -------------------------------------------------------------------

void TestLookupMaintenance::toggleOpensTheFrameAndHidesTheOtherToggles()
{
    QFETCH(QString, table);
    const Family &family = familyOf(table);
    TestEnvironment env;
    Screen screen(env);
    QVERIFY(screen.frame(family)->isHidden());

    QTest::mouseClick(screen.toggle(family), Qt::LeftButton);
    QVERIFY(screen.toggle(family)->isChecked());
    QVERIFY(screen.frame(family)->isVisible());
    QCOMPARE(screen.frame(family)->title(), table);
    QCOMPARE(visibleToggles(screen), QStringList{family.toggle});
    for (const Family *other : screen.others(family))
        QVERIFY(screen.frame(*other)->isHidden());
    // The frame lies over the right half of the entry screen and is what the user sees there.
    const QPoint inside = screen.frame(family)->mapTo(&screen.ui.window, QPoint(5, 5));
    QWidget *seen = screen.ui.window.childAt(inside);
    QVERIFY(seen == screen.frame(family) || screen.frame(family)->isAncestorOf(seen));

    QTest::mouseClick(screen.toggle(family), Qt::LeftButton);
    QVERIFY(!screen.toggle(family)->isChecked());
    QVERIFY(screen.frame(family)->isHidden());
    QCOMPARE(visibleToggles(screen), allToggles);
    QCOMPARE(env.dialogs.shown.size(), 0);
}

void TestLookupMaintenance::openingLoadsTheListsWhereTheFamilySays()
{
    QFETCH(QString, table);
    const Family &family = familyOf(table);
    TestEnvironment env;
    addLookupRows(env, table, {QStringLiteral("prima")});
    Screen screen(env);
    screen.entryList(family)->setEditText(QStringLiteral("scritta a mano"));
    addLookupRows(env, table, {QStringLiteral("aggiunta fuori")}); // behind the window's back
    const QList<ListState> others = screen.otherLists(family);

    screen.toggle(family)->click();

    const QStringList both = {QStringLiteral("prima"), QStringLiteral("aggiunta fuori")};
    if (family.openingLoads) {
        QCOMPARE(screen.frameAndEntryLists(family), QList<ListState>(2, ListState{both, QString()}));
    } else {
        QCOMPARE(stateOf(screen.list(family)), (ListState{{QStringLiteral("prima")}, QString()}));
        QCOMPARE(stateOf(screen.entryList(family)),
                 (ListState{{QStringLiteral("prima")}, QStringLiteral("scritta a mano")}));
    }
    QCOMPARE(screen.otherLists(family), others);
}

void TestLookupMaintenance::esciClosesTheFrame()
{
    QFETCH(QString, table);
    const Family &family = familyOf(table);
    TestEnvironment env;
    seed(env);
    Screen screen(env);
    screen.toggle(family)->click();
    screen.ui.type(family.list, QStringLiteral("bozza"));
    const ListState entryBefore = stateOf(screen.entryList(family));

    screen.ui.press(family.exit);

    QVERIFY(screen.frame(family)->isHidden());
    QVERIFY(!screen.toggle(family)->isChecked());
    QCOMPARE(visibleToggles(screen), allToggles);
    if (family.exitEmpties)
        QCOMPARE(stateOf(screen.list(family)), ListState{});
    else
        QCOMPARE(stateOf(screen.list(family)),
                 (ListState{{QStringLiteral("zeta"), QStringLiteral("arte"), QStringLiteral("zeta")},
                            QStringLiteral("bozza")}));
    QCOMPARE(stateOf(screen.entryList(family)), entryBefore);
    QCOMPARE(rowsOf(env, table), seeded);
    QCOMPARE(env.dialogs.shown.size(), 0);
}

void TestLookupMaintenance::reopenedFrameShowsTheCurrentEntries()
{
    QFETCH(QString, table);
    const Family &family = familyOf(table);
    TestEnvironment env;
    seed(env);
    Screen screen(env);
    for (int round = 0; round < 2; ++round) {
        screen.toggle(family)->click();
        QCOMPARE(itemTexts(screen.list(family)),
                 (QStringList{QStringLiteral("zeta"), QStringLiteral("arte"), QStringLiteral("zeta")}));
        QCOMPARE(screen.list(family)->itemData(2, lookups::RowIdRole).toLongLong(), 3);
        screen.ui.press(family.exit);
    }
}

void TestLookupMaintenance::atMostOneFrameIsOpen()
{
    TestEnvironment env;
    Screen screen(env);
    // While one toggle is checked the user cannot reach the others, in every state of its frame.
    for (const Family &family : families) {
        screen.toggle(family)->click();
        QCOMPARE(visibleToggles(screen), QStringList{family.toggle});
        screen.ui.type(family.list, QStringLiteral("nuova"));
        env.dialogs.answerButton(QMessageBox::Ok);
        screen.ui.press(family.insert); // closed after insert: toggle still checked
        QVERIFY(screen.frame(family)->isHidden());
        QVERIFY(screen.toggle(family)->isChecked());
        QCOMPARE(visibleToggles(screen), QStringList{family.toggle});
        screen.toggle(family)->click();
        QCOMPARE(visibleToggles(screen), allToggles);
        for (const Family &any : families)
            QVERIFY(screen.frame(any)->isHidden());
    }
    // The calendar toggle is the fourth of the group.
    screen.ui.click(u"Check1");
    QVERIFY(screen.ui.frame(u"Frame1")->isVisible());
    for (const Family &family : families) {
        QVERIFY2(screen.toggle(family)->isHidden(), qPrintable(family.toggle));
        QVERIFY(screen.frame(family)->isHidden());
    }
    screen.ui.click(u"Check1");
    QCOMPARE(visibleToggles(screen), allToggles);
    QCOMPARE(env.dialogs.unexpected, 0);
}

void TestLookupMaintenance::pulisciClosesAnOpenFrame()
{
    TestEnvironment env;
    Screen screen(env);
    const Family &publications = familyOf(QStringLiteral("Pubblicazione"));
    screen.toggle(publications)->click();
    screen.ui.click(u"Command3");
    QVERIFY(!screen.toggle(publications)->isChecked());
    QVERIFY(screen.frame(publications)->isHidden());
    QCOMPARE(visibleToggles(screen), allToggles);
}

// ---- Lower case ----------------------------------------------------------------------------

void TestLookupMaintenance::leavingTheListLowersItsText()
{
    QFETCH(QString, table);
    const Family &family = familyOf(table);
    TestEnvironment env;
    Screen screen(env);
    screen.toggle(family)->click();
    screen.ui.type(family.list, QStringLiteral("Città DI Roma"));
    QCOMPARE(screen.list(family)->currentText(), QStringLiteral("Città DI Roma")); // not while typing

    screen.ui.lineEdit(u"Text4")->setFocus(); // leaves the list
    QCOMPARE(screen.list(family)->currentText(),
             family.lowerCase ? QStringLiteral("città di roma") : QStringLiteral("Città DI Roma"));
    QVERIFY(screen.frame(family)->isVisible());
}

// ---- "Inserisci" ---------------------------------------------------------------------------

void TestLookupMaintenance::insertStoresTheTextAndClosesTheFrame_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("byMouse"); // else the button is pressed while the list keeps the focus
    QTest::addColumn<QString>("stored");
    QTest::newRow("keyword") << QStringLiteral("Chiave") << QStringLiteral("Arte Moderna") << true
                             << QStringLiteral("arte moderna");
    QTest::newRow("keyword, focus kept") << QStringLiteral("Chiave") << QStringLiteral("STORIA") << false
                                         << QStringLiteral("storia");
    QTest::newRow("publication") << QStringLiteral("Pubblicazione") << QStringLiteral("Focus Storia") << true
                                 << QStringLiteral("focus storia");
    QTest::newRow("publication, focus kept")
        << QStringLiteral("Pubblicazione") << QStringLiteral("Qui Touring") << false << QStringLiteral("qui touring");
    QTest::newRow("location keeps capitals")
        << QStringLiteral("Allocazione") << QStringLiteral("Scaffale B") << true << QStringLiteral("Scaffale B");
    QTest::newRow("repeated text") << QStringLiteral("Allocazione") << QStringLiteral("arte") << true
                                   << QStringLiteral("arte");
}

void TestLookupMaintenance::insertStoresTheTextAndClosesTheFrame()
{
    QFETCH(QString, table);
    QFETCH(QString, typed);
    QFETCH(bool, byMouse);
    QFETCH(QString, stored);
    const Family &family = familyOf(table);
    TestEnvironment env;
    seed(env);
    Screen screen(env);
    screen.toggle(family)->click();
    screen.entryList(*screen.others(family).first())->setEditText(QStringLiteral("in corso"));
    const QList<ListState> others = screen.otherLists(family);
    screen.ui.type(family.list, typed);

    const QStringList before = {QStringLiteral("zeta"), QStringLiteral("arte"), QStringLiteral("zeta")};
    bool checkedDuringMessage = false;
    env.dialogs.duringNextBox([&] {
        // The message shows over the still open frame with the old list.
        QVERIFY(screen.frame(family)->isVisible());
        QCOMPARE(itemTexts(screen.list(family)), before);
        checkedDuringMessage = true;
    });
    env.dialogs.answerButton(QMessageBox::Ok);
    if (byMouse)
        screen.ui.press(family.insert);
    else
        screen.ui.click(family.insert);

    QVERIFY(checkedDuringMessage);
    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY_BOX(env.dialogs.last(), .icon = QMessageBox::NoIcon, .text = QStringLiteral("Inserimento effettuato"),
                .title = QStringLiteral("CONFERMA"), .buttons = QMessageBox::Ok);

    QCOMPARE(rowsOf(env, table), QList<Row>(seeded) << (Row{4, stored}));
    const QStringList after = QStringList(before) << stored;
    QCOMPARE(screen.frameAndEntryLists(family), QList<ListState>(2, ListState{after, QString()}));
    QCOMPARE(screen.entryList(family)->itemData(3, lookups::RowIdRole).toLongLong(), 4);
    QVERIFY(screen.frame(family)->isHidden());
    QVERIFY(screen.toggle(family)->isChecked());
    QCOMPARE(visibleToggles(screen), QStringList{family.toggle});
    QCOMPARE(screen.otherLists(family), others);
    QCOMPARE(otherTables(env, screen, family), QList<QList<Row>>(2, seeded));
}

void TestLookupMaintenance::insertThatFailsKeepsTheFrameAndTheText()
{
    TestEnvironment env;
    seed(env);
    Screen screen(env);
    const Family &keywords = familyOf(QStringLiteral("Chiave"));
    screen.toggle(keywords)->click();
    screen.ui.type(keywords.list, QStringLiteral("nuova"));
    runSql(env, {QStringLiteral("DROP TABLE Chiave")});

    env.dialogs.answerButton(QMessageBox::Ok);
    screen.ui.press(keywords.insert);

    QCOMPARE(env.dialogs.shown.size(), 1); // the failure, and no "Inserimento effettuato"
    QCOMPARE(env.dialogs.last().icon, QMessageBox::Critical);
    QVERIFY(env.dialogs.last().text.contains(QStringLiteral("Chiave")));
    QVERIFY(screen.frame(keywords)->isVisible());
    QCOMPARE(screen.list(keywords)->currentText(), QStringLiteral("nuova"));
    QCOMPARE(itemTexts(screen.entryList(keywords)).size(), 3);
}

void TestLookupMaintenance::emptyTextIsNotInserted_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("typed");
    for (const Family &family : families) {
        QTest::addRow("%s, nothing typed", qPrintable(family.table)) << family.table << QString();
        QTest::addRow("%s, blanks only", qPrintable(family.table)) << family.table << QStringLiteral("   ");
    }
}

void TestLookupMaintenance::emptyTextIsNotInserted()
{
    QFETCH(QString, table);
    QFETCH(QString, typed);
    const Family &family = familyOf(table);
    TestEnvironment env;
    seed(env);
    Screen screen(env);
    screen.toggle(family)->click();
    screen.ui.type(family.list, typed);
    env.dialogs.answerButton(QMessageBox::Ok);
    screen.ui.press(family.insert);

    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY_BOX(env.dialogs.last(), .icon = QMessageBox::Warning,
                .text = QStringLiteral("Scrivere nell'elenco \"%1\" la voce da inserire: una voce vuota non viene "
                                       "inserita.")
                            .arg(table));
    QCOMPARE(rowsOf(env, table), seeded);
    QVERIFY(screen.frame(family)->isVisible());
}

// ---- "Modifica" ----------------------------------------------------------------------------

void TestLookupMaintenance::changeRewritesThePickedEntry()
{
    QFETCH(QString, table);
    const Family &family = familyOf(table);
    TestEnvironment env;
    seed(env);
    Screen screen(env);
    screen.toggle(family)->click();
    const QList<ListState> others = screen.otherLists(family);

    screen.ui.pick(family.list, 2); // the second "zeta", not the first of that text
    QCOMPARE(screen.list(family)->currentText(), QStringLiteral("zeta"));
    screen.ui.type(family.list, QStringLiteral("Omega"));
    screen.ui.press(family.change);

    const QString stored = family.lowerCase ? QStringLiteral("omega") : QStringLiteral("Omega");
    QCOMPARE(rowsOf(env, table), (QList<Row>{{1, QStringLiteral("zeta")}, {2, QStringLiteral("arte")}, {3, stored}}));
    const QStringList after = {QStringLiteral("zeta"), QStringLiteral("arte"), stored};
    QCOMPARE(screen.frameAndEntryLists(family), QList<ListState>(2, ListState{after, QString()}));
    QVERIFY(screen.frame(family)->isVisible());
    QCOMPARE(env.dialogs.shown.size(), 0);
    QCOMPARE(screen.otherLists(family), others);
    QCOMPARE(otherTables(env, screen, family), QList<QList<Row>>(2, seeded));

    // The pick ended with the reload: typing an unknown text now changes nothing.
    screen.ui.type(family.list, QStringLiteral("altro"));
    env.dialogs.answerButton(QMessageBox::Ok);
    screen.ui.press(family.change);
    QCOMPARE(rowsOf(env, table).last(), (Row{3, stored}));
}

void TestLookupMaintenance::changeKeepsThePickWhenTheNewTextIsAnotherEntrys()
{
    TestEnvironment env;
    seed(env);
    Screen screen(env);
    const Family &locations = familyOf(QStringLiteral("Allocazione"));
    screen.toggle(locations)->click();
    screen.ui.pick(locations.list, 1);
    screen.ui.type(locations.list, QStringLiteral("zeta")); // the text of rows 1 and 3
    screen.ui.press(locations.change);
    QCOMPARE(rowsOf(env, locations.table),
             (QList<Row>{{1, QStringLiteral("zeta")}, {2, QStringLiteral("zeta")}, {3, QStringLiteral("zeta")}}));
}

void TestLookupMaintenance::changeOfATypedTextTakesTheEntryOfThatText()
{
    TestEnvironment env;
    addLookupRows(env, QStringLiteral("Pubblicazione"), {QStringLiteral("Focus"), QStringLiteral("Airone")});
    Screen screen(env);
    const Family &publications = familyOf(QStringLiteral("Pubblicazione"));
    screen.toggle(publications)->click();
    // Typed, not picked: the entry with that text (as publications are stored) gets it in lower case.
    screen.ui.type(publications.list, QStringLiteral("AIRONE"));
    screen.ui.press(publications.change);
    QCOMPARE(rowsOf(env, publications.table),
             (QList<Row>{{1, QStringLiteral("Focus")}, {2, QStringLiteral("airone")}}));
    QCOMPARE(env.dialogs.shown.size(), 0);
}

// ---- "Elimina" -----------------------------------------------------------------------------

void TestLookupMaintenance::removeDeletesThePickedEntry()
{
    QFETCH(QString, table);
    const Family &family = familyOf(table);
    TestEnvironment env;
    seed(env);
    Screen screen(env);
    screen.toggle(family)->click();
    const QList<ListState> others = screen.otherLists(family);

    screen.ui.pick(family.list, 2);
    screen.ui.press(family.remove);

    QCOMPARE(rowsOf(env, table), (QList<Row>{{1, QStringLiteral("zeta")}, {2, QStringLiteral("arte")}}));
    const QStringList after = {QStringLiteral("zeta"), QStringLiteral("arte")};
    QCOMPARE(screen.frameAndEntryLists(family), QList<ListState>(2, ListState{after, QString()}));
    QCOMPARE(screen.list(family)->itemData(1, lookups::RowIdRole).toLongLong(), 2);
    QVERIFY(screen.frame(family)->isVisible());
    QVERIFY(screen.toggle(family)->isChecked());
    QCOMPARE(env.dialogs.shown.size(), 0);
    QCOMPARE(screen.otherLists(family), others);
    QCOMPARE(otherTables(env, screen, family), QList<QList<Row>>(2, seeded));
}

void TestLookupMaintenance::removeOfLegacyCapitalsAfterLowerCasing()
{
    // Entries stored with capitals before: leaving the list lowers the text, the pick stays.
    TestEnvironment env;
    addLookupRows(env, QStringLiteral("Chiave"), {QStringLiteral("Zeta"), QStringLiteral("Zeta")});
    Screen screen(env);
    const Family &keywords = familyOf(QStringLiteral("Chiave"));
    screen.toggle(keywords)->click();
    screen.ui.pick(keywords.list, 1);
    screen.ui.press(keywords.remove);
    QCOMPARE(rowsOf(env, keywords.table), (QList<Row>{{1, QStringLiteral("Zeta")}}));
    QCOMPARE(env.dialogs.shown.size(), 0);
}

void TestLookupMaintenance::removeOfATypedTextTakesTheEntryOfThatText_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("picked"); // -1: nothing picked
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<Row>>("left");
    QTest::newRow("typed, not picked") << QStringLiteral("Allocazione") << -1 << QStringLiteral("arte")
                                       << QList<Row>{{1, QStringLiteral("zeta")}, {3, QStringLiteral("zeta")}};
    QTest::newRow("keyword typed in capitals") << QStringLiteral("Chiave") << -1 << QStringLiteral("ARTE")
                                               << QList<Row>{{1, QStringLiteral("zeta")}, {3, QStringLiteral("zeta")}};
    // What the box shows is deleted, not an entry picked before and written over.
    QTest::newRow("picked, then another entry's text")
        << QStringLiteral("Pubblicazione") << 1 << QStringLiteral("zeta")
        << QList<Row>{{2, QStringLiteral("arte")}, {3, QStringLiteral("zeta")}};
}

void TestLookupMaintenance::removeOfATypedTextTakesTheEntryOfThatText()
{
    QFETCH(QString, table);
    QFETCH(int, picked);
    QFETCH(QString, typed);
    QFETCH(QList<Row>, left);
    const Family &family = familyOf(table);
    TestEnvironment env;
    seed(env);
    Screen screen(env);
    screen.toggle(family)->click();
    if (picked >= 0)
        screen.ui.pick(family.list, picked);
    screen.ui.type(family.list, typed);
    screen.ui.press(family.remove);
    QCOMPARE(rowsOf(env, table), left);
    QCOMPARE(env.dialogs.shown.size(), 0);
}

// ---- Nothing to act on ---------------------------------------------------------------------

namespace {
void addActionRows()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<bool>("change"); // else "Elimina"
    for (const Family &family : families) {
        QTest::addRow("%s Modifica", qPrintable(family.table)) << family.table << true;
        QTest::addRow("%s Elimina", qPrintable(family.table)) << family.table << false;
    }
}
} // namespace

void TestLookupMaintenance::typedTextMatchingNothingChangesNothing_data()
{
    addActionRows();
}

void TestLookupMaintenance::typedTextMatchingNothingChangesNothing()
{
    QFETCH(QString, table);
    QFETCH(bool, change);
    const Family &family = familyOf(table);
    TestEnvironment env;
    seed(env);
    Screen screen(env);
    screen.toggle(family)->click();
    screen.ui.type(family.list, QStringLiteral("inesistente"));
    const ListState before = stateOf(screen.list(family));

    env.dialogs.answerButton(QMessageBox::Ok);
    screen.ui.press(change ? family.change : family.remove);

    QCOMPARE(rowsOf(env, table), seeded);
    QCOMPARE(env.dialogs.shown.size(), 1);
    const ShownBox &box = env.dialogs.last();
    QVERIFY2(box.text.contains(QStringLiteral("\"inesistente\"")), qPrintable(box.text));
    QVERIFY(box.text.contains(change ? QStringLiteral("nulla è stato modificato")
                                     : QStringLiteral("nulla è stato eliminato")));
    QCOMPARE(box.icon, QMessageBox::Information);
    QCOMPARE(stateOf(screen.list(family)), before); // the typed text is kept
    QVERIFY(screen.frame(family)->isVisible());
}

void TestLookupMaintenance::emptyTableChangesNothing_data()
{
    addActionRows();
}

void TestLookupMaintenance::emptyTableChangesNothing()
{
    QFETCH(QString, table);
    QFETCH(bool, change);
    const Family &family = familyOf(table);
    TestEnvironment env;
    Screen screen(env);
    screen.toggle(family)->click();

    env.dialogs.answerButton(QMessageBox::Ok);
    screen.ui.press(change ? family.change : family.remove);

    QCOMPARE(rowsOf(env, table), QList<Row>());
    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY2(env.dialogs.last().text.contains(QStringLiteral("è vuoto")), qPrintable(env.dialogs.last().text));
    QCOMPARE(env.dialogs.last().icon, QMessageBox::Information); // not a failure
    QVERIFY(screen.frame(family)->isVisible());
}

void TestLookupMaintenance::entryGoneMeanwhileIsReported_data()
{
    addActionRows();
}

void TestLookupMaintenance::entryGoneMeanwhileIsReported()
{
    QFETCH(QString, table);
    QFETCH(bool, change);
    const Family &family = familyOf(table);
    TestEnvironment env;
    seed(env);
    Screen screen(env);
    screen.toggle(family)->click();
    screen.ui.pick(family.list, 1);
    runSql(env, {QStringLiteral("DELETE FROM %1 WHERE ID = 2").arg(table)}); // by another program

    env.dialogs.answerButton(QMessageBox::Ok);
    screen.ui.press(change ? family.change : family.remove);

    QCOMPARE(rowsOf(env, table), (QList<Row>{{1, QStringLiteral("zeta")}, {3, QStringLiteral("zeta")}}));
    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY(env.dialogs.last().text.contains(QStringLiteral("non è più")));
    QCOMPARE(screen.list(family)->currentText(), QStringLiteral("arte"));
}

// ---- Catalogue records ---------------------------------------------------------------------

void TestLookupMaintenance::catalogueRowsKeepTheOldTexts()
{
    TestEnvironment env;
    seed(env);
    runSql(env,
           QStringLiteral("INSERT INTO Tabella (Chiave, Argomento, Pubblicazione, Allocazione) VALUES (?, ?, ?, ?)"),
           {QStringLiteral("arte"), QStringLiteral("soggetto"), QStringLiteral("arte"), QStringLiteral("zeta")});
    Screen screen(env);
    for (const Family &family : families) {
        screen.toggle(family)->click();
        screen.ui.pick(family.list, 1); // "arte"
        screen.ui.type(family.list, QStringLiteral("nuova"));
        screen.ui.press(family.change);
        screen.ui.pick(family.list, 0); // "zeta"
        screen.ui.press(family.remove);
        QCOMPARE(rowsOf(env, family.table), (QList<Row>{{2, QStringLiteral("nuova")}, {3, QStringLiteral("zeta")}}));
        screen.toggle(family)->click();
    }
    const QList<QVariantMap> records = testdata::rowsOf(env, QStringLiteral("Tabella"));
    QCOMPARE(records.size(), 1);
    QCOMPARE(records.first().value(QStringLiteral("Chiave")).toString(), QStringLiteral("arte"));
    QCOMPARE(records.first().value(QStringLiteral("Pubblicazione")).toString(), QStringLiteral("arte"));
    QCOMPARE(records.first().value(QStringLiteral("Allocazione")).toString(), QStringLiteral("zeta"));
    QCOMPARE(env.dialogs.shown.size(), 0);
}

QTEST_MAIN(TestLookupMaintenance)
#include "tst_lookupmaintenance.moc"
