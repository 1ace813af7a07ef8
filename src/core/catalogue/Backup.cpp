#include "core/catalogue/Backup.h"

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/CatalogueLock.h"
#include "core/engines/DbError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <signal.h>
#include <sqlite3.h>
#include <thread>
#include <unistd.h>

namespace backup {

namespace {

using db::DbError;
using db::Refusal;

// A copy goes in steps of this many pages, so that a long one can show its progress.
constexpr int pagesPerStep = 2048;
constexpr int busyTimeoutMs = 5000;

struct KindName {
    Kind kind;
    const char *word;
};
constexpr KindName kindNames[] = {
    {Kind::Daily, "giornaliera"},
    {Kind::BeforeDeletingRecords, "prima-di-eliminare-le-registrazioni"},
    {Kind::BeforeRestartingNumbering, "prima-di-azzerare-il-contatore"},
    {Kind::BeforeChangingCounter, "prima-di-cambiare-il-progressivo"},
    {Kind::BeforeRestore, "prima-del-ripristino"},
    {Kind::BeforeRestoreUnchecked, "prima-del-ripristino-non-verificata"},
};

QString wordOf(Kind kind)
{
    for (const KindName &name : kindNames)
        if (name.kind == kind)
            return QString::fromLatin1(name.word);
    return QString();
}

bool isDaily(Kind kind)
{
    return kind == Kind::Daily;
}

const QString stampFormat = QStringLiteral("yyyy-MM-dd_HH-mm-ss");

QString copyName(const QString &base, const QDateTime &made, Kind kind, int sequence)
{
    QString name = base + QLatin1Char('_') + made.toString(stampFormat) + QLatin1Char('_') + wordOf(kind);
    if (sequence > 1)
        name += QLatin1Char('_') + QString::number(sequence);
    return name + QStringLiteral(".mdb");
}

std::optional<Copy> parseName(const QString &folder, const QString &fileName, const QString &base)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(.+)_(\\d{4}-\\d{2}-\\d{2}_\\d{2}-\\d{2}-\\d{2})_([a-z-]+?)(?:_(\\d+))?\\.mdb$"));
    const QRegularExpressionMatch match = pattern.match(fileName);
    if (!match.hasMatch() || match.captured(1) != base)
        return std::nullopt;
    Copy copy;
    copy.made = QDateTime::fromString(match.captured(2), stampFormat);
    if (!copy.made.isValid())
        return std::nullopt;
    const QString word = match.captured(3);
    const auto known = std::find_if(std::begin(kindNames), std::end(kindNames),
                                    [&](const KindName &name) { return word == QLatin1String(name.word); });
    if (known == std::end(kindNames))
        return std::nullopt;
    copy.kind = known->kind;
    copy.sequence = match.captured(4).isEmpty() ? 1 : match.captured(4).toInt();
    copy.path = folder + QLatin1Char('/') + fileName;
    return copy;
}

QString baseOf(const QString &catalogPath)
{
    return QFileInfo(catalogPath).completeBaseName();
}

QString systemError(int error = errno)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The engine's own words for a failure, with the usual ones in Italian.
QString engineReason(sqlite3 *handle, int code)
{
    switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("il file è occupato da un altro programma che lo sta modificando");
    case SQLITE_FULL:
        return QStringLiteral("il disco è pieno");
    case SQLITE_CORRUPT:
        return QStringLiteral("il file è danneggiato");
    case SQLITE_NOTADB:
        return QStringLiteral("il file non è un database");
    case SQLITE_CANTOPEN:
        return QStringLiteral("il file non si può aprire");
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return QStringLiteral("il file non si può scrivere");
    default:
        break;
    }
    return handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : QString::fromUtf8(sqlite3_errstr(code));
}

// What the engine said when a step failed; the callers turn it into a sentence.
struct EngineFailure {
    QString reason;
};

