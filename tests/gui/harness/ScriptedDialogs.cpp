#include "ScriptedDialogs.h"

void ScriptedDialogs::answerButton(QMessageBox::StandardButton button)
{
    m_answers.append({Answer::Button, button, {}, {}});
}
void ScriptedDialogs::answerInput(const QString &text)
{
    m_answers.append({Answer::Text, {}, text, {}});
}
void ScriptedDialogs::answerCancel()
{
    m_answers.append({Answer::Cancel, {}, {}, {}});
}
void ScriptedDialogs::answerFile(const QString &path)
{
    m_answers.append({Answer::Text, {}, path, {}});
}
void ScriptedDialogs::answerChoice(const QString &item)
{
    m_answers.append({Answer::Text, {}, item, {}});
}
void ScriptedDialogs::duringNextBox(std::function<void()> action)
{
    m_answers.append({Answer::Action, {}, {}, std::move(action)});
}

bool ScriptedDialogs::takeAnswer(Answer &answer)
{
    while (!m_answers.isEmpty() && m_answers.first().kind == Answer::Action) {
        auto action = m_answers.takeFirst().action;
        action();
    }
    if (m_answers.isEmpty()) {
        ++unexpected;
        return false;
    }
    answer = m_answers.takeFirst();
    return true;
}

static QMessageBox::StandardButton firstButton(QMessageBox::StandardButtons buttons)
{
    for (int bit = QMessageBox::FirstButton; bit <= QMessageBox::LastButton; bit <<= 1)
        if (buttons & bit)
            return QMessageBox::StandardButton(bit);
    return QMessageBox::Ok;
}

QMessageBox::StandardButton ScriptedDialogs::message(QWidget *, const QString &text, const QString &title,
                                                     QMessageBox::StandardButtons buttons, QMessageBox::Icon icon,
                                                     QMessageBox::StandardButton defaultButton)
{
    shown.append({ShownBox::Message, text, title, buttons, icon, defaultButton, {}, {}, {}});
    Answer answer;
    if (!takeAnswer(answer))
        return firstButton(buttons);
    if (answer.kind == Answer::Button)
        return answer.button;
    if (answer.kind == Answer::Cancel)
        return QMessageBox::Cancel;
    ++unexpected; // a text answer given to a message box
    return firstButton(buttons);
}

InputAnswer ScriptedDialogs::input(QWidget *, const QString &prompt, const QString &title, const QString &defaultText)
{
    shown.append({ShownBox::Input, prompt, title, {}, QMessageBox::NoIcon, QMessageBox::NoButton, defaultText, {}, {}});
    Answer answer;
    if (!takeAnswer(answer) || answer.kind != Answer::Text)
        return {};
    return {true, answer.text};
}

InputAnswer ScriptedDialogs::choose(QWidget *, const QString &prompt, const QString &title, const QStringList &items)
{
    shown.append({ShownBox::Choice, prompt, title, {}, QMessageBox::NoIcon, QMessageBox::NoButton, {}, {}, items});
    Answer answer;
    if (!takeAnswer(answer) || answer.kind != Answer::Text)
        return {};
    return {true, answer.text};
}

QString ScriptedDialogs::fileName(ShownBox::Kind kind, const QString &title, const QString &folder,
                                  const QString &filter)
{
    shown.append({kind, {}, title, {}, QMessageBox::NoIcon, QMessageBox::NoButton, folder, filter, {}});
    Answer answer;
    if (!takeAnswer(answer) || answer.kind != Answer::Text)
        return {};
    return answer.text;
}

QString ScriptedDialogs::openFileName(QWidget *, const QString &title, const QString &folder, const QString &filter)
{
    return fileName(ShownBox::OpenFile, title, folder, filter);
}

QString ScriptedDialogs::saveFileName(QWidget *, const QString &title, const QString &proposed, const QString &filter)
{
    return fileName(ShownBox::SaveFile, title, proposed, filter);
}
