#pragma once
// Dialogs for tests: every box shown is recorded (kind, text, title, buttons, icon)
// and answered from a queue of prepared answers. A box that finds no prepared
// answer is recorded as unexpected and answered with the box's first button, or
// Cancel for input boxes, so that a test fails instead of hanging.
#include "gui/kit/Dialogs.h"

#include <QList>
#include <QStringList>
#include <functional>

struct ShownBox {
    enum Kind { Message, Input, Choice, OpenFile, SaveFile } kind = Message;
    QString text; // message text, or the prompt
    QString title;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QString defaultText; // input boxes: the default text; file dialogs: the folder, or the name offered
    QString filter;      // file dialog
    QStringList items;   // choice boxes
};

class ScriptedDialogs : public Dialogs {
public:
    // Prepared answers, taken in order by the boxes that come next.
    void answerButton(QMessageBox::StandardButton button);
    void answerInput(const QString &text); // typed text, then OK
    void answerCancel();                   // Cancel on an input, choice or file box
    void answerFile(const QString &path);
    void answerChoice(const QString &item);
    // Runs while the box is "open", before it returns (to look at the windows then).
    void duringNextBox(std::function<void()> action);

    QList<ShownBox> shown; // every box, oldest first
    int unexpected = 0;    // boxes that found no prepared answer
    int pendingAnswers() const { return int(m_answers.size()); }
    const ShownBox &last() const { return shown.constLast(); }
    void clear()
    {
        shown.clear();
        m_answers.clear();
        unexpected = 0;
    }

    QMessageBox::StandardButton message(QWidget *parent, const QString &text, const QString &title,
                                        QMessageBox::StandardButtons buttons, QMessageBox::Icon icon,
                                        QMessageBox::StandardButton defaultButton) override;
    InputAnswer input(QWidget *parent, const QString &prompt, const QString &title,
                      const QString &defaultText) override;
    InputAnswer choose(QWidget *parent, const QString &prompt, const QString &title, const QStringList &items) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &folder, const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &proposed,
                         const QString &filter) override;

private:
    struct Answer {
        enum Kind { Button, Text, Cancel, Action } kind;
        QMessageBox::StandardButton button = QMessageBox::NoButton;
        QString text;
        std::function<void()> action;
    };
    bool takeAnswer(Answer &answer);
    QString fileName(ShownBox::Kind kind, const QString &title, const QString &folder, const QString &filter);
    QList<Answer> m_answers;
};
