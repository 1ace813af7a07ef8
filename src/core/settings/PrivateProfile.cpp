#include "core/settings/PrivateProfile.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>

namespace privateprofile {

namespace {

// Characters of the bytes 0x80..0x9F in Windows-1252; 0 where the code page
// defines none (those bytes keep their own value as a C1 control).
constexpr char16_t windows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char16_t characterOf(uchar byte)
{
    if (byte >= 0x80 && byte <= 0x9F && windows1252High[byte - 0x80] != 0)
        return windows1252High[byte - 0x80];
    return byte;
}

// Lower-case form of a Windows-1252 byte, for matching names without regard to case.
uchar folded(uchar byte)
{
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7))
        return byte + 0x20;
    switch (byte) {
    case 0x8A:
        return 0x9A; // Š
    case 0x8C:
        return 0x9C; // Œ
    case 0x8E:
        return 0x9E; // Ž
    case 0x9F:
        return 0xFF; // Ÿ
    default:
        return byte;
    }
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\x1A';
}

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

QByteArrayView untilNul(QByteArrayView text)
{
    const qsizetype nul = text.indexOf('\0');
    return nul < 0 ? text : text.first(nul);
}

QByteArrayView withoutQuotes(QByteArrayView value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

// One line of the file, without its line end, and what it holds.
struct Line {
    enum Kind { Other, Header, Entry };
    QByteArrayView text;
    Kind kind = Other;
    QByteArrayView name;  // section name of a header, key name of an entry
    QByteArrayView value; // value of an entry, trimmed, quotes kept
};

Line classify(QByteArrayView text)
{
    Line line;
    line.text = text;
    const QByteArrayView content = trimmed(text);
    if (content.startsWith('[')) {
        const qsizetype close = content.lastIndexOf(']');
        if (close > 0) {
            line.kind = Line::Header;
            line.name = trimmed(untilNul(content.sliced(1, close - 1)));
            return line;
        }
    }
    const qsizetype equals = content.indexOf('=');
    if (equals >= 0) {
        line.kind = Line::Entry;
        line.name = trimmed(untilNul(content.first(equals)));
        line.value = trimmed(untilNul(content.sliced(equals + 1)));
    }
    return line;
}

// The byte-order marks editors put at the start of Unicode text.
constexpr QByteArrayView utf8Mark("\xEF\xBB\xBF");
constexpr QByteArrayView utf16LeMark("\xFF\xFE");
constexpr QByteArrayView utf16BeMark("\xFE\xFF");

// The file's text as the Windows-1252 bytes the rules work on. A file an editor
// saved as UTF-8 or UTF-16 (either byte order) with its byte-order mark is read
// as that text, as the Windows functions read it; a character the code page
// lacks becomes "?". Any other file is taken as Windows-1252 already.
QByteArray ansiText(QByteArrayView contents)
{
    const auto decoded = [&](QStringConverter::Encoding encoding, QByteArrayView mark) {
        QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
        const QString text = decoder.decode(contents.sliced(mark.size()));
        return toAnsi(text);
    };
    if (contents.startsWith(utf8Mark))
        return decoded(QStringConverter::Utf8, utf8Mark);
    if (contents.startsWith(utf16LeMark))
        return decoded(QStringConverter::Utf16LE, utf16LeMark);
    if (contents.startsWith(utf16BeMark))
        return decoded(QStringConverter::Utf16BE, utf16BeMark);
    return contents.toByteArray();
}

// Lines end with CR LF, LF or a lone CR, as different editors write them.
QList<Line> linesOf(QByteArrayView contents)
{
    QList<Line> lines;
    while (!contents.isEmpty()) {
        qsizetype end = 0;
        while (end < contents.size() && contents[end] != '\n' && contents[end] != '\r')
            ++end;
        lines.append(classify(contents.first(end)));
        if (end < contents.size() && contents[end] == '\r' && end + 1 < contents.size() && contents[end + 1] == '\n')
            ++end;
        contents = contents.sliced(std::min(end + 1, contents.size()));
    }
    return lines;
}

// Index of the header of the first section named `section`, or -1.
qsizetype findSection(const QList<Line> &lines, QByteArrayView section, qsizetype from = 0)
{
    for (qsizetype i = from; i < lines.size(); ++i) {
        if (lines[i].kind == Line::Header && sameName(lines[i].name, section))
            return i;
    }
    return -1;
}

// Index one past the last line of the section whose header is at `header`.
qsizetype sectionEnd(const QList<Line> &lines, qsizetype header)
{
    qsizetype i = header + 1;
    while (i < lines.size() && lines[i].kind != Line::Header)
        ++i;
    return i;
}

QByteArray cut(QByteArrayView text, qsizetype size)
{
    return text.first(std::clamp<qsizetype>(size, 0, text.size())).toByteArray();
}

QByteArray defaultCopy(QByteArrayView defaultValue, int bufferSize)
{
    QByteArrayView value = untilNul(defaultValue);
    while (!value.isEmpty() && isBlank(value.back()))
        value.chop(1);
    return cut(value, bufferSize - 1);
}

bool holdsLineBreak(QByteArrayView text)
{
    return text.contains('\r') || text.contains('\n');
}

// The file in the program's own form: Windows-1252, every line ended by CR LF.
// Only a first line that itself begins with the bytes of a byte-order mark
// ("ÿþ", "þÿ", "ï»¿") is written as UTF-8 with its mark instead, since in the
// program's form it would be read back as other text.
QByteArray joined(const QList<QByteArray> &lines)
{
    QByteArray out;
    for (const QByteArray &line : lines)
        out += line + "\r\n";
    if (out.startsWith(utf8Mark) || out.startsWith(utf16LeMark) || out.startsWith(utf16BeMark))
        return utf8Mark.toByteArray() + fromAnsi(out).toUtf8();
    return out;
}

std::optional<QByteArray> readFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray data = file.read(maxFileSize + 1);
    if (data.size() > maxFileSize || file.error() != QFileDevice::NoError)
        return std::nullopt;
    return data;
}

} // namespace

