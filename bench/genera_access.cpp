// Makes a larger Access catalogue to time the conversion with: a copy of an
// Access 2000 catalogue (Jet 4) whose Tabella gets N more records. No tool here
// writes Access files, so the rows are encoded with libmdb's own row encoder
// (mdb_pack_row, mdb_ascii2unicode) and laid out on new data pages; the table's
// row count and last AutoNumber are updated and its page map becomes the kind
// Access uses for large tables (a list of bitmap pages). libmdb reads the result
// as it reads any Access file; Access itself has not been asked.
//
//   genera_access SORGENTE.mdb DESTINAZIONE.mdb RECORD
#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QtEndian>

#include <mdbtools.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int pageSize = 4096;
constexpr int rowCountOffset = 12; // Jet 4 data page: row count, then the row offsets
constexpr int definitionRows = 16; // Jet 4 table definition: row count, then the last AutoNumber
constexpr int definitionUsageMap = 0x37;

quint16 int16At(const QByteArray &file, qsizetype at)
{
    return quint16(quint8(file.at(at)) | quint8(file.at(at + 1)) << 8);
}

quint32 int32At(const QByteArray &file, qsizetype at)
{
    // Byte by byte: the compiler cannot prove a bounds check through memcpy here.
    quint32 value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | quint8(file.at(at + i));
    return value;
}

void setInt32(QByteArray &file, qsizetype at, quint32 value)
{
    qToLittleEndian(value, file.data() + at);
}

void setInt16(QByteArray &page, int at, quint16 value)
{
    qToLittleEndian(value, page.data() + at);
}

// Data pages being filled from the end, as Access lays out rows.
class PageWriter {
public:
    explicit PageWriter(quint32 definition) : m_definition(definition) { start(); }

    void add(const unsigned char *row, int size)
    {
        if (m_free - size - 2 < rowCountOffset + 2 + 2 * (m_rows + 1))
            finish();
        m_free -= size;
        std::memcpy(m_page.data() + m_free, row, size_t(size));
        setInt16(m_page, rowCountOffset + 2 + 2 * m_rows, quint16(m_free));
        ++m_rows;
        setInt16(m_page, rowCountOffset, quint16(m_rows));
    }

    std::vector<QByteArray> take()
    {
        if (m_rows > 0)
            finish();
        return std::move(m_pages);
    }

private:
    void start()
    {
        m_page = QByteArray(pageSize, '\0');
        m_page[0] = 0x01;
        m_page[1] = 0x01;
        qToLittleEndian(m_definition, m_page.data() + 4);
        m_free = pageSize;
        m_rows = 0;
    }
    void finish()
    {
        setInt16(m_page, 2, quint16(m_free - (rowCountOffset + 2 + 2 * m_rows)));
        m_pages.push_back(m_page);
        start();
    }

