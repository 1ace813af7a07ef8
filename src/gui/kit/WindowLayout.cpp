#include "gui/kit/WindowLayout.h"

#include "core/settings/Twips.h"
#include "gui/kit/CharacterLimit.h"
#include "gui/kit/DataGrid.h"
#include "gui/kit/DigitsOnly.h"
#include "gui/kit/ToolWindow.h"
#include "gui/kit/WrappingButton.h"

#include <QAction>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>

namespace windowlayout {

namespace {

QString text(const char16_t *value)
{
    return value ? QString::fromUtf16(value) : QString();
}

bool given(const Font &font)
{
    return font.family != nullptr;
}

QFont fontOf(const Font &font)
{
    return toolwindow::font(QString::fromUtf16(font.family), font.points, font.bold);
}

QWidget *make(const Control &control, QWidget *parent)
{
    const QString caption = text(control.caption);
    switch (control.kind) {
    case Kind::Panel:
        return new QWidget(parent);
    case Kind::Frame: {
        auto *frame = new QGroupBox(parent);
        frame->setTitle(caption);
        return frame;
    }
    case Kind::Label:
        return new QLabel(caption, parent);
    case Kind::TextBox:
        return new QLineEdit(parent);
    case Kind::TextArea: {
        auto *area = new QPlainTextEdit(parent);
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        return area;
    }
    case Kind::PickList: {
        auto *list = new QComboBox(parent);
        makePickList(*list);
        return list;
    }
    case Kind::CheckBox:
        return new QCheckBox(caption, parent);
    case Kind::Button:
    case Kind::WrappingButton: {
        auto *button = control.kind == Kind::Button ? new QPushButton(parent) : new WrappingButton(parent);
        button->setText(caption);
        button->setAutoDefault(false);
        return button;
    }
    case Kind::Calendar: {
        auto *calendar = new QCalendarWidget(parent);
        calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        return calendar;
    }
    case Kind::Grid:
        return new datagrid::DataGridView(parent);
    case Kind::MenuItem:
        break;
    }
    return nullptr;
}

// What may be typed in a box, and where its text stands.
void limit(const Control &control, QWidget &widget)
{
    auto *box = qobject_cast<QLineEdit *>(&widget);
    if (auto *list = qobject_cast<QComboBox *>(&widget))
        box = list->lineEdit();
    if (!box)
        return;
    if (control.characters == anyLength)
        removeLengthLimit(*box);
    else if (control.characters > 0)
        limitCharacters(*box, control.characters);
    if (control.digits > 0)
        acceptDigitsOnly(*box, control.digits);
    if (control.alignment)
        box->setAlignment(control.alignment);
    if (control.readOnly)
        box->setReadOnly(true);
}

void colour(const Control &control, QWidget &widget)
{
    if (control.background)
        toolwindow::setBackground(&widget, QColor::fromRgb(control.background));
    if (!control.face && !control.textColour)
        return;
    QPalette palette = widget.palette();
    if (control.face) {
        palette.setColor(QPalette::Button, QColor::fromRgb(control.face));
        if (qobject_cast<QComboBox *>(&widget))
            palette.setColor(QPalette::Base, QColor::fromRgb(control.face));
    }
    if (control.textColour)
        palette.setColor(QPalette::Text, QColor::fromRgb(control.textColour));
    widget.setPalette(palette);
}

void addMenuItem(QWidget &window, const Control &control)
{
    auto *mainWindow = qobject_cast<QMainWindow *>(&window);
    if (!mainWindow)
        qFatal("%s: a menu item on a window without a menu bar", qPrintable(window.objectName()));
    QAction *item = mainWindow->menuBar()->addAction(text(control.caption));
    item->setObjectName(text(control.name));
}

void place(const Control &control, QWidget &widget)
{
    if (control.kind == Kind::Label && control.width == 0) {
        widget.adjustSize();
        widget.move(twips::toPixels(control.left), twips::toPixels(control.top));
    } else {
        toolwindow::place(&widget, control.left, control.top, control.width, control.height);
    }
}

} // namespace

void makePickList(QComboBox &combo)
{
    combo.setEditable(true);
    combo.setInsertPolicy(QComboBox::NoInsert);
    combo.setCompleter(nullptr);
}

void build(QWidget &window, const Layout &layout)
{
    const Window &whole = layout.window;
    toolwindow::makeToolWindow(&window, text(whole.name), text(whole.caption));
    if (given(whole.font))
        window.setFont(fontOf(whole.font));
    if (whole.background)
        toolwindow::setBackground(&window, QColor::fromRgb(whole.background));

    auto *mainWindow = qobject_cast<QMainWindow *>(&window);
    QWidget *inner = &window;
    for (const Control &control : layout.controls) {
        if (control.kind == Kind::MenuItem) {
            addMenuItem(window, control);
            continue;
        }
        QWidget *parent = control.parent ? windowlayout::control<QWidget>(window, control.parent) : inner;
        QWidget *widget = make(control, parent);
        widget->setObjectName(text(control.name));
        if (control.kind == Kind::Panel && mainWindow) {
            mainWindow->setCentralWidget(widget);
            inner = widget;
            continue;
        }
        if (given(control.font))
            widget->setFont(fontOf(control.font));
        if (given(control.headerFont))
            static_cast<QTableView *>(widget)->horizontalHeader()->setFont(fontOf(control.headerFont));
        colour(control, *widget);
        limit(control, *widget);
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            if (control.alignment)
                label->setAlignment(control.alignment);
            label->setWordWrap(control.wordWrap);
        }
        place(control, *widget);
    }

    // Raising from the bottom up leaves the first one named on top.
    for (auto name = layout.stacking.rbegin(); name != layout.stacking.rend(); ++name)
        windowlayout::control<QWidget>(window, *name)->raise();

    const int menuBar = mainWindow ? mainWindow->menuBar()->sizeHint().height() : 0;
    window.resize(twips::toPixels(whole.width), twips::toPixels(whole.height) + menuBar);
    if (whole.fixedSize)
        window.setFixedSize(window.size());
}

QObject *find(const QWidget &window, const char16_t *name, const QMetaObject &kind)
{
    const QString wanted = QString::fromUtf16(name);
    const QList<QObject *> named = window.findChildren<QObject *>(wanted);
    for (QObject *found : named)
        if (kind.cast(found))
            return found;
    qFatal("%s has no %s %s", qPrintable(window.objectName()), kind.className(), qPrintable(wanted));
}

} // namespace windowlayout
