#include "core/catalogue/Diagnosis.h"

#include "core/catalogue/Backup.h"
#include "core/engines/DbError.h"
#include "core/engines/Engine.h"
#include "core/engines/ServerLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStorageInfo>

namespace db {

namespace {
// A catalogue as the user knows it: its file, or the server's URI without a password.
QString shown(const QString &path)
{
    return Engine::of(path).shown(path);
}

// A catalogue shared by the workstations of an office: its advice speaks of them
// and of the server's administrator.
bool shared(const QString &path)
{
    return Engine::of(path).sharedByWorkstations();
}
} // namespace

QString damagedAdvice(const QString &catalogPath)
{
    if (shared(catalogPath))
        return QStringLiteral("Avvisare chi amministra il server: il catalogo va controllato e, se serve, "
                              "ripristinato dalle copie del server (pg_dump).");
    return QStringLiteral("Il catalogo va ripristinato da una copia di sicurezza. ")
        + backup::restoreAdvice(catalogPath);
}

QString readOnlyAdvice(const QString &catalogPath)
{
    if (shared(catalogPath))
        return QStringLiteral("Il server tiene il database del catalogo in sola lettura: è un server di riserva, "
                              "oppure il database ha l'impostazione default_transaction_read_only. Chi amministra il "
                              "server colleghi le postazioni al server principale, oppure tolga l'impostazione con "
                              "il comando:\n  %1")
            .arg(administratorCommand(catalogPath,
                                      QStringLiteral("ALTER DATABASE %1 SET "
                                                     "default_transaction_read_only = off")
                                          .arg(quotedName(readServerUri(catalogPath).database()))));
    const QFileInfo file(catalogPath);
    const QStorageInfo disk(file.absolutePath());
    if (disk.isValid() && disk.isReadOnly())
        return QStringLiteral("Il catalogo si trova su un disco collegato (montato) in sola lettura: \"%1\". "
                              "Copiare la cartella \"%2\" su un disco in cui si può scrivere e avviare il programma "
                              "da lì, oppure chiedere a chi amministra il computer di collegare il disco in lettura "
                              "e scrittura.")
            .arg(QDir::toNativeSeparators(disk.rootPath()), shown(file.absolutePath()));
    return QStringLiteral("Il programma deve poter scrivere sia il file \"%1\" sia la cartella \"%2\" che lo "
                          "contiene (vi tiene i file di lavoro del catalogo). Dare all'utente il permesso di "
                          "scrittura, ad esempio con i comandi:\n  chmod u+w \"%1\"\n  chmod u+w \"%2\"")
        .arg(shown(file.absoluteFilePath()), shown(file.absolutePath()));
}

QString diskFullAdvice(const QString &catalogPath)
{
    if (shared(catalogPath))
        return QStringLiteral("Avvisare chi amministra il server: il disco che contiene i database del server va "
                              "liberato o ingrandito.");
    const QString folder = QDir::toNativeSeparators(QFileInfo(catalogPath).absolutePath());
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    const auto size = [&italian](qint64 bytes) {
        return italian.formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
    };
    const qint64 left = diskSpaceLeft(catalogPath);
    const QString howMuch = left < 0 ? QString()
                                     : QStringLiteral(" Sul disco restano %1 liberi; per lavorare il catalogo ne "
                                                      "chiede almeno %2, più lo spazio dei dati da salvare.")
                                           .arg(size(left), size(diskRoomNeeded));
    return QStringLiteral("Liberare spazio sul disco che contiene \"%1\" (ad esempio eliminando file non più "
                          "necessari o vecchie copie di sicurezza), poi riprovare.")
               .arg(folder)
        + howMuch;
}

QString failureMessage(const DbError &error)
{
    const QString path = error.catalogPath();
    QString head;
    switch (error.kind()) {
    case DbError::Kind::Busy:
        head = QStringLiteral("L'operazione non è stata eseguita. Nulla è stato modificato: riprovare tra qualche "
                              "istante.");
        break;
    case DbError::Kind::Damaged:
        head = QStringLiteral("L'operazione non è stata eseguita: il catalogo \"%1\" è danneggiato.\n").arg(shown(path))
            + damagedAdvice(path);
        break;
    case DbError::Kind::ReadOnly:
        head = QStringLiteral("L'operazione non è stata eseguita: il catalogo \"%1\" si può leggere ma non "
                              "modificare, e nulla è stato modificato.\n")
                   .arg(shown(path))
            + readOnlyAdvice(path);
        break;
    case DbError::Kind::Denied:
        head = QStringLiteral("L'operazione non è stata eseguita e nulla è stato modificato.");
        break;
    case DbError::Kind::ConnectionLost:
        head = QStringLiteral("L'operazione non è stata completata. Il programma si ricollega al server da solo "
                              "all'operazione successiva: quando il server risponde di nuovo, controllare se l'ultima "
                              "modifica risulta salvata e, se manca, ripeterla.");
        break;
    case DbError::Kind::DiskFull:
        head = QStringLiteral("L'operazione non è stata eseguita e nulla è stato modificato: lo spazio sul disco del "
                              "catalogo \"%1\" è finito.\n")
                   .arg(shown(path))
            + diskFullAdvice(path);
        break;
    case DbError::Kind::Engine:
        head = QStringLiteral("L'operazione non è stata eseguita.");
        break;
    }
    return head + QStringLiteral("\n\n") + error.reason();
}

} // namespace db
