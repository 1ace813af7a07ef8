#include "gui/kit/DigitsOnly.h"

#include <QLineEdit>

DigitsOnly::DigitsOnly(int maxDigits, QObject *parent) : QValidator(parent), m_maxDigits(maxDigits)
{
}

QValidator::State DigitsOnly::validate(QString &input, int &pos) const
{
    QString digits;
    int digitsBeforeCursor = 0;
    for (int i = 0; i < input.size(); ++i) {
        const QChar c = input.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            continue;
        digits.append(c);
        if (i < pos)
            ++digitsBeforeCursor;
    }
    digits.truncate(m_maxDigits);
    input = digits;
    pos = qMin(digitsBeforeCursor, int(digits.size()));
    return Acceptable;
}

void acceptDigitsOnly(QLineEdit &box, int maxDigits)
{
    // QLineEdit would cut a pasted text to its limit before the filter sees it;
    // 32767 is its own default, no limit.
    box.setMaxLength(32767);
    box.setValidator(new DigitsOnly(maxDigits, &box));
    box.setProperty("digitLimit", maxDigits);
}
