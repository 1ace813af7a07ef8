#include "core/settings/SystemFormats.h"

#include <QLocale>
#include <QRegularExpression>

namespace formats {

QString shortDate(const QDate &date)
{
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    static const QRegularExpression shortYear(QStringLiteral("(?<!y)yy(?!y)"));
    format.replace(shortYear, QStringLiteral("yyyy"));
    return QLocale().toString(date, format);
}

QString time(const QTime &time)
{
    // The long format carries the seconds and, on some locales, a time zone ("t").
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone(QStringLiteral("\\s*t+\\s*"));
    format.replace(zone, QString());
    return QLocale().toString(time, format.trimmed());
}

QString clockCaption(const QDateTime &now)
{
    return QStringLiteral("Ore...") + time(now.time()) + QStringLiteral("    ") + shortDate(now.date());
}

} // namespace formats
