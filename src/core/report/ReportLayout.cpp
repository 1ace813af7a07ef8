#include "core/report/ReportLayout.h"

#include "core/report/Fonts.h"

#include <QDate>
#include <QLocale>
#include <algorithm>

namespace report {

const ReportControl *ReportBand::control(const QString &controlName) const
{
    for (const ReportControl &c : controls)
        if (c.name == controlName)
            return &c;
    return nullptr;
}

QRect ReportBand::printableBox(const ReportControl &control) const
{
    // Clear space left before the next box, so that a cut value and its
    // neighbour do not read as one word.
    constexpr int gapTwips = 30;
    const QRect &box = control.twips;
    int right = box.left() + box.width();
    for (const ReportControl &other : controls) {
        const QRect &next = other.twips;
        const bool onTheLine = next.top() < box.top() + box.height() && box.top() < next.top() + next.height();
        if (other.kind != ReportControl::Line && onTheLine && next.left() > box.left())
            right = std::min(right, next.left() - gapTwips);
    }
    return QRect(box.left(), box.top(), std::max(0, right - box.left()), box.height());
}

QVector<const ReportBand *> ReportLayout::bands() const
{
    return {&reportHeader, &pageHeader, &detail, &pageFooter, &reportFooter};
}

QStringList ReportLayout::fieldNames() const
{
    QStringList names;
    for (const ReportBand *band : bands())
        for (const ReportControl &c : band->controls)
            if (c.kind == ReportControl::Field)
                names.append(c.text);
    return names;
}

QString expandPlaceholders(const QString &caption, const QDate &date, int page, int pageCount)
{
    // One pass from left to right, so that a replaced text is never read again.
    QString text;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar next = i + 1 < caption.size() ? caption.at(i + 1) : QChar();
        if (caption.at(i) == QLatin1Char('%') && next == QLatin1Char('D')) {
            text += QLocale(QLocale::Italian, QLocale::Italy).toString(date, QLocale::LongFormat);
        } else if (caption.at(i) == QLatin1Char('%') && next == QLatin1Char('p')) {
            text += QString::number(page);
        } else if (caption.at(i) == QLatin1Char('%') && next == QLatin1Char('P')) {
            text += QString::number(pageCount);
        } else {
            text += caption.at(i);
            continue;
        }
        ++i;
    }
    return text;
}

QFont reportFont(const QString &family, double points, bool bold)
{
    return fonts::named(family, points, bold);
}

} // namespace report
