#include "gui/kit/AppContext.h"

#include <QDir>
#include <QFileInfo>

QString AppContext::attachmentFolderProblem() const
{
    const QString folder = QDir::toNativeSeparators(attachmentFolder());
    const QFileInfo info(attachmentFolder());
    // The office's folder is a network folder: missing, it is one not mounted here,
    // and a folder made in its place would hold what the office never sees.
    const QString whereNamed = officeAttachmentFolder.isEmpty()
        ? QString()
        : QStringLiteral(" La cartella è indicata dalla riga Allegati= nella sezione [Catalogo] di CINFIG.INI.");
    if (!info.exists())
        return QStringLiteral("La cartella degli allegati \"%1\" non esiste.").arg(folder) + whereNamed
            + (officeAttachmentFolder.isEmpty()
                   ? QStringLiteral(" Crearla, ad esempio con il comando:\n  mkdir \"%1\"").arg(folder)
                   : QStringLiteral(" Controllare che la cartella dell'ufficio sia collegata (montata) su questa "
                                    "postazione."));
    if (!info.isDir())
        return QStringLiteral("La cartella degli allegati \"%1\" non è una cartella ma un file.").arg(folder)
            + whereNamed;
    if (!info.isWritable())
        return QStringLiteral("Nella cartella degli allegati \"%1\" non si può scrivere. Dare all'utente il permesso "
                              "di scrittura, ad esempio con il comando:\n  chmod u+w \"%1\"")
                   .arg(folder)
            + whereNamed;
    return QString();
}
