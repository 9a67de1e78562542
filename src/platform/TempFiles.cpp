#include "TempFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <fcntl.h>
#include <unistd.h>

QString MakeUniqueFileName(const QString& directory, const QString& prefix) {
    // The system reserves the name by creating the file; deleting it leaves only the name.
    QTemporaryFile file(QDir(directory).filePath(prefix + "XXXXXX.tmp"));
    file.setAutoRemove(true);
    if (!file.open())
        return {};
    return file.fileName();
}

bool CopyFileDurably(const QString& source, const QString& target) {
    QFile in(source);
    QFile out(target);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (out.write(buffer.constData(), n) != n)
            return false;
    }
    return out.flush() && ::fsync(out.handle()) == 0;
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
