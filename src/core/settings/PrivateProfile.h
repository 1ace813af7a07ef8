#pragma once
// Private-profile (INI) files with the rules of the Windows functions
// GetPrivateProfileStringA and WritePrivateProfileStringA, so that a settings
// file written by the Windows program is read here and the other way round:
// - a line "[name]" opens a section, a line "key=value" under it holds a key;
// - sections and keys are matched without regard to case; the first section
//   of a name holds its keys, and the first key of a name holds its value;
// - blanks around names and values are trimmed and one pair of surrounding
//   quotes (' or ") is removed from a value;
// - the file is 8-bit Windows-1252 text, read with CR LF, LF or lone CR line
//   ends; a file that an editor saved as UTF-8 or UTF-16 (little- or big-endian)
//   with a byte-order mark is read as that text, its characters outside the code
//   page becoming "?";
// - a write puts the whole file back in the program's form, Windows-1252 with
//   CR LF line ends, keeping every other line (comments, unknown sections), and
//   replaces the file atomically.
// Texts here are the 8-bit bytes of the file; toAnsi/fromAnsi convert.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace privateprofile {

// Windows-1252 conversions. Every byte has a character (the five bytes the code
// page leaves undefined become the C1 controls of the same value), so that
// fromAnsi then toAnsi gives back the same bytes; a character the code page
// lacks becomes "?".
QString fromAnsi(QByteArrayView bytes);
QByteArray toAnsi(QStringView text);

// Whether two section or key names are the same name, without regard to case
// (Windows-1252 letters, accented ones included).
bool sameName(QByteArrayView a, QByteArrayView b);

// What GetPrivateProfileStringA copies into a buffer of bufferSize bytes, without
// the final NUL (so the result's size is the count the function returns):
// - with a key: the key's value, cut to bufferSize - 1 bytes;
// - without a key (nullopt): the key names of the section in file order, each
//   followed by a NUL; a list too long for the buffer is cut to bufferSize - 2
//   bytes, so that its last, cut name has no NUL after it;
// - when the section or the key is missing: defaultValue without its trailing
//   blanks, cut to bufferSize - 1 bytes.
// Texts passed here end at their first NUL, as C strings do.
QByteArray readFromText(QByteArrayView contents, QByteArrayView section, std::optional<QByteArrayView> key,
                        QByteArrayView defaultValue, int bufferSize);

// The file contents after WritePrivateProfileStringA(section, key, value):
// with a value, the key is set (section and key are added when missing); with the
// value nullopt the key is removed; with the key nullopt the whole section is
// removed. Every line is written with CR LF. Returns nullopt, and nothing is
// written, when a name or the value holds a line break, when the key holds "="
// or when it begins with "[" (either would change the file's structure).
std::optional<QByteArray> writeToText(QByteArrayView contents, QByteArrayView section,
                                      std::optional<QByteArrayView> key, std::optional<QByteArrayView> value);

// The same on a file. A missing or unreadable file reads as empty, so that
// readers get their default. A write creates the file when needed (only a
// removal from a missing file creates nothing), writes through a temporary file
// renamed over the old one, and returns false when it could not, leaving the
// file as it was. Files larger than maxFileSize are not taken as settings files:
// reads give the default, writes fail.
constexpr qint64 maxFileSize = 16 * 1024 * 1024;

QByteArray getString(QByteArrayView section, std::optional<QByteArrayView> key, QByteArrayView defaultValue,
                     int bufferSize, const QString &fileName);
bool writeString(QByteArrayView section, std::optional<QByteArrayView> key, std::optional<QByteArrayView> value,
                 const QString &fileName);

} // namespace privateprofile
