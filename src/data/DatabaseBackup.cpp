#include "data/DatabaseBackup.h"

#include "data/BackupFiles.h"
#include "data/CipherEngine.h"
#include "data/Connection.h"
#include "data/DataError.h"
#include "data/DatabaseTransfer.h"
#include "data/Schema.h"
#include "data/ServerChoice.h"
#include "data/Transaction.h"
#include "platform/TempFiles.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <sqlcipher/sqlite3.h>

namespace {

void checkFolder(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.exists())
        throw DataError(QStringLiteral("备份文件夹 %1 不存在。").arg(folder));
    if (!info.isDir())
        throw DataError(QStringLiteral("%1 不是一个文件夹。").arg(folder));
    if (!info.isWritable())
        throw DataError(QStringLiteral("没有在文件夹 %1 中写入文件的权限。").arg(folder));
}

void checkCopy(const QString& part, const DatabaseSummary& snapshot, const QString& password) {
    const DatabaseSummary copy = CheckDatabaseFile(part, password, IntegrityCheck::Quick);
    if (copy.rows != snapshot.rows || copy.schemaVersion != snapshot.schemaVersion)
        throw DataError(QStringLiteral("备份文件中的记录数与数据库不一致。"));
}

} // namespace

DatabaseBackup::DatabaseBackup(QString databasePath, QString password, int busyWaitMs)
    : m_databasePath(std::move(databasePath)), m_password(std::move(password)),
      m_busyWaitMs(busyWaitMs) {}

BackupResult DatabaseBackup::WriteInto(const QString& folder, const QDateTime& time) {
    checkFolder(folder);
    const QString path = QDir(folder).filePath(BackupFiles::BackupName(time));
    if (QFileInfo::exists(path))
        throw DataError(QStringLiteral("备份文件 %1 已经存在。").arg(path));
    if (IsServerAddress(m_databasePath))
        return copyServer(path);
    const QString part = BackupFiles::PartName(path);
    if (QFileInfo::exists(part))
        throw DataError(QStringLiteral("文件 %1 已经存在。").arg(part));
    try {
        const DatabaseSummary snapshot = copyInto(part);
        checkCopy(part, snapshot, m_password);
        BackupFiles::Publish(part, path);
        return {path, snapshot};
    } catch (const DataError& error) {
        BackupFiles::Discard(part);
        throw DataError(QStringLiteral("没有完成备份：%1").arg(error.message()));
    }
}

// The server's data in one snapshot, copied into a new file that is checked as a file's backup.
BackupResult DatabaseBackup::copyServer(const QString& path) {
    try {
        Connection server;
        server.OpenServer(m_databasePath);
        return {path, CopyIntoNewFile(server.engine(), path, m_password, m_progress).summary};
    } catch (const DataError& error) {
        throw DataError(QStringLiteral("没有完成备份：%1").arg(error.message()));
    }
}

// Copies a snapshot of the file into `part` and returns the snapshot's summary.
DatabaseSummary DatabaseBackup::copyInto(const QString& part) {
    CipherEngine source(CipherFile::openAmongWriters(m_databasePath, m_password, m_busyWaitMs));
    RefuseNewerVersion(source, m_databasePath);
    // The copy is as private as the file it copies, from its first byte (an empty file is an
    // empty database; the engine's journal beside it takes its mode).
    if (!CreateNewFile(part, FilePermissions(m_databasePath)))
        throw DataError(QStringLiteral("无法建立文件 %1：%2").arg(part, qt_error_string(errno)));
    const CipherFile::Handle target(CipherFile::open(part, m_password, SQLITE_OPEN_READWRITE));
    const Transaction snapshot(source, Transaction::Mode::ReadSnapshot);
    const DatabaseSummary summary = ReadSummary(source);
    OnlineCopy copy(target.get(), source.handle());
    copy.CopyAll(m_pagesPerStep, m_progress);
    return summary;
}
