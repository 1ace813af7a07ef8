#include "core/settings/IniSettings.h"

#include "core/engines/ServerLocation.h"
#include "core/settings/NumberText.h"
#include "core/settings/PrivateProfile.h"
#include "core/settings/Twips.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <optional>

namespace {

// The current size and place in twips, rounded as the reads round: halves to even.
qint32 roundHalfEven(double value)
{
    return qint32(std::nearbyint(value));
}

constexpr int valueBufferSize = 255;
constexpr int keyListBufferSize = 8192;

bool textIsFalse(const QString &text)
{
    return text.isEmpty() || text == QStringLiteral("0") || text == QStringLiteral("Falso");
}

// The system's word for a boolean, as the Italian system writes it.
QString booleanWord(bool value)
{
    return value ? QStringLiteral("Vero") : QStringLiteral("Falso");
}

qint16 windowStateNumber(Qt::WindowStates state)
{
    if (state & Qt::WindowMinimized)
        return 1;
    if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return 2;
    return 0;
}

// A restored placement is used only when the window can be seen and handled
// there: its title bar (taken as the frame's top 24 pixels) shows at least 48 x 16
// pixels on one screen, so that it can be grabbed and moved; and it is at least a
// third of its designed width and a third of its designed height, so that what it
// holds can be seen and it can be made larger again.
constexpr int titleBarHeight = 24;
constexpr QSize titleBarShown(48, 16);
constexpr int smallestFraction = 3;

bool reachable(const QRect &frame, const QList<QRect> &screens)
{
    const QRect titleBar(frame.topLeft(), QSize(frame.width(), std::min(frame.height(), titleBarHeight)));
    for (const QRect &screen : screens) {
        const QRect shown = screen.intersected(titleBar);
        if (shown.width() >= std::min(titleBar.width(), titleBarShown.width())
            && shown.height() >= std::min(titleBar.height(), titleBarShown.height()))
            return true;
    }
    return false;
}

bool usableSize(const QSize &size, const QSize &designed)
{
    return size.width() * smallestFraction >= designed.width() && size.height() * smallestFraction >= designed.height();
}

// Where the frame lands once a coordinate of exactly 0 has been centred on `area`.
QRect withZeroCoordinatesCentred(QRect frame, const QRect &area)
{
    if (area.isEmpty())
        return frame;
    if (frame.x() == 0)
        frame.moveLeft(area.x() + qRound((area.width() - frame.width()) / 2.0));
    if (frame.y() == 0)
        frame.moveTop(area.y() + qRound((area.height() - frame.height()) / 2.0));
    return frame;
}

} // namespace

CatalogueSettings catalogueSettings(const QString &programFolder)
{
    const QString file = programFolder + QStringLiteral("/CINFIG.INI");
    CatalogueSettings found{programFolder + QStringLiteral("/db1.mdb"), QString(), QString()};
    if (!QFileInfo(file).isFile())
        return found;
    IniSettings settings(programFolder, {});
    settings.setFileName(file);
    const QString section = QStringLiteral("Catalogo");
    if (const QString folder = settings.read(section, QStringLiteral("Allegati"), QString()).trimmed();
        !folder.isEmpty())
        found.attachmentFolder = QDir::cleanPath(QDir(programFolder).absoluteFilePath(folder));
    const QString server = settings.read(section, QStringLiteral("Server"), QString()).trimmed();
    if (server.isEmpty())
        return found;
    found.location = server;
    // Checked before anything is contacted: a URI read otherwise than it was meant
    // would reach another server, port or user.
    if (const QString wrong = db::readServerUri(server).problem; !wrong.isEmpty())
        found.problem = QStringLiteral("Il file di impostazioni \"%1\" indica il catalogo con la riga\n  Server=%2\n"
                                       "nella sezione [Catalogo], ma la riga non è valida: %3.\nCorreggerla (ad "
                                       "esempio Server=postgresql://archivio@server/catalogo) oppure toglierla per "
                                       "usare il catalogo db1.mdb della cartella del programma. Nessun server è stato "
                                       "contattato.")
                            .arg(QDir::toNativeSeparators(file), server, wrong);
    return found;
}

