#include "platform/TempFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString MakeUniqueFileName(const QString& directory, const QString& prefix) {
    // The system reserves the name by creating the file; deleting it leaves only the name.
    QTemporaryFile file(QDir(directory).filePath(prefix + "XXXXXX.tmp"));
    file.setAutoRemove(true);
    if (!file.open())
        return {};
    return file.fileName();
}

bool SyncPath(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

QString CreateUniqueFile(const QString& directory, const QString& prefix, const QString& suffix) {
    QTemporaryFile file(QDir(directory).filePath(prefix + "XXXXXX" + suffix));
    file.setAutoRemove(false);
    if (!file.open())
        return {};
    return file.fileName();
}

unsigned FilePermissions(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return 0600;
    return info.st_mode & 0777;
}

int OpenNewFile(const QString& path, unsigned mode) {
    // Made private first and then given its mode, so that no umask widens or narrows it.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if (::fchmod(fd, mode & 0777) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(QFile::encodeName(path).constData());
        errno = error;
        return -1;
    }
    return fd;
}

bool CreateNewFile(const QString& path, unsigned mode) {
    const int fd = OpenNewFile(path, mode);
    return fd >= 0 && ::close(fd) == 0;
}

bool SetModificationTime(const QString& path, const QDateTime& time) {
    const qint64 ms = time.toMSecsSinceEpoch();
    struct timespec times[2]{};
    times[0].tv_nsec = UTIME_OMIT; // the access time stays
    times[1].tv_sec = static_cast<time_t>(ms / 1000);
    times[1].tv_nsec = static_cast<long>(ms % 1000) * 1000000;
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}
