#include "core/export/TableExport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <quazip.h>
#include <quazipfile.h>
#include <zlib.h>

namespace exporting {

namespace {

// Rows between two progress reports, and bytes gathered before each write.
constexpr qint64 rowsPerReport = 4096;
constexpr qsizetype bytesPerWrite = 1 << 20;

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

ExportError cannotWrite(const QString &path, const QString &reason)
{
    return ExportError(QStringLiteral("Il file \"%1\" non è stato scritto: %2\nNessun file è stato lasciato a metà.")
                           .arg(shown(path), reason));
}

bool isWholeNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

// ---- the text file ----

void appendCsvField(QByteArray &line, const QVariant &value)
{
    if (value.isNull())
        return;
    const QByteArray text = value.toString().toUtf8();
    if (text.contains(';') || text.contains('"') || text.contains('\n') || text.contains('\r')) {
        line += '"';
        for (const char c : text) {
            if (c == '"')
                line += '"';
            line += c;
        }
        line += '"';
    } else {
        line += text;
    }
}

void appendCsvRow(QByteArray &out, const QVariantList &values)
{
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            out += ';';
        appendCsvField(out, values.at(i));
    }
    out += "\r\n";
}

// ---- the spreadsheet ----

const QByteArray contentStart = QByteArrayLiteral(
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
    " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
    " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
    " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
    " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" office:version=\"1.2\">"
    "<office:automatic-styles><style:style style:name=\"intestazione\" style:family=\"table-cell\">"
    "<style:text-properties fo:font-weight=\"bold\"/></style:style></office:automatic-styles>"
    "<office:body><office:spreadsheet><table:table table:name=\"Catalogo\">");
const QByteArray contentEnd
    = QByteArrayLiteral("</table:table></office:spreadsheet></office:body></office:document-content>\n");
const QByteArray manifest = QByteArrayLiteral(
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\""
    " manifest:version=\"1.2\">"
    "<manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.2\""
    " manifest:media-type=\"application/vnd.oasis.opendocument.spreadsheet\"/>"
    "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
    "</manifest:manifest>\n");
const QByteArray mimeType = QByteArrayLiteral("application/vnd.oasis.opendocument.spreadsheet");

// A text as the paragraphs of a cell, from its UTF-8 bytes. A paragraph's reader
// drops spaces at its ends and folds runs of them, so those are written as space
// elements; a tab is an element too, and every line break starts a new
// paragraph. Control characters, which an XML file cannot hold, are left out.
void appendCellText(QByteArray &out, const QByteArray &text)
{
    out += "<text:p>";
    const char *const bytes = text.constData();
    const qsizetype n = text.size();
    const auto lineEnd = [&](qsizetype i) { return i == n || bytes[i] == '\n' || bytes[i] == '\r'; };
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        switch (c) {
        case '\r':
        case '\n':
            if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n')
                ++i;
            out += "</text:p><text:p>";
            lineStart = i + 1;
            break;
        case ' ': {
            qsizetype run = 1;
            while (i + run < n && bytes[i + run] == ' ')
                ++run;
            qsizetype elements = run;
            if (i != lineStart && !lineEnd(i + run)) {
                out += ' ';
                --elements;
            }
            if (elements == 1)
                out += "<text:s/>";
            else if (elements > 1)
                out += "<text:s text:c=\"" + QByteArray::number(elements) + "\"/>";
            i += run - 1;
            break;
        }
        case '\t':
            out += "<text:tab/>";
            break;
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            // U+FFFE and U+FFFF are no characters of XML either.
            if (uchar(c) == 0xEF && i + 2 < n && uchar(bytes[i + 1]) == 0xBF && (uchar(bytes[i + 2]) & 0xFE) == 0xBE)
                i += 2;
            else if (uchar(c) >= 0x20)
                out += c;
        }
    }
    out += "</text:p>";
}

void appendSpreadsheetRow(QByteArray &out, const QVariantList &values, bool heading)
{
    out += "<table:table-row>";
    int empty = 0; // empty cells not yet written: one element for a run of them
    const auto writeEmpty = [&] {
        if (empty == 1)
            out += "<table:table-cell/>";
        else if (empty > 1)
            out += "<table:table-cell table:number-columns-repeated=\"" + QByteArray::number(empty) + "\"/>";
        empty = 0;
    };
    for (const QVariant &value : values) {
        if (isWholeNumber(value)) {
            writeEmpty();
            const QByteArray number = QByteArray::number(value.toLongLong());
            out += "<table:table-cell office:value-type=\"float\" office:value=\"" + number + "\"><text:p>" + number
                + "</text:p></table:table-cell>";
            continue;
        }
        const QByteArray text = value.isNull() ? QByteArray() : value.toString().toUtf8();
        if (text.isEmpty()) {
            ++empty;
            continue;
        }
        writeEmpty();
        out += heading ? "<table:table-cell table:style-name=\"intestazione\" office:value-type=\"string\">"
                       : "<table:table-cell office:value-type=\"string\">";
        appendCellText(out, text);
        out += "</table:table-cell>";
    }
    writeEmpty();
    out += "</table:table-row>";
}

// ---- writing ----

// Where the bytes of the rows go: the file itself, or the spreadsheet's content
// inside its archive.
class Sink {
public:
    virtual ~Sink() = default;
    virtual bool write(const QByteArray &bytes) = 0;
};

class DeviceSink : public Sink {
public:
    explicit DeviceSink(QIODevice &device) : m_device(device) {}
    bool write(const QByteArray &bytes) override { return m_device.write(bytes) == bytes.size(); }

private:
    QIODevice &m_device;
};

