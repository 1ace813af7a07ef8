#pragma once
// The two Access catalogues the tests convert (tests/core/convert/data), their
// JSON dumps, and damaged copies made page by page in a test's own folder.
#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QStringList>
#include <QtEndian>

namespace accessdata {

inline QString fixture(const QString &name)
{
    return QStringLiteral(TESTS_SOURCE_DIR "/core/convert/data/") + name;
}

inline QStringList fixtureNames()
{
    return {QStringLiteral("catalogo-access.mdb"), QStringLiteral("catalogo-access-2003.mdb")};
}

inline const QStringList &tableOrder()
{
    static const QStringList tables
        = {QStringLiteral("Tabella"), QStringLiteral("Chiave"), QStringLiteral("Pubblicazione"),
           QStringLiteral("Allocazione"), QStringLiteral("contatore")};
    return tables;
}

// The dump beside an .mdb fixture: {"tables": {table: [row...]}, "row_counts", "schema", "deleted_ids"}.
inline QJsonObject dumpOf(const QString &mdbName)
{
    QFile file(fixture(QString(mdbName).replace(QStringLiteral(".mdb"), QStringLiteral(".json"))));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

inline QJsonArray dumpRows(const QJsonObject &dump, const QString &table)
{
    return dump.value(QStringLiteral("tables")).toObject().value(table).toArray();
}

inline QStringList dumpColumns(const QJsonObject &dump, const QString &table)
{
    QStringList names;
    for (const QJsonValue &column : dump.value(QStringLiteral("schema")).toObject().value(table).toArray())
        names.append(column.toObject().value(QStringLiteral("name")).toString());
    return names;
}

// A dump value as the catalogue keeps it: numbers as their decimal text, NULL as the empty text.
inline QString dumpText(const QJsonValue &value)
{
    return value.isDouble() ? QString::number(qint64(value.toDouble())) : value.toString();
}

inline QByteArray sha256(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

inline QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// ---- pages of a Jet file ----

inline int pageSize(const QByteArray &file)
{
    return file.size() > 0x14 && file.at(0x14) == 0 ? 2048 : 4096;
}

inline int pageCount(const QByteArray &file)
{
    return int(file.size() / pageSize(file));
}

inline quint8 pageType(const QByteArray &file, int page)
{
    return quint8(file.at(qsizetype(page) * pageSize(file)));
}

inline quint32 int32At(const QByteArray &file, qsizetype offset)
{
    // Byte by byte: the compiler cannot prove a bounds check through memcpy here.
    quint32 value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | quint8(file.at(offset + i));
    return value;
}

// Data pages (type 1) whose owner is the table definition on page `definition`.
inline QList<int> dataPagesOf(const QByteArray &file, int definition)
{
    QList<int> pages;
    for (int page = 1; page < pageCount(file); ++page)
        if (pageType(file, page) == 1 && int32At(file, qsizetype(page) * pageSize(file) + 4) == quint32(definition))
            pages.append(page);
    return pages;
}

// Pages holding long texts (memo data), marked "LVAL".
inline QList<int> memoPages(const QByteArray &file)
{
    QList<int> pages;
    for (int page = 1; page < pageCount(file); ++page)
        if (pageType(file, page) == 1 && file.mid(qsizetype(page) * pageSize(file) + 4, 4) == "LVAL")
            pages.append(page);
    return pages;
}

// Offset of the row count in a Jet 4 table definition page; the last AutoNumber follows it.
constexpr int rowCountOffset = 16;

// The table definition page stating `rows` rows and `lastAutoNumber`; -1 when none does.
inline int definitionPage(const QByteArray &file, quint32 rows, quint32 lastAutoNumber)
{
    for (int page = 1; page < pageCount(file); ++page) {
        const qsizetype at = qsizetype(page) * pageSize(file);
        if (pageType(file, page) == 2 && int32At(file, at + rowCountOffset) == rows
            && int32At(file, at + rowCountOffset + 4) == lastAutoNumber)
            return page;
    }
    return -1;
}

inline void setInt32(QByteArray &file, qsizetype offset, quint32 value)
{
    qToLittleEndian(value, file.data() + offset);
}

inline void zeroPage(QByteArray &file, int page)
{
    file.replace(qsizetype(page) * pageSize(file), pageSize(file), QByteArray(pageSize(file), '\0'));
}

} // namespace accessdata
