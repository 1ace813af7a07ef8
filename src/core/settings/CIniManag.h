#pragma once
// Settings kept in an INI file: typed reads with a default, writes, removal of a
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

// Where the catalogue is: the URI of "Server" in the section [Catalogo] of
// CINFIG.INI in `programFolder`, when it is there; db1.mdb in that folder otherwise.
QString catalogueLocation(const QString &programFolder);

class CIniManag {
public:
    // Shows a warning: text, title.
    using Warning = std::function<void(const QString &, const QString &)>;

    // programFolder completes bare file names; `warning` tells the user about a
    // missing file when ShowWarning is on. Touches no file.
    CIniManag(const QString &programFolder, Warning warning);

    // A stored option written through to the file ("OPZIONI", "UpperCase");
    // no operation changes text because of it.
    // Imposta o restituisce se i caratteri saranno convertiti in maiuscolo. 1=SI, 0=NO
    void setUpperCase(qint16 vData);
    qint16 UpperCase() const { return m_upperCase; }

    // Whether the program runs inside its development environment: never here.
    bool IsIDE() const { return false; }

    // Key names of a section of any file, in file order. Always returns false.
    bool LeggiSezione(const QString &sIniFilePath, const QString &sNomeSezione, QStringList &sKey,
                      qint32 &iCount) const;

    // "" names CONFIG.INI; a name without "." gets ".ini"; a name without a folder
    // ("/" or "\") lands in the program folder. A missing file is created empty.
    void setFilename(const QString &sFileName);
    QString Filename() const { return m_fileName; }

    // The section of Leggi, LeggiInt, LeggiBool and Scrivi.
    QString Sezione() const { return m_section; }
    void setSezione(const QString &Valore) { m_section = Valore; }

    // Writes and removals return non-zero on success, 0 on failure.
    qint32 Scrivi(const QString &sChiave, const QString &sValore);
    qint32 Scrivi2(const QString &sSezione, const QString &sChiave, const QString &sValore);

    // False for a stored "0", "Falso" or empty value (compared exactly), else true.
    bool LeggiBool(const QString &sChiave, bool Default) const;
    bool LeggiBool2(const QString &sSezione, const QString &sChiave, const QString &Default) const;
    // The leading number of the value rounded to an integer (see NumberText.h).
    qint32 LeggiInt(const QString &sChiave, qint32 Default) const;
    qint32 LeggiInt2(const QString &sSezione, const QString &sChiave, qint32 Default) const;
    // The value, cut to 254 characters; Default when missing or empty.
    QString Leggi(const QString &sChiave, const QString &Default) const;
    QString Leggi2(const QString &sSezione, const QString &sChiave, const QString &Default) const;

    qint32 DeleteKey(const QString &sSection, const QString &sKey);

    // Window placement in the section named after the window's objectName:
    // "X", "Y", "W", "H" (outer frame, twips) and "WindowState" (0 normal,
    // 1 minimised, 2 maximised). A saved placement that would put the window off
    // every screen (less than 48 x 16 pixels of its title bar, the frame's top 24
    // pixels, on any screen) or make it smaller than a third of its designed width
    // or height is not used: the window opens centred at its designed size.
    void FinestraLeggiPosizione(PlacedWindow &f, bool bRidimensiona = true) const;
    void FinestraSalvaPosizione(const PlacedWindow &f);

    qint32 CancellaSezione(const QString &sSezione);

    // Whether setFilename tells the user that a missing file is being created.
    bool ShowWarning() const { return m_showWarning; }
    void setShowWarning(bool bShowWarning) { m_showWarning = bShowWarning; }

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
