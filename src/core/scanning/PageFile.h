#pragma once
// Collects scanned pages and writes them into one file when finished: a PDF with
// one page per scan (page size = scanned size at the scan's resolution), a TIFF
// with one image per page, or one image of the format the file name's extension
// names (several pages stacked one under another). The file is replaced only when
// everything was written: a failure leaves an existing file as it was.
#include <QImage>
#include <QList>
#include <QString>

class QIODevice;

class PageFile {
public:
    enum Format { Pdf, Tiff, Image };

    // PDF for ".pdf" or no extension, TIFF for ".tif"/".tiff", else Image.
    static Format formatFor(const QString &path);

    PageFile(const QString &path, Format format);

    const QString &path() const { return m_path; }
    Format format() const { return m_format; }
    int pageCount() const { return int(m_pages.size()); }
    void addPage(const QImage &page) { m_pages.append(page); }

    // Writes every page; false with errorString() set when nothing could be written.
    bool finish();
    const QString &errorString() const { return m_error; }

private:
    bool writePdf(QIODevice &device);
    bool writeTiff(QIODevice &device);
    bool writeImage(QIODevice &device);

    QString m_path;
    Format m_format;
    QList<QImage> m_pages;
    QString m_error;
};
