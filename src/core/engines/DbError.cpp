#include "core/engines/DbError.h"

#include <QSqlError>
#include <sqlite3.h>

namespace db {

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
    default:
        return DbError::Kind::Engine;
    }
}

DbError engineError(int code, const QString &text, const QString &catalogPath)
{
    const QString reason = text.isEmpty() ? QStringLiteral("errore sconosciuto del database") : text;
    return DbError(reason, kindOfEngineCode(code), catalogPath);
}

DbError engineError(const QSqlError &error, const QString &catalogPath)
{
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return engineError(numeric ? code : SQLITE_ERROR, text, catalogPath);
}

} // namespace db
