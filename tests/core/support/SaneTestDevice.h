#pragma once
// SANE's own "test" backend as the scanner of a test: a configuration folder whose
// dll.conf names only "test", made the folder SANE reads (SANE_CONFIG_DIR) before
// the scanning layer starts SANE. Devices "test:0" and "test:1"; the feeder source
// runs empty after 10 pages. Plus readers for the files a scan writes.
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class SaneTestDevice {
public:
    // `testConf` lines go into test.conf (the backend's defaults for every device).
    SaneTestDevice();
    // Back to the test backend with the default test.conf.
    void reset();
    // Rewrites test.conf; read again when SANE next starts.
    void setConf(const QString &testConf);
    // A configuration naming no backend: SANE finds no scanner.
    void setNoBackend();

    // A grid picture on an area of 40 x 30 mm: 472 x 354 pixels at 300 dpi.
    static QString defaultConf();
    static QSizeF areaMillimetres() { return {40, 30}; }

private:
    QTemporaryDir m_dir;
};

// What poppler's pdfinfo says of a PDF file: pages 0 when it is no readable PDF.
struct PdfInfo {
    int pages = 0;
    QSizeF pageSizePoints; // of the first page
    static PdfInfo of(const QString &path);
};

// ImageMagick's description of an image file, one line per page (TIFF: per directory).
QStringList identify(const QString &path);
// One page of an image file as ImageMagick reads it (independent of Qt's own readers).
class QImage;
QImage readWithImageMagick(const QString &path, int page = 0);
