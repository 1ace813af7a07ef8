#include "core/settings/NumberText.h"

#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace numbertext {

namespace {

// Enough digits to decide any double; further integer digits only scale the
// number, further fraction digits cannot change it.
constexpr int maxDigits = 800;
// Beyond this the exponent overflows or underflows whatever the digits are.
constexpr long maxExponent = 100000;

class Reader {
public:
    explicit Reader(QStringView text) : m_text(text) {}

    // The next character that is not a blank, tab or line feed; 0 at the end.
    char16_t peek()
    {
        while (m_pos < m_text.size()) {
            const char16_t c = m_text[m_pos].unicode();
            if (c != ' ' && c != '\t' && c != '\n')
                return c;
            ++m_pos;
        }
        return 0;
    }
    void take() { ++m_pos; }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

int digitValue(char16_t c, int radix)
{
    int value = radix;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    return value < radix ? value : -1;
}

double radixNumber(Reader &reader, int radix)
{
    quint64 value = 0;
    bool overflow = false;
    for (int digit; (digit = digitValue(reader.peek(), radix)) >= 0; reader.take()) {
        value = value * quint64(radix) + quint64(digit);
        overflow = overflow || value > 0xFFFFFFFFu;
        if (overflow)
            value = 0xFFFFFFFFu; // keeps the sum from wrapping; the number is too large anyway
    }
    if (overflow)
        return std::numeric_limits<double>::infinity();
    if (value <= 0xFFFFu)
        return double(qint16(quint16(value)));
    return double(qint32(quint32(value)));
}

} // namespace

double leadingNumber(QStringView text)
{
    Reader reader(text);
    if (reader.peek() == '&') {
        reader.take();
        const char16_t prefix = reader.peek();
        if (prefix == 'H' || prefix == 'h') {
            reader.take();
            return radixNumber(reader, 16);
        }
        if (prefix == 'O' || prefix == 'o') {
            reader.take();
            return radixNumber(reader, 8);
        }
        return 0;
    }

    std::string number;
    if (reader.peek() == '-' || reader.peek() == '+') {
        if (reader.peek() == '-')
            number += '-';
        reader.take();
    }
    bool anyDigit = false;
    long scale = 0; // integer digits beyond maxDigits
    std::string digits;
    for (char16_t c; (c = reader.peek()) >= '0' && c <= '9'; reader.take()) {
        anyDigit = true;
        if (digits.size() < maxDigits)
            digits += char(c);
        else if (scale < maxExponent)
            ++scale;
    }
    if (reader.peek() == '.') {
        reader.take();
        digits += '.';
        for (char16_t c; (c = reader.peek()) >= '0' && c <= '9'; reader.take()) {
            anyDigit = true;
            if (digits.size() < 2 * maxDigits)
                digits += char(c);
        }
    }
    if (!anyDigit || digits.find_first_not_of("0.") == std::string::npos)
        return 0; // no number, or zero whatever its exponent
    long exponent = 0;
    const char16_t mark = reader.peek();
    if (mark == 'E' || mark == 'e' || mark == 'D' || mark == 'd') {
        reader.take();
        long sign = 1;
        if (reader.peek() == '-' || reader.peek() == '+') {
            sign = reader.peek() == '-' ? -1 : 1;
            reader.take();
        }
        for (char16_t c; (c = reader.peek()) >= '0' && c <= '9'; reader.take())
            exponent = std::min(exponent * 10 + (c - '0'), maxExponent);
        exponent *= sign;
    }
    number += digits + 'e' + std::to_string(exponent + scale);

    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        const bool negative = number.front() == '-';
        if (exponent + scale > 0)
            return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
        return 0;
    }
    return value;
}

qint32 leadingInteger(QStringView text)
{
    const double value = std::nearbyint(leadingNumber(text)); // halves to even
    if (value >= double(std::numeric_limits<qint32>::max()))
        return std::numeric_limits<qint32>::max();
    if (value <= double(std::numeric_limits<qint32>::min()))
        return std::numeric_limits<qint32>::min();
    return qint32(value);
}

QString singleText(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    constexpr double largest = std::numeric_limits<float>::max();
    const float single = float(std::isnan(value) ? value : std::clamp(value, -largest, largest));
    return locale.toString(double(single), 'g', 7);
}

} // namespace numbertext
