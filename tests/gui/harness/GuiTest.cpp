#include "GuiTest.h"

#include <QMetaEnum>

QObject *Ui::findNamed(QStringView name, const QMetaObject &kind) const
{
    const QList<QObject *> named = window.findChildren<QObject *>(name.toString());
    for (QObject *found : named)
        if (kind.cast(found))
            return found;
    qFatal("the window %s has no %s %s", qPrintable(window.objectName()), kind.className(),
           qPrintable(name.toString()));
}

void Ui::click(QStringView name) const
{
    find<QAbstractButton>(name)->click();
}

void Ui::press(QStringView name) const
{
    QTest::mouseClick(find(name), Qt::LeftButton);
}

void Ui::type(QStringView name, const QString &text) const
{
    if (auto *area = qobject_cast<QPlainTextEdit *>(find(name))) {
        area->setFocus();
        area->selectAll();
        area->insertPlainText(text);
        return;
    }
    QWidget *control = find(name);
    auto *box = qobject_cast<QLineEdit *>(control);
    if (auto *list = qobject_cast<QComboBox *>(control))
        box = list->lineEdit();
    if (!box)
        qFatal("%s takes no typing", qPrintable(name.toString()));
    control->setFocus();
    box->selectAll();
    bool ascii = true;
    for (const QChar c : text)
        ascii = ascii && c.unicode() < 0x80;
    if (text.isEmpty())
        QTest::keyClick(control, Qt::Key_Delete);
    else if (ascii)
        QTest::keyClicks(control, text);
    else
        box->insert(text); // key events are made for ASCII only
}

void Ui::pick(QStringView name, int index) const
{
    QComboBox *list = comboBox(name);
    list->setFocus();
    while (list->currentIndex() < index)
        QTest::keyClick(list, Qt::Key_Down);
    while (list->currentIndex() > index)
        QTest::keyClick(list, Qt::Key_Up);
}

void Ui::pick(QStringView name, const QString &entry) const
{
    const int index = comboBox(name)->findText(entry);
    if (index < 0)
        qFatal("the list %s has no entry %s", qPrintable(name.toString()), qPrintable(entry));
    pick(name, index);
}

void Ui::trigger(QStringView name) const
{
    action(name)->trigger();
}

QString differences(const ShownBox &box, const ExpectedBox &expected)
{
    const auto kindName = [](ShownBox::Kind kind) {
        const char *names[] = {"message", "input box", "choice", "file dialog"};
        return QString::fromLatin1(names[kind]);
    };
    const auto iconName = [](QMessageBox::Icon icon) {
        return QString::fromLatin1(QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(icon));
    };
    QStringList found;
    if (box.kind != expected.kind)
        found << QStringLiteral("a %1, not a %2").arg(kindName(box.kind), kindName(expected.kind));
    if (box.icon != expected.icon)
        found << QStringLiteral("icon %1, not %2").arg(iconName(box.icon), iconName(expected.icon));
    if (box.text != expected.text)
        found << QStringLiteral("text \"%1\", not \"%2\"").arg(box.text, expected.text);
    if (!expected.title.isEmpty() && box.title != expected.title)
        found << QStringLiteral("title \"%1\", not \"%2\"").arg(box.title, expected.title);
    if (expected.buttons && box.buttons != expected.buttons)
        found << QStringLiteral("buttons %1, not %2").arg(int(box.buttons)).arg(int(expected.buttons));
    return found.join(QStringLiteral("; "));
}
