#pragma once
// The one door through which the program asks the user something: message boxes,
// input boxes and the file-open dialog. The program uses QtDialogs; tests use a
// scripted implementation that records every box and returns prepared answers.
#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

struct InputAnswer {
    bool accepted = false; // false when the user pressed Cancel or closed the box
    QString text;          // the typed text; empty after Cancel
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // `defaultButton` is the one Enter presses (NoButton: the style's choice).
    virtual QMessageBox::StandardButton message(QWidget *parent, const QString &text, const QString &title,
                                                QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                QMessageBox::Icon icon = QMessageBox::NoIcon,
                                                QMessageBox::StandardButton defaultButton = QMessageBox::NoButton)
        = 0;
    virtual InputAnswer input(QWidget *parent, const QString &prompt, const QString &title,
                              const QString &defaultText = QString())
        = 0;
    // A choice among items (for example the scanners found); accepted false on Cancel.
    virtual InputAnswer choose(QWidget *parent, const QString &prompt, const QString &title, const QStringList &items)
        = 0;
    // Full path of the chosen file, or the empty text when the dialog was cancelled.
    virtual QString openFileName(QWidget *parent, const QString &title, const QString &folder, const QString &filter)
        = 0;
    // Full path of the file to write (`proposed` is the folder and name offered),
    // or the empty text when the dialog was cancelled. An existing file is
    // replaced only when the user confirms it in the dialog.
    virtual QString saveFileName(QWidget *parent, const QString &title, const QString &proposed,
                                 const QString &filter)
        = 0;

    // Boxes with the program's title: information, a warning, a Critical error.
    void inform(QWidget *parent, const QString &text, QMessageBox::Icon icon = QMessageBox::Information,
                const QString &title = QString()); // empty: the program's title
    void warn(QWidget *parent, const QString &text);
    void fail(QWidget *parent, const QString &text);
    // A Sì/No question whose "Sì" changes stored data or drops what the user typed
    // (true for Sì): "No" is the default, so that Enter changes nothing.
    bool askBeforeChanging(QWidget *parent, const QString &question, const QString &title = QString(),
                           QMessageBox::Icon icon = QMessageBox::NoIcon); // empty title: the program's title
};

class QtDialogs : public Dialogs {
public:
    QMessageBox::StandardButton message(QWidget *parent, const QString &text, const QString &title,
                                        QMessageBox::StandardButtons buttons, QMessageBox::Icon icon,
                                        QMessageBox::StandardButton defaultButton) override;
    InputAnswer input(QWidget *parent, const QString &prompt, const QString &title,
                      const QString &defaultText) override;
    InputAnswer choose(QWidget *parent, const QString &prompt, const QString &title, const QStringList &items) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &folder, const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &proposed,
                         const QString &filter) override;
};
