#pragma once
// The errors of the catalogue and its engines. DbError is a failure of the engine (file
// missing, statement refused, value rejected, server gone) and carries what kind of
// failure it is, the catalogue it happened on, and its reason: an Italian sentence
// saying what happened, then the engine's own words for the expert.
// Refusal is something the program itself will not do (a number that is not a
// number, a record gone meanwhile): its text is the whole message for the user.
#include <QMap>
#include <QString>
#include <QVariant>
#include <stdexcept>

class QSqlError;

namespace db {

class DbError : public std::runtime_error {
public:
    enum class Kind {
        Engine,         // any other failure
        Busy,           // another program holds the catalogue and did not let go in time
        Damaged,        // the file is not a sound database (damaged page, cut short)
        ReadOnly,       // the file or its folder may not be written
        Denied,         // the server refuses the user a permission the action needs
        ConnectionLost, // the connection to the server broke
        DiskFull,       // no space left on the disk that holds the catalogue
    };

    // A failure the program words itself: `reason` is the whole explanation.
    explicit DbError(const QString &reason, Kind kind = Kind::Engine, QString catalogPath = QString())
        : DbError(kind, reason, QString(), std::move(catalogPath))
    {
    }
    // A failure the engine reported: `sentence` says in Italian what happened,
    // `engineWords` are the engine's own.
    DbError(Kind kind, const QString &sentence, QString engineWords, QString catalogPath);

    // The sentence, then the engine's words: what the user is shown.
    const QString &reason() const { return m_reason; }
    // The engine's own words alone; empty when the program worded the failure itself.
    const QString &engineWords() const { return m_engineWords; }
    Kind kind() const { return m_kind; }
    const QString &catalogPath() const { return m_catalogPath; }

private:
    QString m_reason;
    QString m_engineWords;
    Kind m_kind;
    QString m_catalogPath;
};

// The failure an engine error code stands for (SQLite's result codes, extended or not).
DbError::Kind kindOfEngineCode(int code);
// Whether the disk that holds `path` (a file or a folder) has no room left for
// the engine's work (a few pages of its log and shared memory beside the file):
// what a write that failed for no other reason meets.
constexpr qint64 diskRoomNeeded = 1 << 20;
bool diskFull(const QString &path);
// The bytes free on the disk that holds `path`; -1 when that cannot be known.
qint64 diskSpaceLeft(const QString &path);
// A DbError for what the engine reported, on the catalogue at `catalogPath`.
DbError engineError(const QSqlError &error, const QString &catalogPath = QString());
DbError engineError(int code, const QString &text, const QString &catalogPath = QString());

// What the engine reported on the catalogue `location` (file or server), with the
// Italian sentence for its kind before the engine's words. The one place that
// writes these sentences, for both engines.
DbError engineFailure(DbError::Kind kind, const QString &engineWords, const QString &location);

class Refusal : public std::runtime_error {
public:
    explicit Refusal(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// The document number shown on the entry screen was taken meanwhile by another
// copy of the program: nothing was stored; `next` is the number free now.
class NumberTaken : public Refusal {
public:
    NumberTaken(const QString &message, qint64 next) : Refusal(message), m_next(next) {}
    qint64 next() const { return m_next; }

private:
    qint64 m_next;
};

// A change of a record was refused because the record, as stored now, is no
// longer what the user saw when the change began (another copy of the program
// changed it meanwhile): nothing was stored. `current` is the record as stored
// now, field name -> value.
class RecordChanged : public Refusal {
public:
    RecordChanged(const QString &message, QMap<QString, QVariant> current)
        : Refusal(message), m_current(std::move(current))
    {
    }
    const QMap<QString, QVariant> &current() const { return m_current; }

private:
    QMap<QString, QVariant> m_current;
};

} // namespace db