// Writes every row through `sink`; false when cancelled.
bool writeRows(Sink &sink, Format format, const Rows &rows, const Progress &progress, const QString &path)
{
    QByteArray buffer;
    buffer.reserve(bytesPerWrite + (bytesPerWrite >> 2));
    const auto flush = [&] {
        if (!sink.write(buffer))
            throw cannotWrite(path, QStringLiteral("la scrittura si è interrotta (il disco potrebbe essere pieno)."));
        buffer.clear();
    };
    QVariantList headings;
    for (const QString &heading : rows.headings)
        headings.append(heading);
    if (format == Format::Text) {
        buffer += "\xEF\xBB\xBF";
        appendCsvRow(buffer, headings);
    } else {
        buffer += contentStart;
        buffer += "<table:table-column table:number-columns-repeated=\"" + QByteArray::number(headings.size()) + "\"/>";
        appendSpreadsheetRow(buffer, headings, true);
    }
    qint64 written = 0;
    bool cancelled = false;
    rows.each([&](const QVariantList &values) {
        ++written;
        if (format == Format::Spreadsheet && written + 1 > spreadsheetRowLimit)
            throw cannotWrite(path, QStringLiteral("un foglio di calcolo contiene al massimo %1 righe; per esportare "
                                                   "tutte le registrazioni scegliere un file di testo (.csv).")
                                        .arg(spreadsheetRowLimit - 1));
        if (format == Format::Text)
            appendCsvRow(buffer, values);
        else
            appendSpreadsheetRow(buffer, values, false);
        if (buffer.size() >= bytesPerWrite)
            flush();
        cancelled = progress && written % rowsPerReport == 0 && !progress(written, rows.total);
        return !cancelled;
    });
    if (cancelled)
        return false;
    if (format == Format::Spreadsheet)
        buffer += contentEnd;
    flush();
    return !progress || progress(written, rows.total);
}

// One member of the spreadsheet's archive, written whole.
void addMember(QuaZip &archive, const QString &name, const QByteArray &bytes, bool stored, const QString &path)
{
    QuaZipFile member(&archive);
    if (!member.open(QIODevice::WriteOnly, QuaZipNewInfo(name), nullptr, 0, stored ? 0 : Z_DEFLATED,
                     stored ? 0 : Z_BEST_SPEED)
        || member.write(bytes) != bytes.size()) {
        throw cannotWrite(path, QStringLiteral("la scrittura si è interrotta (il disco potrebbe essere pieno)."));
    }
    member.close();
    if (member.getZipError() != ZIP_OK)
        throw cannotWrite(path, QStringLiteral("la scrittura si è interrotta (il disco potrebbe essere pieno)."));
}

class ArchiveMemberSink : public Sink {
public:
    explicit ArchiveMemberSink(QuaZipFile &member) : m_member(member) {}
    bool write(const QByteArray &bytes) override { return m_member.write(bytes) == bytes.size(); }

private:
    QuaZipFile &m_member;
};

bool writeSpreadsheet(QFile &file, const Rows &rows, const Progress &progress, const QString &path)
{
    QuaZip archive(&file);
    // The sizes go into each member's own header: the readers of this format
    // find the kind of document in the first, uncompressed member.
    archive.setDataDescriptorWritingEnabled(false);
    archive.setAutoClose(false);
    if (!archive.open(QuaZip::mdCreate))
        throw cannotWrite(path, QStringLiteral("l'archivio del foglio di calcolo non si può creare."));
    addMember(archive, QStringLiteral("mimetype"), mimeType, true, path);
    addMember(archive, QStringLiteral("META-INF/manifest.xml"), manifest, false, path);
    QuaZipFile content(&archive);
    if (!content.open(QIODevice::WriteOnly, QuaZipNewInfo(QStringLiteral("content.xml")), nullptr, 0, Z_DEFLATED,
                      Z_BEST_SPEED))
        throw cannotWrite(path, QStringLiteral("l'archivio del foglio di calcolo non si può creare."));
    ArchiveMemberSink sink(content);
    if (!writeRows(sink, Format::Spreadsheet, rows, progress, path))
        return false;
    content.close();
    archive.close();
    if (content.getZipError() != ZIP_OK || archive.getZipError() != ZIP_OK)
        throw cannotWrite(path, QStringLiteral("la scrittura si è interrotta (il disco potrebbe essere pieno)."));
    return true;
}

} // namespace

std::optional<Format> formatOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("ods"))
        return Format::Spreadsheet;
    if (suffix == QLatin1String("csv"))
        return Format::Text;
    return std::nullopt;
}

bool write(const QString &path, Format format, const Rows &rows, const Progress &progress)
{
    // Written under a temporary name beside the file, which takes the file's name
    // in one step once it is whole; until then nothing of it has that name, and a
    // failure or a cancel removes it.
    const QFileInfo target(path);
    QTemporaryFile file(target.absolutePath() + QStringLiteral("/.") + target.fileName()
                        + QStringLiteral(".XXXXXX.esportazione"));
    if (!file.open())
        throw cannotWrite(path, file.errorString());
    bool done = false;
    if (format == Format::Text) {
        DeviceSink sink(file);
        done = writeRows(sink, format, rows, progress, path);
    } else {
        done = writeSpreadsheet(file, rows, progress, path);
    }
    if (!done)
        return false;
    if (!file.flush())
        throw cannotWrite(path, file.errorString());
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                        | QFileDevice::ReadOther);
    if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        throw cannotWrite(path, QString::fromLocal8Bit(std::strerror(errno)));
    file.setAutoRemove(false);
    return true;
}

} // namespace exporting
