#pragma once
// The base every window test stands on. A window's controls are found by their
// original names (their objectName, as the layout files and the INI sections
// know them) and driven as a user drives them; the message boxes a test expects
// are checked by kind, icon and exact text. With TestEnvironment (a program
// folder, its catalogue, the scripted dialogs) and the window registry, a new
// case is a few lines:
//
//     TestEnvironment env;
//     Windows windows(env.context);
//     const Ui ui(windows.mainWindow());
//     ui.click(u"Check5");
//     ui.type(u"Text4", QStringLiteral("Giotto"));
//     ui.click(u"Command1");
//     QVERIFY_BOX(env.dialogs.last(), .text = QStringLiteral(" ERRORE : ..."), .title = ...);
#include "ScriptedDialogs.h"

#include <QAction>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QWidget>

class Ui {
public:
    explicit Ui(QWidget &shown) : window(shown) {}
    QWidget &window;

    // The control (or menu item) of that name and kind; a window without it ends
    // the test with a message naming it.
    template <typename T = QWidget> T *find(QStringView name) const
    {
        return static_cast<T *>(findNamed(name, T::staticMetaObject));
    }
    QCheckBox *checkBox(QStringView name) const { return find<QCheckBox>(name); }
    QComboBox *comboBox(QStringView name) const { return find<QComboBox>(name); }
    QLineEdit *lineEdit(QStringView name) const { return find<QLineEdit>(name); }
    QPlainTextEdit *textArea(QStringView name) const { return find<QPlainTextEdit>(name); }
    QPushButton *button(QStringView name) const { return find<QPushButton>(name); }
    QGroupBox *frame(QStringView name) const { return find<QGroupBox>(name); }
    QLabel *label(QStringView name) const { return find<QLabel>(name); }
    QTableView *grid(QStringView name) const { return find<QTableView>(name); }
    QCalendarWidget *calendar(QStringView name) const { return find<QCalendarWidget>(name); }
    QAction *action(QStringView name) const { return find<QAction>(name); }

    // What a user does: a click on a button or check box (as the space bar gives
    // it, the focus staying where it is); a press of it with the mouse, which
    // takes the focus first; a text written over what a box, a list or a text
    // area holds; an entry of a list picked with the arrow keys; a menu item chosen.
    void click(QStringView name) const;
    void press(QStringView name) const;
    void type(QStringView name, const QString &text) const;
    void pick(QStringView name, int index) const;
    void pick(QStringView name, const QString &entry) const;
    void trigger(QStringView name) const;

private:
    QObject *findNamed(QStringView name, const QMetaObject &kind) const;
};

// A box as a test expects it: of `kind`, with `icon` and exactly `text`; its
// title and buttons too when given.
struct ExpectedBox {
    ShownBox::Kind kind = ShownBox::Message;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text = {};
    QString title = {};                        // empty: any
    QMessageBox::StandardButtons buttons = {}; // none: any
};

// Empty when `box` is as expected, else what differs.
QString differences(const ShownBox &box, const ExpectedBox &expected);

// QVERIFY_BOX(env.dialogs.last(), .icon = QMessageBox::Warning, .text = ...)
#define QVERIFY_BOX(box, ...)                                                                                          \
    do {                                                                                                               \
        const QString boxDifferences_ = differences((box), ExpectedBox{__VA_ARGS__});                                  \
        QVERIFY2(boxDifferences_.isEmpty(), qPrintable(boxDifferences_));                                              \
    } while (false)
