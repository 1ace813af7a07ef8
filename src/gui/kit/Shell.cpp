#include "gui/kit/Shell.h"

#include <QDesktopServices>
#include <optional>
#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {
// The desktop's program for files of `mime`: empty when it names none. Asked of
// xdg-mime, as xdg-open will; nothing can be told without it.
std::optional<QString> desktopProgramFor(const QString &mime)
{
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return std::nullopt;
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), mime});
    if (!query.waitForFinished(5000) || query.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}
} // namespace

QString DesktopShell::openFile(const QString &path)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (!QFileInfo(path).isFile())
        return QStringLiteral("Il file \"%1\" non c'è: forse è stato spostato, rinominato o eliminato.").arg(shown);
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    if (const auto program = desktopProgramFor(type.name()); program && program->isEmpty())
        return QStringLiteral("Il file \"%1\" non è stato aperto: sul computer non c'è un programma che apra i file "
                              "di tipo \"%2\" (%3).\nInstallare un programma adatto (per i documenti PDF, ad "
                              "esempio, un lettore di PDF) e riprovare.")
            .arg(shown, type.comment(), type.name());
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return QStringLiteral("Il desktop non è riuscito ad aprire il file \"%1\".").arg(shown);
    return QString();
}

bool DesktopShell::openUrl(const QString &url)
{
    return QDesktopServices::openUrl(QUrl(url));
}
