#include "gui/kit/Dialogs.h"

#include "gui/kit/Texts.h"

#include <QFileDialog>
#include <QInputDialog>

QMessageBox::StandardButton QtDialogs::message(QWidget *parent, const QString &text, const QString &title,
                                               QMessageBox::StandardButtons buttons, QMessageBox::Icon icon,
                                               QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

InputAnswer QtDialogs::input(QWidget *parent, const QString &prompt, const QString &title, const QString &defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? InputAnswer{true, text} : InputAnswer{false, QString()};
}

InputAnswer QtDialogs::choose(QWidget *parent, const QString &prompt, const QString &title, const QStringList &items)
{
    bool ok = false;
    const QString text = QInputDialog::getItem(parent, title, prompt, items, 0, false, &ok);
    return ok ? InputAnswer{true, text} : InputAnswer{false, QString()};
}

QString QtDialogs::openFileName(QWidget *parent, const QString &title, const QString &folder, const QString &filter)
{
    // Qt draws the dialog itself, so that it reads the same on every desktop.
    return QFileDialog::getOpenFileName(parent, title, folder, filter, nullptr, QFileDialog::DontUseNativeDialog);
}

QString QtDialogs::saveFileName(QWidget *parent, const QString &title, const QString &proposed, const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, title, proposed, filter, nullptr, QFileDialog::DontUseNativeDialog);
}

void Dialogs::inform(QWidget *parent, const QString &text, QMessageBox::Icon icon, const QString &title)
{
    message(parent, text, title.isEmpty() ? texts::applicationTitle() : title, QMessageBox::Ok, icon);
}

void Dialogs::warn(QWidget *parent, const QString &text)
{
    inform(parent, text, QMessageBox::Warning);
}

void Dialogs::fail(QWidget *parent, const QString &text)
{
    inform(parent, text, QMessageBox::Critical);
}

bool Dialogs::askBeforeChanging(QWidget *parent, const QString &question, const QString &title,
                                  QMessageBox::Icon icon)
{
    return message(parent, question, title.isEmpty() ? texts::applicationTitle() : title,
                   QMessageBox::Yes | QMessageBox::No, icon, QMessageBox::No)
        == QMessageBox::Yes;
}