// A raw connection of the engine, closed when it goes.
class Handle {
public:
    Handle(const QString &path, int flags)
    {
        const int code = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
        if (code != SQLITE_OK)
            throw EngineFailure{engineReason(m_db, code)};
        sqlite3_busy_timeout(m_db, busyTimeoutMs);
        sqlite3_extended_result_codes(m_db, 1);
    }
    ~Handle() { sqlite3_close_v2(m_db); }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;

    sqlite3 *get() const { return m_db; }

    void run(const char *statement)
    {
        const int code = sqlite3_exec(m_db, statement, nullptr, nullptr, nullptr);
        if (code != SQLITE_OK)
            throw EngineFailure{engineReason(m_db, code)};
    }

    // The first column of every row of a statement.
    QStringList column(const char *statement)
    {
        sqlite3_stmt *query = nullptr;
        int code = sqlite3_prepare_v2(m_db, statement, -1, &query, nullptr);
        QStringList values;
        while (code == SQLITE_OK || code == SQLITE_ROW) {
            code = sqlite3_step(query);
            if (code == SQLITE_ROW)
                values.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(query, 0))));
        }
        sqlite3_finalize(query);
        if (code != SQLITE_DONE)
            throw EngineFailure{engineReason(m_db, code)};
        return values;
    }

private:
    sqlite3 *m_db = nullptr;
};

