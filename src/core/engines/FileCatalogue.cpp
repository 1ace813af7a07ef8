#include "core/engines/FileCatalogue.h"

#include "core/engines/DbError.h"
#include "core/engines/FileEngine.h"
#include "core/engines/FileSearchIndex.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace db {

namespace {
QAtomicInteger<quint64> schemaConnections;

// A short-lived connection of its own for the schema work.
class SchemaConnection {
public:
    explicit SchemaConnection(const QString &path, const QString &options = QString())
        : m_name(QStringLiteral("schema-%1").arg(schemaConnections.fetchAndAddRelaxed(1)))
    {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        m_db.setDatabaseName(path);
        m_db.setConnectOptions(options);
        m_ok = m_db.open();
        if (m_ok) {
            auto *handle = *static_cast<sqlite3 *const *>(m_db.driver()->handle().data());
            m_ok = handle && installTrigramTokenizer(handle);
        }
    }
    ~SchemaConnection()
    {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    bool ok() const { return m_ok; }
    QSqlDatabase &db() { return m_db; }

private:
    QString m_name;
    QSqlDatabase m_db;
    bool m_ok = false;
};
} // namespace

namespace {
// Whether this user may write `path` (the effective user: what the engine will meet).
bool writable(const QString &path)
{
    return faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) == 0;
}

// A file cut short by a copy that did not finish: its header tells how many pages
// it has (when that count is valid), and they are not all there. A write-ahead
// log beside it may hold the missing pages, and then nothing can be told.
bool cutShort(const QString &path)
{
    if (QFileInfo::exists(path + QStringLiteral("-wal")))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(100);
    if (header.size() < 100)
        return true;
    const auto number = [&header](int at) {
        return quint32(quint8(header[at])) << 24 | quint32(quint8(header[at + 1])) << 16
            | quint32(quint8(header[at + 2])) << 8 | quint32(quint8(header[at + 3]));
    };
    const quint32 pageSizeField = quint32(quint8(header[16])) << 8 | quint8(header[17]);
    const qint64 pageSize = pageSizeField == 1 ? 65536 : pageSizeField;
    const bool countValid = number(24) == number(92) && number(28) > 0;
    return countValid && file.size() < qint64(number(28)) * pageSize;
}

// The engine's work files (its log and shared memory) that opening the catalogue
// for the check made, taken away again when they hold nothing: a start that is
// refused leaves the folder as it found it.
class WorkFilesOfCheck {
public:
    explicit WorkFilesOfCheck(const QString &path)
    {
        for (const char *suffix : {"-wal", "-shm"}) {
            const QString file = path + QLatin1String(suffix);
            if (!QFileInfo::exists(file))
                m_new.append(file);
        }
    }
    ~WorkFilesOfCheck()
    {
        for (const QString &file : m_new)
            if (QFileInfo(file).size() == 0)
                QFile::remove(file);
    }
    WorkFilesOfCheck(const WorkFilesOfCheck &) = delete;
    WorkFilesOfCheck &operator=(const WorkFilesOfCheck &) = delete;

private:
    QStringList m_new;
};

CatalogueCheck damaged(const QString &reason)
{
    return {CatalogueCheck::Problem::Damaged, reason};
}

CatalogueCheck other(const QString &explanation)
{
    return {CatalogueCheck::Problem::Other, explanation};
}
} // namespace

