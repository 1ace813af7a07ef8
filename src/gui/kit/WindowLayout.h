#pragma once
// A window's look as data, as the report's layout is: the window's name, caption
// and size, then one row per control (its name, kind, parent, caption, place and
// size in twips, font, colours, what may be typed in it), in the order the
// controls are made, which is also their tab order; then which controls lie
// over which. A window builds itself from its table and holds behaviour only;
// the names are the original's, as every test and the INI sections know them.
#include <QRgb>
#include <QString>
#include <QWidget>

#include <span>

class QComboBox;

namespace windowlayout {

enum class Kind {
    Panel,          // QWidget: the inner area of a window with a menu bar
    Frame,          // QGroupBox, captioned
    Label,          // QLabel; without a size, as large as its caption
    TextBox,        // QLineEdit
    TextArea,       // QPlainTextEdit, its vertical scroll bar always shown
    PickList,       // QComboBox the user picks from or types in; it never sorts, completes or adds
    CheckBox,       // QCheckBox
    Button,         // QPushButton
    WrappingButton, // a push button whose caption wraps onto more lines
    Calendar,       // QCalendarWidget without week numbers
    Grid,           // a data grid (datagrid::DataGridView)
    MenuItem,       // a QAction on the menu bar of a QMainWindow
};

struct Font {
    const char16_t *family = nullptr; // nullptr: the parent's font
    double points = 0;
    bool bold = false;
};

// A length of text without limit: nothing typed or pasted is ever cut off.
constexpr int anyLength = -1;

struct Control {
    const char16_t *name; // the objectName
    Kind kind;
    const char16_t *parent = nullptr; // nullptr: the window (or its inner area, when it has one)
    const char16_t *caption = nullptr;
    double left = 0, top = 0, width = 0, height = 0; // twips, within the parent
    Font font = {};
    Font headerFont = {};         // grids: the column headings
    QRgb background = 0;          // 0 (no alpha): the parent's
    QRgb face = 0;                // buttons: the face; lists: the typing area and the arrow's button
    QRgb textColour = 0;          // grids: the cells' text
    int characters = 0;           // boxes: at most so many characters (anyLength: any); 0: Qt's own limit
    int digits = 0;               // boxes taking only the digits 0-9, at most so many
    Qt::Alignment alignment = {}; // labels and boxes; none: Qt's own
    bool wordWrap = false;        // labels
    bool readOnly = false;        // boxes
};

struct Window {
    const char16_t *name;
    const char16_t *caption;
    double width = 0, height = 0; // twips: the client area (below the menu bar, when there is one)
    Font font = {};
    QRgb background = 0;
    bool fixedSize = false;
};

struct Layout {
    Window window;
    std::span<const Control> controls;
    // Controls from the top one down, sibling by sibling; the siblings not named
    // lie below those named, in the order they were made.
    std::span<const char16_t *const> stacking = {};
};

// Makes `window` a tool window with the table's name, caption, size, font and
// background, and every control of the table in it. A window with a menu bar
// (a QMainWindow) gets its Panel as its central widget.
void build(QWidget &window, const Layout &layout);

// An editable combo box as a PickList is: the user picks or types; it neither
// sorts, completes nor adds typed texts to its list.
void makePickList(QComboBox &combo);

// The control of `window` of that name and kind; a control the window lacks is
// a programming error and ends the program with a message saying so.
QObject *find(const QWidget &window, const char16_t *name, const QMetaObject &kind);
template <typename T> T *control(const QWidget &window, const char16_t *name)
{
    return static_cast<T *>(find(window, name, T::staticMetaObject));
}

} // namespace windowlayout
