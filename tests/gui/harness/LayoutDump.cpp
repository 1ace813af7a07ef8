#include "LayoutDump.h"

#include "core/settings/Twips.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTextStream>

namespace layout {

namespace {

QString twipsOf(int pixels)
{
    return QString::number(qRound(twips::fromPixels(pixels)));
}

QString fontText(const QFont &font)
{
    return QStringLiteral("%1 %2%3").arg(font.family(), QString::number(font.pointSizeF()),
                                         font.bold() ? QStringLiteral(" bold") : QString());
}

QString captionOf(const QWidget &widget)
{
    if (widget.isWindow())
        return widget.windowTitle();
    if (const auto *box = qobject_cast<const QGroupBox *>(&widget))
        return box->title();
    if (const auto *button = qobject_cast<const QAbstractButton *>(&widget))
        return button->text();
    if (const auto *label = qobject_cast<const QLabel *>(&widget))
        return label->text();
    return QString();
}

// The Qt class the control is, without the program's own subclasses.
QString kindOf(const QWidget &widget)
{
    const QMetaObject *meta = widget.metaObject();
    while (meta && !QByteArray(meta->className()).startsWith('Q'))
        meta = meta->superClass();
    return meta ? QLatin1String(meta->className()) : QStringLiteral("?");
}

QString limits(const QWidget &widget)
{
    QStringList notes;
    if (widget.isWindow()) {
        if ((widget.windowFlags() & Qt::WindowType_Mask) == Qt::Tool)
            notes << QStringLiteral("tool-window");
        if (widget.minimumSize() == widget.maximumSize())
            notes << QStringLiteral("fixed-size");
    }
    if (widget.autoFillBackground())
        notes << QStringLiteral("background=") + widget.palette().color(widget.backgroundRole()).name();
    if (qobject_cast<const QAbstractButton *>(&widget)
        && widget.palette().color(QPalette::Button) != QApplication::palette().color(QPalette::Button))
        notes << QStringLiteral("button=") + widget.palette().color(QPalette::Button).name();
    if (widget.isHidden())
        notes << QStringLiteral("hidden");
    if (!widget.isEnabled())
        notes << QStringLiteral("disabled");
    if (const auto *edit = qobject_cast<const QLineEdit *>(&widget)) {
        if (edit->isReadOnly())
            notes << QStringLiteral("read-only");
        if (const QVariant limit = edit->property("characterLimit"); limit.isValid())
            notes << QStringLiteral("max %1 characters").arg(limit.toInt());
        else if (const QVariant digits = edit->property("digitLimit"); digits.isValid())
            notes << QStringLiteral("max %1 digits").arg(digits.toInt());
        else if (edit->maxLength() != 32767)
            notes << QStringLiteral("max %1").arg(edit->maxLength());
    }
    if (const auto *combo = qobject_cast<const QComboBox *>(&widget); combo && combo->isEditable())
        notes << QStringLiteral("editable");
    return notes.join(QLatin1Char(' '));
}

void describeInto(QTextStream &out, const QWidget &widget, const QFont &parentFont, int depth)
{
    const QRect area = widget.isWindow() ? QRect(QPoint(), widget.size()) : widget.geometry();
    QString line = QString(depth * 2, QLatin1Char(' ')) + widget.objectName() + QLatin1Char(' ') + kindOf(widget);
    const QString caption = captionOf(widget);
    if (!caption.isEmpty())
        line += QStringLiteral(" \"%1\"").arg(QString(caption).replace(QLatin1Char('\n'), QStringLiteral("\\n")));
    line += QStringLiteral(" %1,%2 %3x%4")
                .arg(twipsOf(area.x()), twipsOf(area.y()), twipsOf(area.width()), twipsOf(area.height()));
    if (widget.font() != parentFont)
        line += QStringLiteral(" font=") + fontText(widget.font());
    if (const QString notes = limits(widget); !notes.isEmpty())
        line += QLatin1Char(' ') + notes;
    out << line << '\n';

    if (const auto *window = qobject_cast<const QMainWindow *>(&widget))
        for (const QAction *action : window->menuBar()->actions())
            out << QString((depth + 1) * 2, QLatin1Char(' ')) << action->objectName() << " menu \"" << action->text()
                << "\"\n";
    // Controls with a name of their own, in the order they were made.
    for (const QObject *child : widget.children()) {
        const auto *control = qobject_cast<const QWidget *>(child);
        if (!control || control->objectName().isEmpty() || control->objectName().startsWith(QStringLiteral("qt_")))
            continue;
        describeInto(out, *control, widget.font(), depth + 1);
    }
}

} // namespace

QString describe(const QWidget &window)
{
    QString text;
    QTextStream out(&text);
    out << "# " << window.objectName()
        << ": name kind \"caption\" left,top widthxheight (twips) [font] [state and colours]\n";
    describeInto(out, window, QFont(), 0);
    return text;
}

QString compareWithFile(const QWidget &window, const QString &golden)
{
    const QString actual = describe(window);
    QFile file(golden);
    if (qEnvironmentVariableIsSet("UPDATE_LAYOUTS")) {
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QStringLiteral("cannot write ") + golden;
        file.write(actual.toUtf8());
        return QString();
    }
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("no layout file %1 (run with UPDATE_LAYOUTS=1 to make it)").arg(golden);
    const QStringList expected = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    const QStringList lines = actual.split(QLatin1Char('\n'));
    for (int i = 0; i < std::max(expected.size(), lines.size()); ++i)
        if (expected.value(i) != lines.value(i))
            return QStringLiteral("%1, line %2:\n  expected: %3\n  actual:   %4")
                .arg(golden)
                .arg(i + 1)
                .arg(expected.value(i), lines.value(i));
    return QString();
}

} // namespace layout
