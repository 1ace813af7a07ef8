#include "core/catalogue/Diagnosis.h"

#include "core/catalogue/Backup.h"
#include "core/engines/DbError.h"
#include "core/engines/Engine.h"

#include <QDir>
#include <QFileInfo>

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

QString forTheExpert(const DbError &error)
{
    return QStringLiteral("\n\n") + error.reason();
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
        return QStringLiteral("L'utente con cui il programma si collega al server non ha il permesso di modificare "
                              "le tabelle del catalogo: chiedere a chi amministra il server di darglielo.");
    const QFileInfo file(catalogPath);
    return QStringLiteral("Il programma deve poter scrivere sia il file \"%1\" sia la cartella \"%2\" che lo "
                          "contiene (vi tiene i file di lavoro del catalogo). Dare all'utente il permesso di "
                          "scrittura, ad esempio con i comandi:\n  chmod u+w \"%1\"\n  chmod u+w \"%2\"")
        .arg(shown(file.absoluteFilePath()), shown(file.absolutePath()));
}

QString failureMessage(const DbError &error)
{
    const QString path = error.catalogPath();
    switch (error.kind()) {
    case DbError::Kind::Busy:
        if (shared(path))
            return QStringLiteral("L'operazione non è stata eseguita: il catalogo è in uso da un'altra postazione "
                                  "che sta salvando e non si è liberato in tempo. Nulla è stato modificato: "
                                  "riprovare tra qualche istante.")
                + forTheExpert(error);
        return QStringLiteral("L'operazione non è stata eseguita: il catalogo è in uso da un altro programma (ad "
                              "esempio un'altra copia di questo programma che sta salvando) e non si è liberato in "
                              "tempo. Nulla è stato modificato: riprovare tra qualche istante.")
            + forTheExpert(error);
    case DbError::Kind::Damaged:
        return QStringLiteral("L'operazione non è stata eseguita: il catalogo \"%1\" è danneggiato.\n").arg(shown(path))
            + damagedAdvice(path) + forTheExpert(error);
    case DbError::Kind::ReadOnly:
        return QStringLiteral("L'operazione non è stata eseguita: il catalogo \"%1\" si può leggere ma non "
                              "modificare, e nulla è stato modificato.\n")
                   .arg(shown(path))
            + readOnlyAdvice(path) + forTheExpert(error);
    case DbError::Kind::Engine:
        break;
    }
    return QStringLiteral("L'operazione non è stata eseguita: il catalogo ha segnalato un errore.\n\n")
        + error.reason();
}

} // namespace db
