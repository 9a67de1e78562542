#pragma once

#include <QString>

// An advisory lock on a lock file beside a database. Every process that has the database open
// holds a shared lock; compaction needs the exclusive one. flock() locks belong to the open file
// description, so closing some other descriptor of the database (as the engine does) never drops
// them, unlike POSIX record locks.
class FileLock {
public:
    explicit FileLock(const QString& lockPath);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Each returns false when another process holds a conflicting lock (or the lock file
    // cannot be opened); true when the lock is held.
    bool tryLockShared();
    bool tryLockExclusive();
    // Waits up to timeoutMs for a shared lock.
    bool lockShared(int timeoutMs);
    void unlock();
    bool locked() const { return m_locked; }

    // The lock file that belongs to a database file.
    static QString lockPathFor(const QString& databasePath);

private:
    bool tryLock(int operation);

    QString m_path;
    int m_fd = -1;
    bool m_locked = false;
};