void removeDatabaseFiles(const QString &path)
{
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

// Copies the database `source` into the new file `target` with the engine's online
// backup. The source is read in one read transaction, so that the copy is one
// consistent state of it however long it takes, while others may go on writing.
// The copy is left as a plain file without a write-ahead log. Returns the pages copied.
qint64 onlineCopy(const QString &source, const QString &target, const Progress &progress)
{
    Handle from(source, SQLITE_OPEN_READONLY);
    from.run("BEGIN");
    from.column("SELECT count(*) FROM sqlite_schema"); // takes the snapshot now
    qint64 pages = 0;
    {
        Handle to(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        sqlite3_backup *backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
        if (!backup)
            throw EngineFailure{engineReason(to.get(), sqlite3_errcode(to.get()))};
        int code = SQLITE_OK;
        int waits = 0;
        while (true) {
            code = sqlite3_backup_step(backup, pagesPerStep);
            if (code == SQLITE_OK || code == SQLITE_DONE) {
                pages = sqlite3_backup_pagecount(backup);
                if (progress)
                    progress(pages - sqlite3_backup_remaining(backup), pages);
                if (code == SQLITE_DONE)
                    break;
            } else if ((code == SQLITE_BUSY || code == SQLITE_LOCKED) && waits < busyTimeoutMs / 50) {
                ++waits;
                sqlite3_sleep(50);
            } else {
                break;
            }
        }
        sqlite3_backup_finish(backup);
        if (code != SQLITE_DONE)
            throw EngineFailure{engineReason(to.get(), code)};
    }
    from.run("COMMIT");
    // The copy carries the source's header, so a copy of a catalogue in WAL mode
    // would want a log file of its own: it becomes a plain single file.
    Handle to(target, SQLITE_OPEN_READWRITE);
    to.column("PRAGMA journal_mode=DELETE");
    return pages;
}

// Empty when the engine's integrity check of the file says "ok"; otherwise what
// it found (its first lines).
QString integrityProblem(const QString &path)
{
    try {
        Handle copy(path, SQLITE_OPEN_READONLY);
        const QStringList found = copy.column("PRAGMA quick_check");
        if (found == QStringList{QStringLiteral("ok")})
            return QString();
        return found.isEmpty() ? QStringLiteral("nessuna risposta") : found.mid(0, 3).join(QStringLiteral("; "));
    } catch (const EngineFailure &failure) {
        return failure.reason;
    }
}

// The bytes a thread of this process has read from files so far, as the system
// counts them; -1 when it does not say.
qint64 bytesReadBy(pid_t thread)
{
    const QByteArray path = "/proc/self/task/" + QByteArray::number(thread) + "/io";
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    char buffer[512];
    const ssize_t size = ::read(fd, buffer, sizeof buffer - 1);
    ::close(fd);
    if (size <= 0)
        return -1;
    const QByteArray text(buffer, size);
    const qsizetype at = text.indexOf("rchar:");
    if (at < 0)
        return -1;
    bool ok = false;
    const qint64 bytes = text.mid(at + 6, text.indexOf('\n', at) - at - 6).trimmed().toLongLong(&ok);
    return ok ? bytes : -1;
}

// The integrity check with its progress: the check, which is one long call of the
// engine, runs on a thread of its own while this one tells, every tenth of a
// second, how much of the file it has read (it reads every page about once).
QString watchedIntegrityProblem(const QString &path, const std::function<void(double)> &checked)
{
    const double size = double(QFileInfo(path).size());
    std::atomic<pid_t> thread{0};
    std::atomic<bool> finished{false};
    QString problem;
    std::thread check([&] {
        thread = ::gettid();
        problem = integrityProblem(path);
        finished = true;
    });
    qint64 start = -1;
    while (!finished) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (thread == 0 || size <= 0)
            continue;
        const qint64 read = bytesReadBy(thread);
        if (read < 0)
            continue;
        if (start < 0)
            start = read;
        checked(std::min(0.99, double(read - start) / size));
    }
    check.join();
    return problem;
}

// Copies with the online backup and checks the copy, the progress of both told as
// one: the copy fills its first half, the check the second. Empty when the copy
// checked out, else what the check found; throws EngineFailure when the copy failed.
QString copyAndCheck(const QString &source, const QString &target, const Progress &progress)
{
    const qint64 pages = onlineCopy(source, target, [&](qint64 done, qint64 total) {
        if (progress)
            progress(done, 2 * total);
    });
    if (!progress)
        return integrityProblem(target);
    const QString problem
        = watchedIntegrityProblem(target, [&](double part) { progress(pages + qint64(part * pages), 2 * pages); });
    progress(2 * pages, 2 * pages);
    return problem;
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Gives `temporary` the copy's name, never replacing a file: a name taken (by a
// copy of the same second) gets the next number. Returns the name given.
QString placeCopy(const QString &temporary, const QString &folder, const QString &base, const QDateTime &made,
                  Kind kind)
{
    for (int sequence = 1; sequence < 1000; ++sequence) {
        const QString path = folder + QLatin1Char('/') + copyName(base, made, kind, sequence);
        const QByteArray from = QFile::encodeName(temporary);
        const QByteArray to = QFile::encodeName(path);
        int result = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
        if (result != 0 && errno == EEXIST)
            continue;
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system that cannot refuse to replace: look first.
            if (QFileInfo::exists(path))
                continue;
            result = ::rename(from.constData(), to.constData());
        }
        if (result != 0)
            throw DbError(QStringLiteral("Impossibile dare alla copia di sicurezza il nome \"%1\": %2.")
                              .arg(path, systemError()));
        syncFolder(folder);
        return path;
    }
    throw DbError(QStringLiteral("Troppe copie di sicurezza nello stesso secondo nella cartella \"%1\".").arg(folder));
}

// Temporary files that a copy interrupted for good (the process that made them is
// gone) left behind; their names end with ".<process id>.<what>".
void removeLeftoversOf(const QString &folder, const QString &what)
{
    static const QRegularExpression pidPattern(QStringLiteral("\\.(\\d+)\\.[a-z-]+$"));
    const QStringList names
        = QDir(folder).entryList({QLatin1Char('*') + what + QLatin1Char('*')}, QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        const QRegularExpressionMatch match = pidPattern.match(name);
        if (!match.hasMatch() || !name.startsWith(QLatin1Char('.')))
            continue;
        const pid_t pid = match.captured(1).toInt();
        if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH)
            QFile::remove(folder + QLatin1Char('/') + name);
    }
}

QString temporaryName(const QString &folder, const QString &finalName, const QString &what)
{
    return folder + QStringLiteral("/.") + finalName + QLatin1Char('.') + QString::number(::getpid()) + QLatin1Char('.')
        + what;
}

