#pragma once
// Settings kept in an INI file (the original's class CIniManag): typed reads with a default, writes, removal of a
// key or a section, the key names of a section, and the saving and restoring of
// a window's placement. Every operation goes to the file; nothing is cached.
// The file is 8-bit Windows-1252 text (see PrivateProfile.h).
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>

// What the saving and restoring of a placement needs of a window; the windows
// library adapts its widgets to it, tests use plain stand-ins. Pixels throughout;
// places and sizes are those of the outer frame, the one the window manager
// draws around the window (before the window is shown: the frame it will get).
class PlacedWindow {
public:
    virtual ~PlacedWindow() = default;
    virtual QString name() const = 0;        // the section of the INI file
    virtual QRect frameGeometry() const = 0; // the outer frame
    virtual Qt::WindowStates windowState() const = 0;
    virtual void move(const QPoint &frameTopLeft) = 0;
    virtual void resizeFrame(const QSize &outer) = 0;
    virtual void setWindowState(Qt::WindowStates state) = 0;
    virtual QRect screenGeometry() const = 0; // empty when the window is on no screen
    // The part of every screen that windows may use (without the desktop's panels).
    virtual QList<QRect> screenGeometries() const = 0;
};

// What the section [Catalogo] of CINFIG.INI in `programFolder` says; the file is
// only read, never made.
struct CatalogueSettings {
    // The URI of "Server" when it is there; db1.mdb in the program folder otherwise.
    QString location;
    // The folder of "Allegati", the office's attachments (a folder every
    // workstation mounts; relative to the program folder); empty without the key.
    QString attachmentFolder;
    // Empty when "Server" can be used; otherwise the line as written and what is
    // wrong in it, in Italian. Nothing has been contacted.
    QString problem;
};
CatalogueSettings catalogueSettings(const QString &programFolder);

class IniSettings {
public:
    // Shows a warning: text, title.
    using Warning = std::function<void(const QString &, const QString &)>;

    // programFolder completes bare file names; `warning` tells the user about a
    // missing file when setShowWarning(true) asks for it. Touches no file.
    IniSettings(const QString &programFolder, Warning warning);

    // A stored option written through to the file ("OPZIONI", "UpperCase");
    // no operation changes text because of it. 1 = yes, 0 = no.
    void setUpperCase(qint16 value);
    qint16 upperCase() const { return m_upperCase; }

    // Whether the program runs inside its development environment: never here.
    bool isIde() const { return false; }

    // Key names of a section of any file, in file order. Always returns false.
    bool readSectionKeys(const QString &filePath, const QString &section, QStringList &keys, qint32 &count) const;

    // "" names CONFIG.INI; a name without "." gets ".ini"; a name without a folder
    // ("/" or "\") lands in the program folder. A missing file is created empty.
    void setFileName(const QString &name);
    QString fileName() const { return m_fileName; }

    // The section of the reads and writes that name none.
    QString section() const { return m_section; }
    void setSection(const QString &section) { m_section = section; }

    // Writes and removals return non-zero on success, 0 on failure.
    qint32 write(const QString &key, const QString &value);
    qint32 write(const QString &section, const QString &key, const QString &value);

    // False for a stored "0", "Falso" or empty value (compared exactly), else true.
    bool readBool(const QString &key, bool fallback) const;
    bool readBool(const QString &section, const QString &key, const QString &fallback) const;
    // The leading number of the value rounded to an integer (see NumberText.h).
    qint32 readInt(const QString &key, qint32 fallback) const;
    qint32 readInt(const QString &section, const QString &key, qint32 fallback) const;
    // The value, cut to 254 characters; `fallback` when missing or empty.
    QString read(const QString &key, const QString &fallback) const;
    QString read(const QString &section, const QString &key, const QString &fallback) const;

    qint32 deleteKey(const QString &section, const QString &key);

    // Window placement in the section named after the window's objectName:
    // "X", "Y", "W", "H" (outer frame, twips) and "WindowState" (0 normal,
    // 1 minimised, 2 maximised). A saved placement that would put the window off
    // every screen (less than 48 x 16 pixels of its title bar, the frame's top 24
    // pixels, on any screen) or make it smaller than a third of its designed width
    // or height is not used: the window opens centred at its designed size.
    void restorePlacement(PlacedWindow &window, bool resize = true) const;
    void savePlacement(const PlacedWindow &window);

    qint32 deleteSection(const QString &section);

    // Whether setFileName tells the user that a missing file is being created.
    bool showsWarning() const { return m_showWarning; }
    void setShowWarning(bool show) { m_showWarning = show; }

private:
    // The value as GetPrivateProfileStringA leaves it in a 255-character buffer.
    QString readValue(const QString &section, const QString &key, const QString &defaultText) const;

    QString m_programFolder;
    Warning m_warning;
    bool m_showWarning = false;
    QString m_fileName;
    QString m_section;
    qint16 m_upperCase = 0;
};
