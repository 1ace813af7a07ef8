#pragma once
// The scanning calls the scanner window uses, with the names, arguments and
// results of the TWAIN library it was made for, carried out over SANE.
// One instance per program (the window registry owns it): it keeps the chosen
// scanner, the open device, the scan settings and the open multipage file.
//
// Results follow the library: functions that report success return 1 for yes
// (TWAIN_SelectImageSource, TWAIN_OpenDefaultSource), the file functions return
// 0 for success or one of the codes below, TWAIN_Acquire returns non-zero when a
// page came. After a failure lastError() tells why, in Italian.
#include <QImage>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class PageFile;
class QObject;

// How the user chooses a scanner. The scanner window answers through its dialogs;
// tests answer as they please. `window` is the window that asks, for the dialogs' sake.
class ScannerChoice {
public:
    virtual ~ScannerChoice() = default;
    // Tells the user that no scanner was found; `reason` may be empty.
    virtual void noScanner(QObject *window, const QString &reason) = 0;
    // The label chosen among `labels`; nothing when the user cancelled.
    virtual std::optional<QString> choose(QObject *window, const QStringList &labels) = 0;
};

class Twain {
public:
    enum Result {
        Ok = 0,
        NoScanner = 1,   // no scanner found or none could be opened
        ScanFailed = 2,  // the device reported an error while scanning
        NoPage = 3,      // the scanner delivered no page
        WriteFailed = 4, // the file could not be written
        NoFileOpen = 5,  // TWAIN_EndMultipageFile without TWAIN_BeginMultipageFile
        FileAlreadyOpen = 6,
    };
    enum PixelType { BlackAndWhite = 0, Gray = 1, Rgb = 2 };
    enum MultipageFormat { TiffFormat = 0, PdfFormat = 1 };

    // Scanned files without a name of their own go to `attachmentFolder`.
    Twain(QString attachmentFolder, ScannerChoice &choice);
    ~Twain();
    Twain(const Twain &) = delete;
    Twain &operator=(const Twain &) = delete;

    int TWAIN_SelectImageSource(QObject *window);
    int TWAIN_OpenDefaultSource();
    void TWAIN_SetHideUI(int hide);
    void TWAIN_SetPixelType(int pixelType);
    void TWAIN_SetResolution(double dotsPerInch);
    void TWAIN_SetMultiTransfer(int on);
    void TWAIN_SelectFeeder(int on);
    void TWAIN_ResetImageLayout();
    void TWAIN_SetMultipageFormat(int format);
    // Every page the scanner delivers (the feeder until empty, else one page) into
    // `path`: PDF for ".pdf" or no extension, TIFF for ".tif"/".tiff", else the
    // image format the extension names.
    int TWAIN_AcquireMultipageFile(QObject *window, const QString &path);
    // An empty name starts a file in the attachment folder under a dated name.
    int TWAIN_BeginMultipageFile(const QString &path);
    // One page, added to the open multipage file when there is one.
    int TWAIN_Acquire(QObject *window);
    void TWAIN_DisableSource();
    int TWAIN_EndMultipageFile();
    void TWAIN_CloseSource();

    QString defaultSource() const { return m_defaultSource; } // SANE device name
    bool isSourceOpen() const { return m_handle != nullptr; }
    bool hideUI() const { return m_hideUI; }
    QString lastError() const { return m_lastError; }
    QString lastFile() const { return m_lastFile; }  // the file last written
    QImage lastImage() const { return m_lastImage; } // the page last acquired

private:
    struct Device {
        QString name, label;
    };
    bool ensureInit();
    QList<Device> devices();
    void applySettings();
    std::optional<QImage> scanPage(); // nullopt: failure; null image: no document
    bool feederSelected() const;
    int fail(Result result, const QString &reason);
    QString datedFileName() const;

    QString m_attachmentFolder;
    ScannerChoice &m_choice;
    bool m_initialised = false;
    void *m_handle = nullptr; // SANE_Handle of the open source
    QString m_defaultSource;
    bool m_hideUI = false; // no device window is ever shown here
    bool m_multiTransfer = false;
    std::optional<int> m_pixelType;
    std::optional<double> m_resolution;
    std::optional<bool> m_feeder;
    QList<int> m_defaultGeometry; // tl-x, tl-y, br-x, br-y as the device opened
    int m_multipageFormat = PdfFormat;
    std::unique_ptr<PageFile> m_multipageFile;
    QString m_lastError;
    QString m_lastFile;
    QImage m_lastImage;
};