IniSettings::IniSettings(const QString &programFolder, Warning warning)
    : m_programFolder(programFolder), m_warning(std::move(warning))
{
}

void IniSettings::setUpperCase(qint16 value)
{
    m_upperCase = value;
    write(QStringLiteral("OPZIONI"), QStringLiteral("UpperCase"), QString::number(value));
}

bool IniSettings::readSectionKeys(const QString &filePath, const QString &section, QStringList &keys,
                                  qint32 &count) const
{
    const QByteArray list = privateprofile::getString(privateprofile::toAnsi(section), std::nullopt, QByteArrayView(),
                                                      keyListBufferSize, filePath);
    keys.clear();
    // Only names followed by their NUL count: a name cut by a full buffer has none.
    qsizetype start = 0;
    for (qsizetype nul; (nul = list.indexOf('\0', start)) >= 0; start = nul + 1)
        keys.append(privateprofile::fromAnsi(QByteArrayView(list).sliced(start, nul - start)));
    count = qint32(keys.size());
    return false;
}

void IniSettings::setFileName(const QString &fileName)
{
    QString name = fileName.isEmpty() ? QStringLiteral("CONFIG.INI") : fileName;
    if (!name.contains(QLatin1Char('.')))
        name += QStringLiteral(".ini");
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    else
        name = m_programFolder + QLatin1Char('/') + name;
    m_fileName = name;

    if (QFileInfo(m_fileName).isFile())
        return;
    if (m_showWarning && m_warning)
        m_warning(QStringLiteral("Il file: ") + m_fileName.toUpper()
                      + QStringLiteral(" non è stato trovato.\n\nSarà creato ora."),
                  QStringLiteral("File di configurazione"));
    // Opened for appending: should the file have appeared meanwhile, it keeps its
    // contents. A name that cannot be created leaves reads at their defaults.
    QFile file(m_fileName);
    if (file.open(QIODevice::Append))
        file.close();
}

qint32 IniSettings::write(const QString &key, const QString &value)
{
    return write(m_section, key, value);
}

qint32 IniSettings::write(const QString &section, const QString &key, const QString &value)
{
    return privateprofile::writeString(privateprofile::toAnsi(section), privateprofile::toAnsi(key),
                                       privateprofile::toAnsi(value), m_fileName);
}

QString IniSettings::readValue(const QString &section, const QString &key, const QString &defaultText) const
{
    return privateprofile::fromAnsi(
        privateprofile::getString(privateprofile::toAnsi(section), privateprofile::toAnsi(key),
                                  privateprofile::toAnsi(defaultText), valueBufferSize, m_fileName));
}

bool IniSettings::readBool(const QString &key, bool fallback) const
{
    return !textIsFalse(readValue(m_section, key, booleanWord(fallback)));
}

bool IniSettings::readBool(const QString &section, const QString &key, const QString &fallback) const
{
    return !textIsFalse(readValue(section, key, fallback));
}

qint32 IniSettings::readInt(const QString &key, qint32 fallback) const
{
    return readInt(m_section, key, fallback);
}

qint32 IniSettings::readInt(const QString &section, const QString &key, qint32 fallback) const
{
    const QString value = readValue(section, key, QString::number(fallback));
    return value.isEmpty() ? fallback : numbertext::leadingInteger(value);
}

QString IniSettings::read(const QString &key, const QString &fallback) const
{
    return read(m_section, key, fallback);
}

QString IniSettings::read(const QString &section, const QString &key, const QString &fallback) const
{
    const QString value = readValue(section, key, fallback);
    return value.isEmpty() ? fallback : value;
}

qint32 IniSettings::deleteKey(const QString &section, const QString &key)
{
    return privateprofile::writeString(privateprofile::toAnsi(section), privateprofile::toAnsi(key), std::nullopt,
                                       m_fileName);
}

