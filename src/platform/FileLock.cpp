#include "FileLock.h"

#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

FileLock::FileLock(const QString& lockPath) : m_path(lockPath) {}

FileLock::~FileLock() {
    unlock();
}

QString FileLock::lockPathFor(const QString& databasePath) {
    return databasePath + ".lock";
}

bool FileLock::tryLock(int operation) {
    if (m_fd < 0) {
        m_fd = ::open(m_path.toLocal8Bit().constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (m_fd < 0)
            return false;
    }
    int result;
    do {
        result = ::flock(m_fd, operation | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    m_locked = result == 0;
    return m_locked;
}

bool FileLock::tryLockShared() {
    return tryLock(LOCK_SH);
}

bool FileLock::tryLockExclusive() {
    return tryLock(LOCK_EX);
}

bool FileLock::lockShared(int timeoutMs) {
    for (int waited = 0;; waited += 20) {
        if (tryLockShared())
            return true;
        if (m_fd < 0 || waited >= timeoutMs)
            return false;
        QThread::msleep(20);
    }
}

void FileLock::unlock() {
    if (m_fd >= 0) {
        ::close(m_fd); // closing the only descriptor releases the lock
        m_fd = -1;
    }
    m_locked = false;
}
