#include "data/DataFolder.h"

#include "data/Connection.h"
#include "data/DataError.h"
#include "platform/TempFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemMessage(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Makes every missing folder of `path`, each for its owner alone.
void makeUserFolder(const QString& path) {
    const QStringList parts = QDir::cleanPath(path).split('/', Qt::SkipEmptyParts);
    QString folder;
    for (const QString& part : parts) {
        folder += '/' + part;
        const QByteArray name = QFile::encodeName(folder);
        if (::mkdir(name.constData(), 0700) == 0) {
            ::chmod(name.constData(), 0700); // whatever the umask
        } else if (errno != EEXIST) {
            throw DataError(
                QStringLiteral("无法建立数据文件夹 %1：%2").arg(folder, systemMessage(errno)));
        }
    }
    if (!QFileInfo(path).isDir())
        throw DataError(QStringLiteral("数据文件夹 %1 不是一个文件夹。").arg(path));
}

void createDatabase(const QString& path, const QString& folder, const QString& password) {
    const QString scratch = MakeUniqueFileName(folder, QStringLiteral(".new-Varnholt-"));
    if (scratch.isEmpty())
        throw DataError(QStringLiteral("无法在数据文件夹 %1 中建立数据库文件：不能写入这个文件夹。")
                            .arg(folder));
    try {
        Connection::CreateDatabase(scratch, password);
        const QByteArray scratchName = QFile::encodeName(scratch);
        int failure = 0;
        if (::chmod(scratchName.constData(), 0600) != 0)
            failure = errno;
        // The file appears complete under its name, never replacing one: EEXIST means that
        // another copy of the program made it first, and that one is used.
        else if (::link(scratchName.constData(), QFile::encodeName(path).constData()) != 0 &&
                 errno != EEXIST)
            failure = errno;
        if (failure != 0)
            throw DataError(
                QStringLiteral("无法建立数据库文件 %1：%2").arg(path, systemMessage(failure)));
    } catch (...) {
        QFile::remove(scratch);
        throw;
    }
    QFile::remove(scratch);
}

} // namespace

void PrepareDataFolder(const ProgramFolders& folders, const QString& password) {
    switch (folders.dataKind) {
    case ProgramFolders::DataKind::ProgramDirectory:
        return;
    case ProgramFolders::DataKind::NamedFolder:
        if (!QFileInfo(folders.data).isDir())
            throw DataError(QStringLiteral("环境变量 VARNHOLT_DATA 指定的数据文件夹 %1 不存在。")
                                .arg(folders.data));
        break;
    case ProgramFolders::DataKind::UserFolder:
        makeUserFolder(folders.data);
        break;
    }
    if (!QFileInfo::exists(folders.databasePath()))
        createDatabase(folders.databasePath(), folders.data, password);
}