QString ensureFolder(const QString &catalogPath)
{
    const QString folder = folderOf(catalogPath);
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        throw DbError(
            QStringLiteral("\"%1\" esiste ma non è una cartella: le copie di sicurezza non vi si possono mettere.")
                .arg(folder));
    if (!info.exists() && !QDir().mkpath(folder))
        throw DbError(QStringLiteral("Impossibile creare la cartella delle copie di sicurezza \"%1\".").arg(folder));
    return folder;
}

// Removes the oldest copies of the group of `kind` beyond those kept. The copy
// just made stays whatever its time says (the clock may have been put back), and
// so does `spared` (a copy being restored).
void prune(const QString &catalogPath, Kind kind, const QString &made, const QString &spared)
{
    int seen = 0;
    for (const Copy &copy : copies(catalogPath)) {
        if (isDaily(copy.kind) != isDaily(kind))
            continue;
        const QFileInfo file(copy.path);
        if (++seen > copiesKept && file != QFileInfo(made) && file != QFileInfo(spared))
            QFile::remove(copy.path);
    }
}

QString makeCheckedCopy(const QString &catalogPath, Kind kind, const Progress &progress, const QString &spared)
{
    if (!QFileInfo(catalogPath).isFile())
        throw DbError(QStringLiteral("Il catalogo \"%1\" non esiste: non c'è nulla da copiare.").arg(catalogPath));
    const QString folder = ensureFolder(catalogPath);
    removeLeftovers(catalogPath);
    const QString base = baseOf(catalogPath);
    const QDateTime made = QDateTime::currentDateTime();
    const QString temporary = temporaryName(folder, copyName(base, made, kind, 1), QStringLiteral("parziale"));
    removeDatabaseFiles(temporary);
    QString problem;
    try {
        problem = copyAndCheck(catalogPath, temporary, progress);
    } catch (const EngineFailure &failure) {
        removeDatabaseFiles(temporary);
        throw DbError(QStringLiteral("La copia di sicurezza del catalogo \"%1\" non è riuscita: %2.")
                          .arg(catalogPath, failure.reason));
    }
    if (!problem.isEmpty()) {
        removeDatabaseFiles(temporary);
        throw DbError(QStringLiteral("La copia di sicurezza del catalogo \"%1\" non ha superato il controllo di "
                                     "integrità, quindi il catalogo stesso potrebbe essere danneggiato: %2.")
                          .arg(catalogPath, problem));
    }
    QString path;
    try {
        path = placeCopy(temporary, folder, base, made, kind);
    } catch (...) {
        removeDatabaseFiles(temporary);
        throw;
    }
    prune(catalogPath, kind, path, spared);
    return path;
}

// The catalogue's write-ahead log written into the file and closed, so that the
// file alone holds everything. A failure (a damaged catalogue) is left to the
// copy that follows.
void checkpoint(const QString &catalogPath)
{
    try {
        Handle catalogue(catalogPath, SQLITE_OPEN_READWRITE);
        catalogue.column("PRAGMA wal_checkpoint(TRUNCATE)");
    } catch (const EngineFailure &) {
    }
}

// The catalogue that a restore replaces, kept as one more copy: checked as every
// copy is; when it fails the check (the catalogue is damaged, which is why it is
// replaced), byte for byte with its log, as it was.
QString keepCurrent(const QString &catalogPath, const QString &spared, const Progress &progress, bool &checked)
{
    checkpoint(catalogPath);
    checked = true;
    try {
        return makeCheckedCopy(catalogPath, Kind::BeforeRestore, progress, spared);
    } catch (const DbError &) {
        checked = false;
    }
    const QString folder = ensureFolder(catalogPath);
    const QDateTime made = QDateTime::currentDateTime();
    const Kind kind = Kind::BeforeRestoreUnchecked;
    const QString temporary
        = temporaryName(folder, copyName(baseOf(catalogPath), made, kind, 1), QStringLiteral("parziale"));
    const QString log = catalogPath + QStringLiteral("-wal");
    const bool withLog = QFileInfo::exists(log);
    removeDatabaseFiles(temporary);
    if (!QFile::copy(catalogPath, temporary) || (withLog && !QFile::copy(log, temporary + QStringLiteral("-wal")))) {
        removeDatabaseFiles(temporary);
        throw DbError(QStringLiteral("Impossibile conservare una copia del catalogo attuale nella cartella \"%1\": "
                                     "il catalogo non è stato cambiato.")
                          .arg(folder));
    }
    QString path;
    try {
        path = placeCopy(temporary, folder, baseOf(catalogPath), made, kind);
    } catch (...) {
        removeDatabaseFiles(temporary);
        throw;
    }
    if (withLog)
        QFile::rename(temporary + QStringLiteral("-wal"), path + QStringLiteral("-wal"));
    return path;
}