    quint32 m_definition;
    QByteArray m_page;
    int m_free = pageSize;
    int m_rows = 0;
    std::vector<QByteArray> m_pages;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "Uso: genera_access SORGENTE.mdb DESTINAZIONE.mdb RECORD\n");
        return 2;
    }
    const long records = std::atol(argv[3]);
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "Il file %s non si può leggere.\n", argv[1]);
        return 1;
    }
    QByteArray file = source.readAll();

    MdbHandle *mdb = mdb_open(argv[1], MDB_NOFLAGS);
    if (!mdb || mdb->f->jet_version != MDB_VER_JET4 || !mdb_read_catalog(mdb, MDB_TABLE)) {
        std::fprintf(stderr, "Il file %s non è un file di Access 2000-2003 leggibile.\n", argv[1]);
        return 1;
    }
    MdbTableDef *table = mdb_read_table_by_name(mdb, const_cast<gchar *>("Tabella"), MDB_TABLE);
    if (!table || !mdb_read_columns(table) || table->num_cols != 12) {
        std::fprintf(stderr, "Il file %s non ha la tabella Tabella del catalogo.\n", argv[1]);
        return 1;
    }
    const quint32 definition = quint32(table->entry->table_pg);
    const qsizetype definitionAt = qsizetype(definition) * pageSize;
    const quint32 firstId = int32At(file, definitionAt + definitionRows + 4) + 1;

    PageWriter pages(definition);
    std::vector<MdbField> fields(table->num_cols);
    std::vector<std::vector<char>> encoded(table->num_cols, std::vector<char>(4096));
    unsigned char row[4096];
    const char *keywords[] = {"storia", "cucina", "informatica", "medicina", "economia", "arte"};
    const char *places[] = {"Scaffale A", "Armadio di Nicolò", "Cantina", "Studio"};
    for (long n = 0; n < records; ++n) {
        const quint32 id = firstId + quint32(n);
        const QByteArray texts[12] = {
            QByteArray(),
            keywords[n % 6],
            QStringLiteral("Argomento %1: città e società").arg(id).toUtf8(),
            QStringLiteral("Testo n. %1 con l’apostrofo").arg(id).toUtf8(),
            "Rivista di prova",
            QByteArray::number(n % 999 + 1),
            QStringLiteral("%1/%2/%3")
                .arg(n % 28 + 1, 2, 10, QLatin1Char('0'))
                .arg(n % 12 + 1, 2, 10, QLatin1Char('0'))
                .arg(1990 + n % 30)
                .toUtf8(),
            QByteArray::number(n % 300 + 1),
            QByteArray::number(n % 9 + 1),
            QStringLiteral("Nota del record %1.\r\nSeconda riga: prezzo 12 €, «citazione».").arg(id).toUtf8(),
            places[n % 4],
            QByteArray::number(qint64(id) + 8),
        };
        for (unsigned c = 0; c < table->num_cols; ++c) {
            auto *column = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, c));
            MdbField &field = fields[c];
            field = MdbField{};
            field.colnum = int(c);
            field.is_fixed = column->is_fixed;
            char *out = encoded[c].data();
            if (column->col_type == MDB_LONGINT) {
                qToLittleEndian(id, out);
                field.siz = 4;
            } else if (column->col_type == MDB_MEMO) {
                const int length = mdb_ascii2unicode(mdb, texts[c].constData(), 0, out + MDB_MEMO_OVERHEAD,
                                                     encoded[c].size() - MDB_MEMO_OVERHEAD);
                std::memset(out, 0, MDB_MEMO_OVERHEAD);
                qToLittleEndian(quint32(length) | 0x80000000u, out); // kept in the row itself
                field.siz = MDB_MEMO_OVERHEAD + length;
            } else {
                field.siz = mdb_ascii2unicode(mdb, texts[c].constData(), 0, out, encoded[c].size());
            }
            field.value = out;
        }
        // The row keeps fixed fields first, then the variable ones in the order of
        // their slots (a memo's slot can come after columns that follow it). No
        // field is NULL, so the order of the null mask does not matter.
        std::vector<MdbField> ordered = fields;
        std::stable_sort(ordered.begin(), ordered.end(), [&](const MdbField &a, const MdbField &b) {
            const auto slot = [&](const MdbField &f) {
                auto *column = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, f.colnum));
                return f.is_fixed ? -1 : int(column->var_col_num);
            };
            return slot(a) < slot(b);
        });
        const int size = mdb_pack_row(table, row, table->num_cols, ordered.data());
        pages.add(row, size);
    }
    const std::vector<QByteArray> added = pages.take();

    // The new pages go at the end, then the bitmap pages naming every data page of
    // the table (each covers the next (4096 - 4) * 8 pages of the file); the
    // table's map row becomes the list of those bitmap pages.
    const quint32 firstNew = quint32(file.size() / pageSize);
    std::vector<quint32> dataPages;
    for (quint32 page = 1; page < firstNew; ++page)
        if (file.at(qsizetype(page) * pageSize) == 0x01 && int32At(file, qsizetype(page) * pageSize + 4) == definition)
            dataPages.push_back(page);
    for (const QByteArray &page : added) {
        dataPages.push_back(quint32(file.size() / pageSize));
        file.append(page);
    }
    constexpr quint32 pagesPerBitmap = quint32(pageSize - 4) * 8;
    std::vector<QByteArray> bitmaps((dataPages.back() + pagesPerBitmap) / pagesPerBitmap);
    for (QByteArray &bitmap : bitmaps) {
        bitmap = QByteArray(pageSize, '\0');
        bitmap[0] = 0x05;
        bitmap[1] = 0x01;
    }
    for (quint32 page : dataPages) {
        QByteArray &bitmap = bitmaps[page / pagesPerBitmap];
        const quint32 bit = page % pagesPerBitmap;
        bitmap[4 + bit / 8] = char(bitmap[4 + bit / 8] | (1 << (bit % 8)));
    }

    const quint32 mapRow = int32At(file, definitionAt + definitionUsageMap);
    const qsizetype mapPageAt = qsizetype(mapRow >> 8) * pageSize;
    const int rowNumber = int(mapRow & 0xff);
    const int start = int16At(file, mapPageAt + rowCountOffset + 2 + 2 * rowNumber) & 0x1fff;
    const int end = rowNumber == 0 ? pageSize : int16At(file, mapPageAt + rowCountOffset + 2 * rowNumber) & 0x1fff;
    if ((end - start - 1) / 4 < int(bitmaps.size())) {
        std::fprintf(stderr, "La mappa delle pagine della tabella è troppo piccola per %zu pagine.\n",
                     dataPages.size());
        return 1;
    }
    file.replace(mapPageAt + start, end - start, QByteArray(end - start, '\0'));
    file[mapPageAt + start] = 0x01;
    for (size_t i = 0; i < bitmaps.size(); ++i) {
        setInt32(file, mapPageAt + start + 1 + 4 * qsizetype(i), quint32(file.size() / pageSize));
        file.append(bitmaps[i]);
    }

    setInt32(file, definitionAt + definitionRows, int32At(file, definitionAt + definitionRows) + quint32(records));
    setInt32(file, definitionAt + definitionRows + 4, firstId + quint32(records) - 1);

    mdb_free_tabledef(table);
    mdb_close(mdb);
    QFile target(QString::fromLocal8Bit(argv[2]));
    if (!target.open(QIODevice::WriteOnly) || target.write(file) != file.size()) {
        std::fprintf(stderr, "Il file %s non si può scrivere.\n", argv[2]);
        return 1;
    }
    std::printf("%s: %ld record aggiunti (ID da %u a %u), %zu pagine nuove, %lld byte.\n", argv[2], records, firstId,
                firstId + quint32(records) - 1, added.size(), static_cast<long long>(file.size()));
    return 0;
}
