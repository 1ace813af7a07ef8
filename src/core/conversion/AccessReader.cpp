#include "core/conversion/AccessReader.h"

#include <QFile>
#include <QFileInfo>

#include <mdbtools.h>

#include <vector>

namespace convert {

namespace {

// Page 0 starts with 00 01 00 00, the engine's name, and at 0x14 its version.
constexpr int versionOffset = 0x14;
constexpr unsigned rowOffsetMask = 0x1fff; // the flags above it mark deleted and moved rows
constexpr int memoHeaderSize = MDB_MEMO_OVERHEAD;

QString columnLabel(const MdbTableDef *table, const MdbColumn *column, qint64 row)
{
    return QStringLiteral("il campo \"%1\" della tabella \"%2\" (riga %3 di %4)")
        .arg(QString::fromUtf8(column->name), QString::fromUtf8(table->name))
        .arg(row)
        .arg(table->num_rows);
}

// libmdb writes at most bind_size bytes of text: room for every byte of the value
// becoming three bytes of UTF-8 (a Windows-1252 character, or half of a UCS-2 one).
size_t roomFor(qint64 storedBytes)
{
    return size_t(storedBytes) * 3 + 16;
}

} // namespace

AccessFormat accessFormatOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return AccessFormat::NotAccess;
    const QByteArray header = file.read(versionOffset + 1);
    if (header.size() < versionOffset + 1 || !header.startsWith(QByteArray("\x00\x01\x00\x00", 4)))
        return AccessFormat::NotAccess;
    const QByteArray engine = header.mid(4, 15);
    if (engine != "Standard Jet DB" && engine != "Standard ACE DB")
        return AccessFormat::NotAccess;
    switch (header.at(versionOffset)) {
    case 0:
        return AccessFormat::Jet3;
    case 1:
        return AccessFormat::Jet4;
    default:
        return AccessFormat::Ace;
    }
}

QString accessFormatName(AccessFormat format)
{
    switch (format) {
    case AccessFormat::Jet3:
        return QStringLiteral("Access 97");
    case AccessFormat::Jet4:
        return QStringLiteral("Access 2000-2003");
    case AccessFormat::Ace:
        return QStringLiteral("Access 2007 o successivo");
    case AccessFormat::NotAccess:
        break;
    }
    return QStringLiteral("non Access");
}

struct AccessReader::Data {
    QString path;
    AccessFormat format = AccessFormat::NotAccess;
    MdbHandle *mdb = nullptr;
    qint64 pages = 0;
    QList<AccessTable> tables;
    std::vector<MdbTableDef *> definitions; // parallel to tables

    ~Data()
    {
        for (MdbTableDef *definition : definitions)
            mdb_free_tabledef(definition);
        if (mdb)
            mdb_close(mdb);
    }

    AccessError damaged(const QString &what) const
    {
        return AccessError(QStringLiteral("Il file Access \"%1\" è danneggiato: %2.").arg(path, what));
    }