std::optional<Copy> newestChecked(const QString &catalogPath)
{
    for (const Copy &copy : copies(catalogPath))
        if (copy.kind != Kind::BeforeRestoreUnchecked)
            return copy;
    return std::nullopt;
}

} // namespace

QString folderOf(const QString &catalogPath)
{
    return QFileInfo(catalogPath).absolutePath() + QStringLiteral("/Backup");
}

QList<Copy> copies(const QString &catalogPath)
{
    const QString folder = folderOf(catalogPath);
    const QString base = baseOf(catalogPath);
    QList<Copy> found;
    for (const QString &name : QDir(folder).entryList({QStringLiteral("*.mdb")}, QDir::Files)) {
        if (const std::optional<Copy> copy = parseName(folder, name, base))
            found.append(*copy);
    }
    std::sort(found.begin(), found.end(), [](const Copy &a, const Copy &b) {
        if (a.made != b.made)
            return a.made > b.made;
        if (a.sequence != b.sequence)
            return a.sequence > b.sequence;
        return a.path > b.path;
    });
    return found;
}

QString newestCopy(const QString &catalogPath)
{
    const std::optional<Copy> newest = newestChecked(catalogPath);
    return newest ? newest->path : QString();
}

QString restoreAdvice(const QString &catalogPath)
{
    const std::optional<Copy> newest = newestChecked(catalogPath);
    if (!newest)
        return QStringLiteral("Nella cartella \"%1\" non c'è nessuna copia di sicurezza del catalogo.")
            .arg(QDir::toNativeSeparators(folderOf(catalogPath)));
    return QStringLiteral("La copia di sicurezza più recente è \"%1\", del %2. Per rimettere questa copia al "
                          "posto del catalogo, chiudere il programma e dare il comando:\n"
                          "  crea_catalogo --ripristina \"%1\" \"%3\"")
        .arg(QDir::toNativeSeparators(newest->path),
             QLocale(QLocale::Italian).toString(newest->made, QStringLiteral("dd/MM/yyyy HH:mm:ss")),
             QDir::toNativeSeparators(QFileInfo(catalogPath).absolutePath()));
}

void removeLeftovers(const QString &catalogPath)
{
    removeLeftoversOf(folderOf(catalogPath), QStringLiteral(".parziale"));
    removeLeftoversOf(QFileInfo(catalogPath).absolutePath(), QStringLiteral(".ripristino"));
}

QString makeCopy(const QString &catalogPath, Kind kind, const Progress &progress)
{
    return makeCheckedCopy(catalogPath, kind, progress, QString());
}

QString makeDailyCopy(const QString &catalogPath, const Progress &progress)
{
    const QDate today = QDate::currentDate();
    for (const Copy &copy : copies(catalogPath))
        if (copy.kind == Kind::Daily && copy.made.date() == today)
            return QString();
    return makeCopy(catalogPath, Kind::Daily, progress);
}