bool sameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (folded(uchar(a[i])) != folded(uchar(b[i])))
            return false;
    }
    return true;
}

QString fromAnsi(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = QChar(characterOf(uchar(bytes[i])));
    return text;
}

QByteArray toAnsi(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF) || (c <= 0x9F && characterOf(uchar(c)) == c)) {
            bytes.append(char(c));
            continue;
        }
        char byte = '?';
        for (int j = 0; j < 32; ++j) {
            if (windows1252High[j] == c)
                byte = char(0x80 + j);
        }
        bytes.append(byte);
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i; // one "?" for the whole character
    }
    return bytes;
}

QByteArray readFromText(QByteArrayView contents, QByteArrayView section, std::optional<QByteArrayView> key,
                        QByteArrayView defaultValue, int bufferSize)
{
    if (bufferSize <= 0)
        return {};
    const QByteArray text = ansiText(contents);
    const QList<Line> lines = linesOf(text);
    const QByteArrayView sectionName = trimmed(untilNul(section));
    const qsizetype header = findSection(lines, sectionName);
    if (header < 0)
        return defaultCopy(defaultValue, bufferSize);
    const qsizetype end = sectionEnd(lines, header);

    if (key) {
        const QByteArrayView keyName = trimmed(untilNul(*key));
        for (qsizetype i = header + 1; i < end; ++i) {
            if (lines[i].kind == Line::Entry && sameName(lines[i].name, keyName))
                return cut(withoutQuotes(lines[i].value), bufferSize - 1);
        }
        return defaultCopy(defaultValue, bufferSize);
    }

    // Key names, each followed by a NUL; comments (";...") and nameless keys are not keys.
    QByteArray list;
    for (qsizetype i = header + 1; i < end; ++i) {
        const Line &line = lines[i];
        if (line.kind == Line::Entry && !line.name.isEmpty() && !line.name.startsWith(';')) {
            list += line.name;
            list += '\0';
        }
    }
    if (list.size() + 1 > bufferSize)
        return cut(list, bufferSize - 2);
    return list;
}