    // Bytes a memo holds, after checking that its pages are there and agree with
    // its header: libmdb gives a damaged memo back short or empty without a word.
    qint64 memoBytes(int start, int size, const std::function<QString()> &label) const
    {
        if (size == 0)
            return 0;
        if (size < memoHeaderSize)
            throw damaged(label() + QStringLiteral(" ha un valore troncato"));
        const quint32 header = quint32(mdb_get_int32(mdb->pg_buf, start));
        const qint64 length = header & 0x3fffffff;
        const auto lvalRow = [&](qint32 pageRow, void **buffer, int *offset, size_t *bytes) {
            return pageRow >> 8 > 0 && pageRow >> 8 < pages && mdb_find_pg_row(mdb, pageRow, buffer, offset, bytes) == 0
                && static_cast<unsigned char *>(*buffer)[0] == MDB_PAGE_DATA;
        };
        if (header & 0x80000000) { // kept in the row itself
            if (size - memoHeaderSize != length)
                throw damaged(label() + QStringLiteral(" ha una lunghezza che non torna"));
            return length;
        }
        void *buffer = nullptr;
        int offset = 0;
        size_t bytes = 0;
        if (header & 0x40000000) { // one row of a page of its own
            if (!lvalRow(qint32(mdb_get_int32(mdb->pg_buf, start + 4)), &buffer, &offset, &bytes)
                || qint64(bytes) != length)
                throw damaged(label() + QStringLiteral(" ha le pagine del testo illeggibili"));
            return length;
        }
        if (header & 0xff000000)
            throw damaged(label() + QStringLiteral(" ha un'intestazione sconosciuta"));
        // A chain of rows on several pages, each starting with the next one's address.
        qint64 total = 0;
        qint32 next = qint32(mdb_get_int32(mdb->pg_buf, start + 4));
        for (qint64 hops = 0; next != 0; ++hops) {
            if (hops > pages || !lvalRow(next, &buffer, &offset, &bytes) || bytes < 4)
                throw damaged(label() + QStringLiteral(" ha le pagine del testo illeggibili"));
            total += qint64(bytes) - 4;
            if (total > length)
                break;
            next = qint32(mdb_get_int32(buffer, offset));
        }
        if (total != length)
            throw damaged(label() + QStringLiteral(" ha le pagine del testo illeggibili"));
        return length;
    }

    // The value of one field of the row on the current page (the `row`th read), as text.
    QString textOf(MdbTableDef *table, MdbColumn *column, const MdbField &field, qint64 row)
    {
        const auto label = [&] { return columnLabel(table, column, row); }; // only for a message
        char *text = nullptr;
        switch (column->col_type) {
        case MDB_TEXT:
            mdb_set_bind_size(mdb, roomFor(field.siz));
            text = mdb_col_to_string(mdb, mdb->pg_buf, field.start, MDB_TEXT, field.siz);
            break;
        case MDB_MEMO:
            mdb_set_bind_size(mdb, roomFor(memoBytes(field.start, field.siz, label)));
            text = mdb_col_to_string(mdb, mdb->pg_buf, field.start, MDB_MEMO, field.siz);
            break;
        case MDB_BYTE:
        case MDB_INT:
        case MDB_LONGINT:
        case MDB_FLOAT:
        case MDB_DOUBLE:
        case MDB_MONEY:
        case MDB_DATETIME:
            mdb_set_bind_size(mdb, MDB_BIND_SIZE);
            text = mdb_col_to_string(mdb, mdb->pg_buf, field.start, column->col_type, field.siz);
            break;
        case MDB_NUMERIC:
            text = mdb_numeric_to_string(mdb, field.start, column->col_scale, column->col_prec);
            break;
        default:
            throw AccessError(QStringLiteral("Nel file Access \"%1\" %2 non contiene né testo né numeri: "
                                             "non si può convertire.")
                                  .arg(path, label()));
        }
        if (!text)
            throw damaged(label() + QStringLiteral(" non si può leggere"));
        QString value = QString::fromUtf8(text);
        g_free(text);
        if (column->col_type == MDB_DATETIME && value.endsWith(QStringLiteral(" 00:00:00")))
            value.chop(9); // a date without a time of day reads as the date alone
        return value;
    }
};