Restored restore(const QString &copyPath, const QString &catalogPath, const Progress &progress)
{
    const QString unchanged = QStringLiteral("il catalogo non è stato cambiato");
    const QFileInfo catalogue(catalogPath);
    const QString folder = catalogue.absolutePath();
    if (!QFileInfo(folder).isDir())
        throw Refusal(
            QStringLiteral("La cartella \"%1\" non esiste: nessun catalogo è stato ripristinato.").arg(folder));
    const QFileInfo copy(copyPath);
    if (!copy.isFile())
        throw Refusal(QStringLiteral("La copia \"%1\" non esiste: %2.").arg(copyPath, unchanged));
    if (catalogue.exists() && copy.canonicalFilePath() == catalogue.canonicalFilePath())
        throw Refusal(QStringLiteral("La copia \"%1\" è il catalogo stesso: indicare una copia della cartella "
                                     "\"%2\" (%3).")
                          .arg(copyPath, folderOf(catalogPath), unchanged));

    const db::CatalogueLock lock(catalogPath, db::CatalogueLock::Exclusive);
    if (lock.busy())
        throw Refusal(QStringLiteral("Il catalogo \"%1\" è aperto dal programma: chiudere il programma e ripetere il "
                                     "comando (%2).")
                          .arg(catalogPath, unchanged));
    if (!lock.held())
        throw Refusal(lock.problem().chopped(1) + QStringLiteral(": ") + unchanged + QLatin1Char('.'));

    // The copy is brought beside the catalogue and checked there, so that what is
    // checked is exactly what is put in place.
    removeLeftovers(catalogPath);
    const QString temporary = temporaryName(folder, catalogue.fileName(), QStringLiteral("ripristino"));
    removeDatabaseFiles(temporary);
    // The copy brought in and the catalogue kept are told as the two halves of
    // one progress (one whole when there is no catalogue to keep).
    const int parts = catalogue.exists() ? 2 : 1;
    const auto part = [&](int index) -> Progress {
        if (!progress)
            return {};
        return [&progress, index, parts](qint64 done, qint64 total) {
            if (total > 0)
                progress(index * 1000 + done * 1000 / total, parts * 1000);
        };
    };
    Restored restored;
    try {
        QString problem;
        try {
            problem = copyAndCheck(copyPath, temporary, part(0));
        } catch (const EngineFailure &failure) {
            throw Refusal(QStringLiteral("La copia \"%1\" non si può leggere (%2): %3.")
                              .arg(copyPath, failure.reason, unchanged));
        }
        if (!problem.isEmpty())
            throw Refusal(QStringLiteral("La copia \"%1\" è danneggiata (controllo di integrità: %2): %3.")
                              .arg(copyPath, problem, unchanged));
        if (!db::checkCatalogue(temporary).isEmpty())
            throw Refusal(
                QStringLiteral("La copia \"%1\" non è un catalogo di questo programma: %2.").arg(copyPath, unchanged));
        try {
            // The catalogue is kept in WAL mode, as it is made.
            Handle restoredFile(temporary, SQLITE_OPEN_READWRITE);
            restoredFile.column("PRAGMA journal_mode=WAL");
        } catch (const EngineFailure &failure) {
            throw DbError(QStringLiteral("Impossibile preparare la copia \"%1\" (%2): %3.")
                              .arg(copyPath, failure.reason, unchanged));
        }

        if (catalogue.exists())
            restored.keptCopy = keepCurrent(catalogPath, copyPath, part(1), restored.keptChecked);
        // No log or journal of the old file may ever be applied to the new one:
        // they are moved aside, and back should the new file not get its name.
        QStringList setAside;
        for (const char *suffix : {"-wal", "-shm", "-journal"}) {
            const QString file = catalogPath + QLatin1String(suffix);
            if (QFileInfo::exists(file)
                && QFile::rename(file, temporary + QStringLiteral("-vecchio") + QLatin1String(suffix)))
                setAside.append(QLatin1String(suffix));
        }
        if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(catalogPath).constData()) != 0) {
            const QString reason = systemError();
            for (const QString &suffix : setAside)
                QFile::rename(temporary + QStringLiteral("-vecchio") + suffix, catalogPath + suffix);
            throw DbError(QStringLiteral("Impossibile mettere la copia al posto del catalogo \"%1\" (%2): %3.")
                              .arg(catalogPath, reason, unchanged));
        }
        for (const QString &suffix : setAside)
            QFile::remove(temporary + QStringLiteral("-vecchio") + suffix);
        syncFolder(folder);
    } catch (...) {
        removeDatabaseFiles(temporary);
        throw;
    }
    return restored;
}

} // namespace backup
