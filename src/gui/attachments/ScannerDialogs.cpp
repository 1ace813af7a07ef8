#include "gui/attachments/ScannerDialogs.h"

#include "gui/kit/Dialogs.h"

#include <QWidget>

void ScannerDialogs::noScanner(QObject *window, const QString &reason)
{
    const QString why = reason.isEmpty() ? QString() : QStringLiteral("\n") + reason;
    m_dialogs.warn(qobject_cast<QWidget *>(window),
                   QStringLiteral("Nessuno scanner trovato: collegare e accendere lo scanner, poi riprovare.") + why);
}

std::optional<QString> ScannerDialogs::choose(QObject *window, const QStringList &labels)
{
    const InputAnswer answer
        = m_dialogs.choose(qobject_cast<QWidget *>(window), QStringLiteral("Scegliere lo scanner da usare:"),
                           QStringLiteral("Scanner"), labels);
    if (!answer.accepted)
        return std::nullopt;
    return answer.text;
}