qint32 IniSettings::deleteSection(const QString &section)
{
    return privateprofile::writeString(privateprofile::toAnsi(section), std::nullopt, std::nullopt, m_fileName);
}

void IniSettings::savePlacement(const PlacedWindow &f)
{
    const QString section = f.name();
    const qint16 state = windowStateNumber(f.windowState());
    if (state == 0) {
        // A minimised or maximised window keeps its last normal placement in the file.
        const QRect frame = f.frameGeometry();
        write(section, QStringLiteral("X"), numbertext::singleText(twips::fromPixels(frame.x())));
        write(section, QStringLiteral("Y"), numbertext::singleText(twips::fromPixels(frame.y())));
        write(section, QStringLiteral("W"), numbertext::singleText(twips::fromPixels(frame.width())));
        write(section, QStringLiteral("H"), numbertext::singleText(twips::fromPixels(frame.height())));
    }
    write(section, QStringLiteral("WindowState"), QString::number(state));
}

void IniSettings::restorePlacement(PlacedWindow &f, bool resize) const
{
    const QString section = f.name();
    // The defaults are the window's own placement, so that a window without a
    // saved one keeps its designed position and size.
    const QRect frame = f.frameGeometry();
    // A minimised or maximised window refuses to be moved or sized.
    const bool movable = windowStateNumber(f.windowState()) == 0;
    const qint32 left = readInt(section, QStringLiteral("X"), roundHalfEven(twips::fromPixels(frame.x())));
    const qint32 top = readInt(section, QStringLiteral("Y"), roundHalfEven(twips::fromPixels(frame.y())));
    const QPoint position(twips::toPixels(left), twips::toPixels(top));
    // The saved size is the outer frame's. The window's own size again changes
    // nothing, so that a window without a saved size keeps its designed one.
    std::optional<QSize> size;
    if (resize) {
        const qint32 currentWidth = roundHalfEven(twips::fromPixels(frame.width()));
        const qint32 currentHeight = roundHalfEven(twips::fromPixels(frame.height()));
        const qint32 width = readInt(section, QStringLiteral("W"), currentWidth);
        const qint32 height = readInt(section, QStringLiteral("H"), currentHeight);
        if (width > 0 && height > 0 && (width != currentWidth || height != currentHeight))
            size = QSize(twips::toPixels(width), twips::toPixels(height));
    }

    if (movable) {
        // A placement that would leave the window off every screen, or too small
        // to use (a file from another desktop, a screen since removed, a broken
        // file), is not applied: the window stays at its designed size, centred.
        const QRect area = f.screenGeometry();
        const QRect placed = withZeroCoordinatesCentred(QRect(position, size.value_or(frame.size())), area);
        if (area.isEmpty() || (usableSize(placed.size(), frame.size()) && reachable(placed, f.screenGeometries()))) {
            f.move(position);
            if (size)
                f.resizeFrame(*size);
        } else {
            f.move(withZeroCoordinatesCentred(QRect(QPoint(0, 0), frame.size()), area).topLeft());
        }
    }

    // Applied after the placement, so that a window saved maximised is maximised
    // from its last normal placement. Other numbers are not window states.
    const qint32 state = readInt(section, QStringLiteral("WindowState"), 0);
    if (state == 0)
        f.setWindowState(f.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    else if (state == 1)
        f.setWindowState((f.windowState() & ~Qt::WindowFullScreen) | Qt::WindowMinimized);
    else if (state == 2)
        f.setWindowState((f.windowState() & ~(Qt::WindowMinimized | Qt::WindowFullScreen)) | Qt::WindowMaximized);

    // A coordinate of exactly 0 means "centred on the screen" along that axis.
    // Only a window in the normal state has such coordinates.
    if (windowStateNumber(f.windowState()) != 0)
        return;
    const QRect placed = f.frameGeometry();
    const QRect centred = withZeroCoordinatesCentred(placed, f.screenGeometry());
    if (centred != placed)
        f.move(centred.topLeft());
}
