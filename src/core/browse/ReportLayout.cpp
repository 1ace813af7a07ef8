#include "core/browse/ReportLayout.h"

#include <QDate>
#include <QLocale>

namespace report {

const ReportControl *ReportBand::control(const QString &controlName) const
{
    for (const ReportControl &c : controls)
        if (c.name == controlName)
            return &c;
    return nullptr;
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
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace report