AccessReader::AccessReader(const QString &path) : d(std::make_unique<Data>())
{
    d->path = path;
    const QFileInfo info(path);
    if (!info.exists())
        throw AccessError(QStringLiteral("Il file Access \"%1\" non è stato trovato.").arg(path));
    d->format = accessFormatOf(path);
    if (d->format == AccessFormat::NotAccess)
        throw AccessError(QStringLiteral("Il file \"%1\" non è un database di Access.").arg(path));

    d->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!d->mdb)
        throw AccessError(
            QStringLiteral("Il file Access \"%1\" non si può aprire: è danneggiato o non è leggibile.").arg(path));
    d->pages = info.size() / d->mdb->fmt->pg_size;
    mdb_set_date_fmt(d->mdb, "%d/%m/%Y %H:%M:%S");
    if (!mdb_read_catalog(d->mdb, MDB_TABLE))
        throw d->damaged(QStringLiteral("l'elenco delle tabelle non si può leggere"));

    for (unsigned i = 0; i < d->mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(d->mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || !mdb_is_user_table(entry))
            continue;
        const QString name = QString::fromUtf8(entry->object_name);
        MdbTableDef *definition = mdb_read_table(entry);
        if (!definition)
            throw d->damaged(QStringLiteral("la definizione della tabella \"%1\" non si può leggere").arg(name));
        d->definitions.push_back(definition);
        if (!mdb_read_columns(definition))
            throw d->damaged(QStringLiteral("i campi della tabella \"%1\" non si possono leggere").arg(name));

        AccessTable table;
        table.name = name;
        table.declaredRows = definition->num_rows;
        for (unsigned c = 0; c < definition->num_cols; ++c)
            table.columns.append(
                QString::fromUtf8(static_cast<MdbColumn *>(g_ptr_array_index(definition->columns, c))->name));
        // The table definition keeps, after the row count, the last number its
        // AutoNumber field handed out (deleted rows included).
        if (mdb_read_pg(d->mdb, entry->table_pg) && d->mdb->pg_buf[0] == MDB_PAGE_TABLE)
            table.lastAutoNumber = qint64(quint32(mdb_pg_get_int32(d->mdb, d->mdb->fmt->tab_num_rows_offset + 4)));
        d->tables.append(table);
    }
}

AccessReader::~AccessReader() = default;

AccessFormat AccessReader::format() const
{
    return d->format;
}

const QList<AccessTable> &AccessReader::tables() const
{
    return d->tables;
}

const AccessTable *AccessReader::findTable(const QString &name) const
{
    for (const AccessTable &table : d->tables)
        if (table.name.compare(name, Qt::CaseInsensitive) == 0)
            return &table;
    return nullptr;
}

qint64 AccessReader::readRows(const QString &tableName, const QStringList &columns,
                              const std::function<void(const QList<AccessValue> &)> &row)
{
    const AccessTable *table = findTable(tableName);
    if (!table)
        throw AccessError(QStringLiteral("Nel file Access \"%1\" manca la tabella \"%2\".").arg(d->path, tableName));
    MdbTableDef *definition = d->definitions[size_t(table - d->tables.constData())];
    MdbHandle *mdb = d->mdb;

    std::vector<int> wanted; // the column of each name asked for, -1 when the table lacks it
    for (const QString &name : columns) {
        int found = -1;
        for (int c = 0; c < table->columns.size() && found < 0; ++c)
            if (table->columns.at(c).compare(name, Qt::CaseInsensitive) == 0)
                found = c;
        wanted.push_back(found);
    }

    std::vector<MdbField> fields(definition->num_cols);
    QList<AccessValue> values(columns.size());
    qint64 count = 0;
    mdb_rewind_table(definition);
    while (mdb_fetch_row(definition)) {
        // The row just fetched is still on the current page: crack it again to
        // see which fields are NULL, which the bound values do not tell.
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(mdb, int(definition->cur_row) - 1, &start, &size) != 0
            || mdb_crack_row(definition, int(unsigned(start) & rowOffsetMask), size, fields.data()) < 0)
            throw d->damaged(
                QStringLiteral("la riga %1 della tabella \"%2\" non si può leggere").arg(count + 1).arg(table->name));
        for (size_t i = 0; i < wanted.size(); ++i) {
            if (wanted[i] < 0) {
                values[qsizetype(i)] = AccessValue{};
                continue;
            }
            const MdbField &field = fields[size_t(wanted[i])];
            auto *column = static_cast<MdbColumn *>(g_ptr_array_index(definition->columns, wanted[i]));
            if (field.is_null)
                values[qsizetype(i)] = AccessValue{QString(), true};
            else
                values[qsizetype(i)] = AccessValue{d->textOf(definition, column, field, count + 1), false};
        }
        ++count;
        row(values);
    }
    return count;
}

} // namespace convert
