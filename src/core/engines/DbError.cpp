#include "core/engines/DbError.h"

#include "core/engines/Engine.h"
#include "core/engines/ServerLocation.h"

#include <QFileInfo>
#include <QSqlError>
#include <QStorageInfo>
#include <sqlite3.h>

namespace db {

namespace {
// What a failure of that kind means, in one Italian sentence (for a missing
// permission, also the command that grants it).
QString sentenceFor(DbError::Kind kind, const QString &location)
{
    const bool server = isServerLocation(location);
    const QString seconds = QString::number(busyWaitMilliseconds / 1000);
    switch (kind) {
    case DbError::Kind::Busy:
        if (server)
            return QStringLiteral("Il catalogo è in uso da un'altra postazione che sta salvando e non si è liberato "
                                  "entro %1 secondi.")
                .arg(seconds);
        return QStringLiteral("Il catalogo è in uso da un altro programma (ad esempio un'altra copia di questo "
                              "programma che sta salvando) e non si è liberato entro %1 secondi.")
            .arg(seconds);
    case DbError::Kind::Damaged:
        if (server)
            return QStringLiteral("Il server segnala dati del catalogo danneggiati.");
        return QStringLiteral("Il file del catalogo contiene dati che il database non riesce a leggere.");
    case DbError::Kind::ReadOnly:
        if (server)
            return QStringLiteral("Il server accetta sul catalogo solo letture.");
        return QStringLiteral("Il database non può scrivere nel file del catalogo o nella sua cartella.");
    case DbError::Kind::Denied:
        return deniedPermissionAdvice(location);
    case DbError::Kind::ConnectionLost:
        return QStringLiteral("Il collegamento con il server \"%1\" si è interrotto: il server è stato fermato o "
                              "riavviato, oppure la rete non risponde.")
            .arg(serverLabel(location));
    case DbError::Kind::DiskFull:
        if (server)
            return QStringLiteral("Il disco del server non ha più spazio per il catalogo.");
        return QStringLiteral("Il disco che contiene il catalogo è pieno: il database non ha potuto scrivere.");
    case DbError::Kind::Engine:
        break;
    }
    if (server)
        return QStringLiteral("Il server ha rifiutato l'operazione sul catalogo.");
    return QStringLiteral("Il database ha rifiutato l'operazione sul catalogo.");
}
} // namespace

DbError::DbError(Kind kind, const QString &sentence, QString engineWords, QString catalogPath)
    : std::runtime_error(sentence.toStdString()),
      m_reason(engineWords.isEmpty() ? sentence : sentence + QStringLiteral("\n\n") + engineWords),
      m_engineWords(std::move(engineWords)), m_kind(kind), m_catalogPath(std::move(catalogPath))
{
}

DbError engineFailure(DbError::Kind kind, const QString &engineWords, const QString &location)
{
    const QString words = engineWords.trimmed();
    return DbError(kind, sentenceFor(kind, location),
                   words.isEmpty() ? QStringLiteral("(il database non ha indicato il motivo)") : words, location);
}

DbError::Kind kindOfEngineCode(int code)
{
    switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DbError::Kind::Busy;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return DbError::Kind::Damaged;
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return DbError::Kind::ReadOnly;
    case SQLITE_FULL:
        return DbError::Kind::DiskFull;
    default:
        return DbError::Kind::Engine;
    }
}

qint64 diskSpaceLeft(const QString &path)
{
    const QFileInfo info(path);
    const QStorageInfo disk(info.isDir() ? info.absoluteFilePath() : info.absolutePath());
    return disk.isValid() ? disk.bytesAvailable() : -1;
}

bool diskFull(const QString &path)
{
    const qint64 left = diskSpaceLeft(path);
    return left >= 0 && left < diskRoomNeeded;
}

DbError engineError(int code, const QString &text, const QString &catalogPath)
{
    DbError::Kind kind = kindOfEngineCode(code);
    // A write refused by the disk comes as an input/output error ("disk I/O error").
    if (kind == DbError::Kind::Engine && (code & 0xFF) == SQLITE_IOERR && !isServerLocation(catalogPath)
        && !catalogPath.isEmpty() && diskFull(catalogPath))
        kind = DbError::Kind::DiskFull;
    return engineFailure(kind, text, catalogPath);
}

DbError engineError(const QSqlError &error, const QString &catalogPath)
{
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return engineError(numeric ? code : SQLITE_ERROR, text, catalogPath);
}

} // namespace db
