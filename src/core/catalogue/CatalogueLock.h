#pragma once
// Who has the catalogue: the running program holds a shared lock on a small
// file beside the catalogue (".db1.mdb.in-uso") for its whole life, so that two
// copies of the program may run side by side; the restore of a backup copy
// takes the same lock exclusively and refuses to run while any program holds it.
// The locks are the system's advisory file locks (flock): they end with the
// process, however it ends, and the lock file itself is never removed.
#include <QString>

namespace db {

class CatalogueLock {
public:
    enum Mode { Shared, Exclusive };

    // Tries once, without waiting.
    CatalogueLock(const QString &catalogPath, Mode mode);
    ~CatalogueLock();
    CatalogueLock(const CatalogueLock &) = delete;
    CatalogueLock &operator=(const CatalogueLock &) = delete;

    bool held() const { return m_fd >= 0; }
    // Not held because another process holds the lock in a way that excludes this one.
    bool busy() const { return m_busy; }
    // Why it could not be taken when it is not busy (the lock file cannot be
    // made, for example), in Italian; empty otherwise.
    const QString &problem() const { return m_problem; }

    static QString lockFilePath(const QString &catalogPath);

private:
    int m_fd = -1;
    bool m_busy = false;
    QString m_problem;
};

} // namespace db
