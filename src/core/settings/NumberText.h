#pragma once
// Numbers as the settings file holds them.
#include <QString>
#include <QStringView>

namespace numbertext {

// The number at the start of a text: blanks, tabs and line feeds are skipped
// wherever they stand; an optional sign, digits, one decimal point "." and an
// optional exponent (E or D) are taken, or a hexadecimal "&H…" or octal "&O…"
// number (up to 16 bits it is a signed 16-bit value, "&HFFFF" is -1; up to 32 bits
// a signed 32-bit value). The first other character ends the number, a comma
// included. No number at all gives 0; a number too large for a double gives
// plus or minus infinity.
double leadingNumber(QStringView text);

// leadingNumber rounded to the nearest integer, halves to the even neighbour,
// and held to the 32-bit range.
qint32 leadingInteger(QStringView text);

// A single-precision number written as text in the current locale's number
// format: whole numbers plain, fractions with the locale's decimal separator
// (a comma in Italian), no group separators, up to 7 significant digits.
QString singleText(double value);

} // namespace numbertext
