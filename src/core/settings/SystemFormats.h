#pragma once
// Dates and times as the desktop shows them. The program is made for the Italian
// regional settings, whose short date has a four-digit year (25/04/2009); Qt's
// own short format for Italian has two, so the year is widened here.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace formats {
QString shortDate(const QDate &date); // "25/04/2009" with the Italian locale
QString time(const QTime &time);      // "09:05:03" with the Italian locale
// The caption of the main window's clock: "Ore..." time, four blanks, date.
QString clockCaption(const QDateTime &now);
} // namespace formats
