#pragma once
// Backup copies of the catalogue in the folder "Backup" beside it: one a day at
// the first start, and one just before each action of the service window that
// destroys data. A copy is made with the engine's online backup, so that it holds
// everything committed (also what is still in the write-ahead log), while other
// programs may go on reading and writing. Each copy is written under a temporary
// name, checked with the engine's integrity check and only then given its name;
// after that, the oldest copies beyond ten of its group are removed (daily copies
// form one group, the copies made before an action the other).
//
// Names sort by the time they were made and say their kind:
//   db1_2026-12-08_21-30-05_giornaliera.mdb
//   db1_2026-12-08_21-30-05_prima-di-eliminare-le-registrazioni.mdb
// and "_2", "_3"... before ".mdb" for a second copy of the same kind in the
// same second. Copies are plain single files (no write-ahead log) that any
// SQLite tool opens.
//
// Failures are thrown as db::DbError, things the program will not do as
// db::Refusal; either text is a whole Italian sentence.
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>

namespace backup {

enum class Kind {
    Daily,                     // "giornaliera"
    BeforeDeletingRecords,     // "prima-di-eliminare-le-registrazioni"
    BeforeRestartingNumbering, // "prima-di-azzerare-il-contatore"
    BeforeChangingCounter,     // "prima-di-cambiare-il-progressivo"
    BeforeRestore,             // "prima-del-ripristino"
    // The catalogue replaced by a restore when it could not be copied and
    // checked (a damaged one): kept byte for byte, never offered as a copy to restore.
    BeforeRestoreUnchecked, // "prima-del-ripristino-non-verificata"
};

// How many copies of each group are kept.
constexpr int copiesKept = 10;

// How far a copy has gone, its check included: `done` out of `total`, told after
// every step of the copy and every tenth of a second of the check.
using Progress = std::function<void(qint64 done, qint64 total)>;

struct Copy {
    QString path;
    Kind kind = Kind::Daily;
    QDateTime made; // to the second, from the name
    int sequence = 1;
};

// The folder "Backup" beside the catalogue.
QString folderOf(const QString &catalogPath);
// The copies of that catalogue in its backup folder, newest first.
QList<Copy> copies(const QString &catalogPath);
// The newest copy that was checked when made; empty when there is none.
QString newestCopy(const QString &catalogPath);
// Italian advice naming the newest copy and the command that restores it, or
// saying that there is no copy.
QString restoreAdvice(const QString &catalogPath);

// Removes what an interrupted copy or restore left behind (a process killed while
// it wrote them): the half-made copies in the backup folder and the copy being
// brought in beside the catalogue. Files of a copy or restore still running are
// left alone. Every copy does it first; the program does it at start.
void removeLeftovers(const QString &catalogPath);

// Makes a copy of the catalogue of that kind and returns its path.
QString makeCopy(const QString &catalogPath, Kind kind, const Progress &progress = {});
// At start: the day's copy when none was made today (local time). Returns its
// path, or the empty text when today's copy existed already.
QString makeDailyCopy(const QString &catalogPath, const Progress &progress = {});

struct Restored {
    QString keptCopy;        // the catalogue as it was before, empty when there was none
    bool keptChecked = true; // false: it failed the check and was kept byte for byte
};

// Puts the copy `copyPath` in place of the catalogue. Refuses while the program
// has the catalogue open (see CatalogueLock.h); checks the copy first; keeps the
// current catalogue as one more copy; then replaces it in one step. Nothing is
// changed when it fails.
Restored restore(const QString &copyPath, const QString &catalogPath, const Progress &progress = {});

} // namespace backup
