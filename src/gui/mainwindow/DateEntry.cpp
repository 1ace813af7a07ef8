#include "gui/mainwindow/DateEntry.h"

#include <QEvent>
#include <QLineEdit>

namespace dateentry {

namespace {

bool isDigitsOnly(const QString &text)
{
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// Watches one box and normalises its text when the focus goes elsewhere.
class DateNormaliser : public QObject {
public:
    explicit DateNormaliser(QLineEdit &box) : QObject(&box), m_box(box) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &m_box && event->type() == QEvent::FocusOut) {
            QString copy = m_box.text();
            const QString normalised = slashedDate(copy);
            if (normalised != m_box.text())
                m_box.setText(normalised);
        }
        return false;
    }

private:
    QLineEdit &m_box;
};

} // namespace

QString slashedDate(QString &typed)
{
    typed.replace(QLatin1Char('-'), QLatin1Char('/'));
    // Only bare digits are sliced by position: anything holding a separator
    // already says where day, month and year are.
    if (!isDigitsOnly(typed))
        return typed;
    if (typed.size() == 6)
        return typed.left(2) + QLatin1Char('/') + typed.mid(2, 2) + QLatin1Char('/') + typed.mid(4, 2);
    if (typed.size() == 8)
        return typed.left(2) + QLatin1Char('/') + typed.mid(2, 2) + QLatin1Char('/') + typed.mid(4, 4);
    return typed;
}

void normaliseOnLeaving(QLineEdit &box)
{
    box.installEventFilter(new DateNormaliser(box));
}

} // namespace dateentry
