#include "core/scanning/PageFile.h"

#include <QDataStream>
#include <QFileInfo>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <cmath>

namespace {

double dpiOf(const QImage &page, bool vertical = false)
{
    const int perMetre = vertical ? page.dotsPerMeterY() : page.dotsPerMeterX();
    return perMetre > 0 ? perMetre * 0.0254 : 300.0;
}

bool isBlackAndWhite(const QImage &page)
{
    return page.format() == QImage::Format_Mono || page.format() == QImage::Format_MonoLSB;
}

// One bit per pixel with 1 meaning black, as TIFF's "white is zero" reads it.
QImage oneIsBlack(const QImage &page)
{
    QImage mono = page.convertToFormat(QImage::Format_Mono);
    if (qGray(mono.color(0)) < qGray(mono.color(1))) {
        mono.invertPixels();
        mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    }
    return mono;
}

// The same with 0 meaning black: the colour table Qt's PDF engine stores as one bit per pixel.
QImage zeroIsBlack(const QImage &page)
{
    QImage mono = oneIsBlack(page);
    mono.invertPixels();
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    return mono;
}

// A baseline TIFF (uncompressed, little-endian), one image file directory per page.
class TiffBuilder {
public:
    TiffBuilder() : m_out(&m_data, QIODevice::WriteOnly)
    {
        m_out.setByteOrder(QDataStream::LittleEndian);
        m_out.writeRawData("II", 2);
        m_out << quint16(42);
        m_nextLink = m_data.size();
        m_out << quint32(0); // offset of the first directory, set by addPage
    }

    void addPage(const QImage &page)
    {
        QImage image;
        quint16 photometric = 0;
        quint16 samples = 1;
        quint16 bits = 8;
        if (isBlackAndWhite(page)) {
            image = oneIsBlack(page);
            bits = 1;
        } else if (page.isGrayscale()) {
            image = page.convertToFormat(QImage::Format_Grayscale8);
            photometric = 1;
        } else {
            image = page.convertToFormat(QImage::Format_RGB888);
            photometric = 2;
            samples = 3;
        }
        const int rowBytes = (image.width() * bits * samples + 7) / 8;

        align();
        const quint32 dataOffset = quint32(m_data.size());
        for (int y = 0; y < image.height(); ++y)
            m_out.writeRawData(reinterpret_cast<const char *>(image.constScanLine(y)), rowBytes);
        const quint32 dataSize = quint32(m_data.size()) - dataOffset;

        align();
        const quint32 extraOffset = quint32(m_data.size()); // values too long for a directory entry
        m_out << bits << bits << bits;
        m_out << quint16(0);
        m_out << quint32(std::lround(dpiOf(image))) << quint32(1);
        m_out << quint32(std::lround(dpiOf(image, true))) << quint32(1);

        struct Entry {
            quint16 tag, type;
            quint32 count, value;
        };
        enum : quint16 { Short = 3, Long = 4, Rational = 5 };
        const Entry entries[] = {
            {256, Long, 1, quint32(image.width())},
            {257, Long, 1, quint32(image.height())},
            {258, Short, samples, samples == 1 ? bits : extraOffset},
            {259, Short, 1, 1}, // no compression
            {262, Short, 1, photometric},
            {273, Long, 1, dataOffset},
            {277, Short, 1, samples},
            {278, Long, 1, quint32(image.height())},
            {279, Long, 1, dataSize},
            {282, Rational, 1, extraOffset + 8},
            {283, Rational, 1, extraOffset + 16},
            {296, Short, 1, 2}, // resolution in inches
        };
        const quint32 directory = quint32(m_data.size());
        patchLink(directory);
        m_out << quint16(std::size(entries));
        for (const Entry &entry : entries) {
            m_out << entry.tag << entry.type << entry.count;
            if (entry.type == Short && entry.count == 1)
                m_out << quint16(entry.value) << quint16(0);
            else
                m_out << entry.value;
        }
        m_nextLink = m_data.size();
        m_out << quint32(0);
    }

