#pragma once
// One run of the settings-file reader and writer on arbitrary bytes, checking the
// rules that hold whatever the file holds. The libFuzzer target and the tests
// both call it. The input's first three lines are a section name, a key name and
// a value; the rest is the file's contents.
#include "core/settings/NumberText.h"
#include "core/settings/PrivateProfile.h"

#include <QByteArray>
#include <QString>

#include <cmath>
#include <limits>
#include <optional>

namespace profilefuzz {

namespace detail {

inline bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\x1A';
}

inline QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

inline QByteArrayView untilNul(QByteArrayView text)
{
    const qsizetype nul = text.indexOf('\0');
    return nul < 0 ? text : text.first(nul);
}

// What a read gives back for a value as it was written.
inline QByteArray valueAsRead(QByteArrayView written)
{
    QByteArrayView value = trimmed(untilNul(written));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value.first(std::min<qsizetype>(value.size(), 254)).toByteArray();
}

inline QByteArrayView nextLine(QByteArrayView &data)
{
    const qsizetype end = data.indexOf('\n');
    const QByteArrayView line = end < 0 ? data : data.first(end);
    data = end < 0 ? QByteArrayView() : data.sliced(end + 1);
    return line;
}

inline QString describe(const char *what, QByteArrayView section, QByteArrayView key)
{
    return QString::fromLatin1(what) + QStringLiteral(" [section ") + QString::fromLatin1(section.toByteArray().toHex())
        + QStringLiteral(", key ") + QString::fromLatin1(key.toByteArray().toHex()) + QLatin1Char(']');
}

} // namespace detail

// Returns what went wrong, or the empty text when every rule held.
inline QString check(QByteArrayView data)
{
    using namespace privateprofile;
    using detail::describe;
    const QByteArrayView section = detail::nextLine(data);
    const QByteArrayView key = detail::nextLine(data);
    const QByteArrayView value = detail::nextLine(data);
    const QByteArrayView contents = data;
    const QByteArray fallback("\x01missing");

    if (toAnsi(fromAnsi(contents)) != contents)
        return QStringLiteral("Windows-1252 conversion lost bytes");

    for (const int size : {-1, 0, 1, 2, 3, 17, 255, 8192}) {
        const QByteArray read = readFromText(contents, section, key, fallback, size);
        if (read.size() > std::max(0, size - 1) || read.contains('\0'))
            return describe("value longer than the buffer or holding a NUL", section, key);
        const qint32 number = numbertext::leadingInteger(fromAnsi(read));
        const double exact = numbertext::leadingNumber(fromAnsi(read));
        if (std::isnan(exact) || (std::abs(exact) < 1e9 && std::abs(number - exact) > 0.5))
            return describe("leading number rounded wrongly", section, key);

        const QByteArray list = readFromText(contents, section, std::nullopt, QByteArray(), size);
        if (list.size() > std::max(0, size - 1))
            return describe("key list longer than the buffer", section, key);
        if (list.size() + 2 < size && !list.isEmpty() && !list.endsWith('\0'))
            return describe("key list that fits does not end with a NUL", section, key);
    }

    const std::optional<QByteArray> written = writeToText(contents, section, key, value);
    const QByteArrayView keyName = detail::trimmed(detail::untilNul(key));
    const bool refusable = detail::trimmed(detail::untilNul(section)).contains('\r') || keyName.contains('\r')
        || keyName.contains('=') || keyName.startsWith('[') || detail::untilNul(value).contains('\r');
    if (!written) {
        if (!refusable)
            return describe("write refused without a reason", section, key);
        return QString();
    }
    if (refusable)
        return describe("write accepted a line break, '=' or '[' in a name", section, key);
    if (readFromText(*written, section, key, fallback, 255) != detail::valueAsRead(value))
        return describe("written value not read back", section, key);
    if (writeToText(*written, section, key, value) != written)
        return describe("writing the same value twice changed the file", section, key);

    // A section of another name keeps what it had; the value line names it.
    if (!sameName(detail::trimmed(detail::untilNul(value)), detail::trimmed(detail::untilNul(section)))
        && readFromText(contents, value, key, fallback, 255) != readFromText(*written, value, key, fallback, 255))
        return describe("a write changed another section", value, key);

    const std::optional<QByteArray> keyRemoved = writeToText(*written, section, key, std::nullopt);
    if (!keyRemoved || readFromText(*keyRemoved, section, key, fallback, 255) != fallback)
        return describe("removed key still read", section, key);
    const std::optional<QByteArray> sectionRemoved = writeToText(*written, section, std::nullopt, std::nullopt);
    if (!sectionRemoved || readFromText(*sectionRemoved, section, key, fallback, 255) != fallback
        || readFromText(*sectionRemoved, section, std::nullopt, fallback, 255) != fallback)
        return describe("removed section still read", section, key);
    return QString();
}

} // namespace profilefuzz