std::optional<QByteArray> writeToText(QByteArrayView contents, QByteArrayView section,
                                      std::optional<QByteArrayView> key, std::optional<QByteArrayView> value)
{
    const QByteArrayView sectionName = trimmed(untilNul(section));
    const QByteArrayView keyName = key ? trimmed(untilNul(*key)) : QByteArrayView();
    const QByteArrayView newValue = value ? untilNul(*value) : QByteArrayView();
    if (holdsLineBreak(sectionName) || holdsLineBreak(keyName) || holdsLineBreak(newValue) || keyName.contains('=')
        || keyName.startsWith('['))
        return std::nullopt;

    const QByteArray text = ansiText(contents);
    const QList<Line> lines = linesOf(text);
    QList<QByteArray> out;
    out.reserve(lines.size() + 2);
    for (const Line &line : lines)
        out.append(line.text.toByteArray());

    const qsizetype header = findSection(lines, sectionName);
    if (!key) {
        // Every section of that name goes, so that no older copy of it shows up afterwards.
        for (qsizetype h = lines.size() - 1; h >= 0; --h) {
            if (lines[h].kind == Line::Header && sameName(lines[h].name, sectionName))
                out.remove(h, sectionEnd(lines, h) - h);
        }
        return joined(out);
    }

    if (header < 0) {
        if (value) {
            out.append(QByteArray("[") + sectionName.toByteArray() + ']');
            out.append(keyName.toByteArray() + '=' + newValue.toByteArray());
        }
        return joined(out);
    }

    const qsizetype end = sectionEnd(lines, header);
    if (!value) {
        for (qsizetype i = end - 1; i > header; --i) {
            if (lines[i].kind == Line::Entry && sameName(lines[i].name, keyName))
                out.remove(i);
        }
        return joined(out);
    }

    for (qsizetype i = header + 1; i < end; ++i) {
        if (lines[i].kind == Line::Entry && sameName(lines[i].name, keyName)) {
            out[i] = lines[i].name.toByteArray() + '=' + newValue.toByteArray();
            return joined(out);
        }
    }
    // A new key goes after the section's last line that is not blank, so that a
    // blank line separating it from the next section stays where it was.
    qsizetype last = header;
    for (qsizetype i = header + 1; i < end; ++i) {
        if (!trimmed(lines[i].text).isEmpty())
            last = i;
    }
    out.insert(last + 1, keyName.toByteArray() + '=' + newValue.toByteArray());
    return joined(out);
}

QByteArray getString(QByteArrayView section, std::optional<QByteArrayView> key, QByteArrayView defaultValue,
                     int bufferSize, const QString &fileName)
{
    const QByteArray contents = readFile(fileName).value_or(QByteArray());
    return readFromText(contents, section, key, defaultValue, bufferSize);
}

bool writeString(QByteArrayView section, std::optional<QByteArrayView> key, std::optional<QByteArrayView> value,
                 const QString &fileName)
{
    if (fileName.isEmpty())
        return false;
    const bool exists = QFileInfo::exists(fileName);
    if (!exists && !value)
        return true; // nothing to remove
    std::optional<QByteArray> contents = exists ? readFile(fileName) : QByteArray();
    if (!contents)
        return false; // unreadable or too large: never replace what we could not read
    const std::optional<QByteArray> changed = writeToText(*contents, section, key, value);
    if (!changed)
        return false;
    if (exists && *changed == *contents)
        return true;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(*changed);
    return file.commit();
}

} // namespace privateprofile