    const QByteArray &data() const { return m_data; }

private:
    void align()
    {
        if (m_data.size() % 2)
            m_out << quint8(0);
    }
    void patchLink(quint32 offset)
    {
        for (int i = 0; i < 4; ++i)
            m_data[m_nextLink + i] = char((offset >> (8 * i)) & 0xFF);
    }

    QByteArray m_data;
    QDataStream m_out;
    qsizetype m_nextLink = 0;
};

} // namespace

PageFile::Format PageFile::formatFor(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix.isEmpty() || suffix == QStringLiteral("pdf"))
        return Pdf;
    if (suffix == QStringLiteral("tif") || suffix == QStringLiteral("tiff"))
        return Tiff;
    return Image;
}

PageFile::PageFile(const QString &path, Format format) : m_path(path), m_format(format)
{
}

bool PageFile::finish()
{
    m_error.clear();
    if (m_pages.isEmpty()) {
        m_error = QStringLiteral("lo scanner non ha consegnato nessuna pagina");
        return false;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = file.errorString();
        return false;
    }
    bool written = false;
    switch (m_format) {
    case Pdf:
        written = writePdf(file);
        break;
    case Tiff:
        written = writeTiff(file);
        break;
    case Image:
        written = writeImage(file);
        break;
    }
    if (!written) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        m_error = file.errorString();
        return false;
    }
    return true;
}

bool PageFile::writePdf(QIODevice &device)
{
    QPdfWriter writer(&device);
    writer.setResolution(72); // painter units are points
    writer.setPageMargins(QMarginsF());
    QPainter painter;
    for (qsizetype i = 0; i < m_pages.size(); ++i) {
        const QImage &page = m_pages.at(i);
        const QSizeF millimetres(page.width() / dpiOf(page) * 25.4, page.height() / dpiOf(page, true) * 25.4);
        writer.setPageSize(QPageSize(millimetres, QPageSize::Millimeter));
        if (i == 0 ? !painter.begin(&writer) : !writer.newPage()) {
            m_error = QStringLiteral("impossibile creare il documento PDF");
            return false;
        }
        painter.setRenderHint(QPainter::LosslessImageRendering); // no JPEG artefacts on scanned text
        painter.drawImage(QRectF(0, 0, writer.width(), writer.height()),
                          isBlackAndWhite(page) ? zeroIsBlack(page) : page);
    }
    return painter.end();
}

bool PageFile::writeTiff(QIODevice &device)
{
    TiffBuilder tiff;
    for (const QImage &page : std::as_const(m_pages))
        tiff.addPage(page);
    if (device.write(tiff.data()) != tiff.data().size()) {
        m_error = device.errorString();
        return false;
    }
    return true;
}

bool PageFile::writeImage(QIODevice &device)
{
    const QByteArray format = QFileInfo(m_path).suffix().toLower().toLatin1();
    if (!QImageWriter::supportedImageFormats().contains(format)) {
        m_error = QStringLiteral("il formato «%1» non è supportato (usare .pdf, .tif, .png, .jpg o .bmp)")
                      .arg(QString::fromLatin1(format));
        return false;
    }
    QImage image = m_pages.constFirst();
    if (m_pages.size() > 1) {
        int width = 0;
        int height = 0;
        bool allBlackAndWhite = true;
        for (const QImage &page : std::as_const(m_pages)) {
            width = std::max(width, page.width());
            height += page.height();
            allBlackAndWhite = allBlackAndWhite && isBlackAndWhite(page);
        }
        QImage sheet(width, height, QImage::Format_RGB32);
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        int top = 0;
        for (const QImage &page : std::as_const(m_pages)) {
            painter.drawImage(0, top, page);
            top += page.height();
        }
        painter.end();
        sheet.setDotsPerMeterX(image.dotsPerMeterX());
        sheet.setDotsPerMeterY(image.dotsPerMeterY());
        image = allBlackAndWhite ? sheet.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither) : sheet;
    }
    QImageWriter writer(&device, format);
    if (!writer.write(image)) {
        m_error = writer.errorString();
        return false;
    }
    return true;
}