void createCatalogueFile(const QString &path)
{
    if (QFileInfo::exists(path))
        throw DbError(QStringLiteral("Il file \"%1\" esiste già: non viene sovrascritto.").arg(path));
    const QFileInfo target(path);
    if (!target.dir().exists())
        throw DbError(QStringLiteral("La cartella \"%1\" non esiste.").arg(target.absolutePath()));

    // Built under a temporary name and renamed at the end, so that no half-made
    // catalogue is ever left under the real name.
    const QString temporary = path + QStringLiteral(".creazione");
    QFile::remove(temporary);
    QString failure;
    {
        SchemaConnection connection(temporary);
        if (!connection.ok()) {
            failure = connection.db().lastError().text();
        } else {
            QSqlQuery query(connection.db());
            if (!connection.db().transaction())
                failure = connection.db().lastError().text();
            // Every field of Tabella but ID takes any text, the empty one included;
            // the counters never give a number twice; the document counter starts at 0.
            const QStringList statements = fileTableStatements()
                << QStringLiteral("INSERT INTO contatore (Progressivo) VALUES (0)") << searchIndexCreateStatements();
            for (const QString &statement : statements) {
                if (!failure.isEmpty())
                    break;
                if (!query.exec(statement))
                    failure = query.lastError().text();
            }
            if (failure.isEmpty() && !connection.db().commit())
                failure = connection.db().lastError().text();
            if (failure.isEmpty() && !query.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
                failure = query.lastError().text();
        }
    }
    if (failure.isEmpty() && !QFile::rename(temporary, path))
        failure = QStringLiteral("impossibile dare al file il nome \"%1\"").arg(path);
    if (!failure.isEmpty()) {
        QFile::remove(temporary);
        QFile::remove(temporary + QStringLiteral("-wal"));
        QFile::remove(temporary + QStringLiteral("-shm"));
        throw DbError(QStringLiteral("Impossibile creare il catalogo \"%1\": %2").arg(path, failure));
    }
}

CatalogueCheck checkCatalogueFile(const QString &path)
{
    const QString createCommand = QStringLiteral("  crea_catalogo \"%1\"")
                                      .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
    const QFileInfo info(path);
    if (!info.exists())
        return other(QStringLiteral("Il catalogo \"%1\" non è stato trovato.").arg(path)
                     + QStringLiteral("\n\nPer creare un catalogo vuoto usare il comando:\n") + createCommand);
    // Something else stands under the catalogue's name: the tool makes no
    // catalogue over it, so it is moved aside first (the program deletes nothing).
    const QString howToCreate = QStringLiteral("\n\nPer creare un catalogo vuoto, spostare o rinominare \"%1\" "
                                               "(ad esempio in \"%2\"), poi usare il comando:\n")
                                    .arg(QDir::toNativeSeparators(path), info.fileName() + QStringLiteral(".vecchio"))
        + createCommand;
    if (!info.isFile())
        return other(QStringLiteral("\"%1\" non è un file: non può essere il catalogo.").arg(path) + howToCreate);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return other(QStringLiteral("Il catalogo \"%1\" non si può leggere: %2").arg(path, file.errorString()));
    const QByteArray header = file.read(16);
    file.close();
    const QString notCatalogue = QStringLiteral("Il file \"%1\" non è un catalogo di questo programma").arg(path);
    if (header != QByteArray("SQLite format 3\0", 16))
        return other(notCatalogue + QStringLiteral(" (non è un database).")
            + QStringLiteral("\nIl file non è stato modificato.") + howToCreate);

    if (cutShort(path))
        return damaged(QStringLiteral("il file è più corto di quanto dice la sua intestazione "
                                      "(forse una copia non finita)."));

    // Before the engine opens it: a catalogue in write-ahead-log mode cannot even
    // be read by a user who may not write beside it, nor on a disk with no room
    // for its work files.
    if (!writable(path) || !writable(info.absolutePath()))
        return {CatalogueCheck::Problem::ReadOnly, QString()};
    if (diskFull(path))
        return {CatalogueCheck::Problem::DiskFull, QString()};

    const WorkFilesOfCheck workFiles(path);
    SchemaConnection connection(path, QStringLiteral("QSQLITE_OPEN_READONLY"));
    const auto engineProblem = [&](const DbError &error) -> CatalogueCheck {
        if (error.kind() == DbError::Kind::Damaged)
            return damaged(error.reason());
        if (error.kind() == DbError::Kind::DiskFull)
            return {CatalogueCheck::Problem::DiskFull, QString()};
        return other(notCatalogue + QStringLiteral(": ") + error.engineWords() + howToCreate);
    };
    if (!connection.ok())
        return engineProblem(engineError(connection.db().lastError(), path));
    for (const schema::Table &table : schema::tables()) {
        QSqlQuery query(connection.db());
        query.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?)"));
        query.addBindValue(table.name);
        if (!query.exec())
            return engineProblem(engineError(query.lastError(), path));
        QStringList present;
        while (query.next())
            present.append(query.value(0).toString().toLower());
        if (present.isEmpty())
            return other(notCatalogue + QStringLiteral(": manca la tabella \"%1\".").arg(table.name)
                + QStringLiteral("\nIl file non è stato modificato.") + howToCreate);
        for (const QString &field : table.fieldNames())
            if (!present.contains(field.toLower()))
                return other(notCatalogue
                    + QStringLiteral(": nella tabella \"%1\" manca il campo \"%2\".").arg(table.name, field)
                    + QStringLiteral("\nIl file non è stato modificato.") + howToCreate);
    }
    return {};
}

} // namespace db
