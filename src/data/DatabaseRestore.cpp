#include "data/DatabaseRestore.h"

#include "data/BackupFiles.h"
#include "data/CipherEngine.h"
#include "data/CipherFile.h"
#include "data/Connection.h"
#include "data/DataError.h"
#include "data/DatabaseBackup.h"
#include "data/DatabaseCopy.h"
#include "data/DatabaseTransfer.h"
#include "data/Schema.h"
#include "data/ServerChoice.h"
#include "data/Transaction.h"
#include "platform/TempFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <optional>
#include <sqlcipher/sqlite3.h>
#include <unistd.h>

namespace {

bool sameFile(const QString& a, const QString& b) {
    const QFileInfo first(a);
    const QFileInfo second(b);
    return first.exists() && second.exists() &&
           first.canonicalFilePath() == second.canonicalFilePath();
}

// Copies the bytes of a locked database file through the engine's own file handle: reading it
// through a handle of our own and closing that would drop the locks the engine holds on it. The
// copy is as private as the file (`mode`) from its first byte.
void copyLockedFile(sqlite3* db, const QString& target, unsigned mode) {
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file)
        throw DataError(CipherFile::engineMessage(db));
    sqlite3_int64 size = 0;
    if (file->pMethods->xFileSize(file, &size) != SQLITE_OK)
        throw DataError(QStringLiteral("无法读取数据库文件的大小。"));
    const int fd = OpenNewFile(target, mode);
    QFile out;
    if (fd < 0 || !out.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        const QString reason = qt_error_string(errno);
        if (fd >= 0)
            ::close(fd);
        throw DataError(QStringLiteral("无法写入文件 %1：%2").arg(target, reason));
    }
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (sqlite3_int64 offset = 0; offset < size;) {
        const int amount = static_cast<int>(qMin<sqlite3_int64>(buffer.size(), size - offset));
        if (file->pMethods->xRead(file, buffer.data(), amount, offset) != SQLITE_OK)
            throw DataError(QStringLiteral("读取数据库文件时出错。"));
        if (out.write(buffer.constData(), amount) != amount)
            throw DataError(
                QStringLiteral("无法写入文件 %1，磁盘可能已满：%2").arg(target, out.errorString()));
        offset += amount;
    }
    if (!out.flush() || ::fsync(out.handle()) != 0)
        throw DataError(
            QStringLiteral("无法写入文件 %1，磁盘可能已满：%2").arg(target, out.errorString()));
}

// Keeps the current content as `path`: written, checked, then given its name.
void keepSafetyCopy(sqlite3* db, const QString& databasePath, const QString& path,
                    const QString& password) {
    const QString part = BackupFiles::PartName(path);
    try {
        copyLockedFile(db, part, FilePermissions(databasePath));
        CheckDatabaseFile(part, password, IntegrityCheck::Quick);
        BackupFiles::Publish(part, path);
    } catch (const DataError& error) {
        BackupFiles::Discard(part);
        throw DataError(QStringLiteral("无法保存恢复前的数据：%1").arg(error.message()));
    }
}

} // namespace

DatabaseRestore::DatabaseRestore(QString databasePath, QString password)
    : m_databasePath(std::move(databasePath)), m_password(std::move(password)) {}

DatabaseSummary DatabaseRestore::Inspect(const QString& backupPath) {
    try {
        if (sameFile(backupPath, m_databasePath))
            throw DataError(QStringLiteral("这就是当前正在使用的数据库文件。"));
        // A file checked in full a moment ago and not changed since (the question between the
        // check and the restore) needs only the quick check again.
        const FileState state{backupPath, QFileInfo(backupPath).lastModified(),
                              QFileInfo(backupPath).size()};
        const bool checkedBefore = m_checkedInFull == state;
        const DatabaseSummary summary = CheckDatabaseFile(
            backupPath, m_password, checkedBefore ? IntegrityCheck::Quick : IntegrityCheck::Full);
        m_checkedInFull = state;
        return summary;
    } catch (const DataError& error) {
        throw DataError(QStringLiteral("不能用文件 %1 恢复数据：%2\n当前的数据没有改变。")
                            .arg(backupPath, error.message()));
    }
}

QString DatabaseRestore::SafetyCopyBase(const QString& backupPath) const {
    if (!IsServerAddress(m_databasePath))
        return m_databasePath;
    return QFileInfo(backupPath).dir().filePath(QStringLiteral("Varnholt-server.mdb"));
}

RestoreResult DatabaseRestore::RestoreFrom(const QString& backupPath, const QDateTime& time) {
    RestoreResult result;
    result.restored = Inspect(backupPath);
    result.safetyCopy = BackupFiles::SafetyCopyPath(SafetyCopyBase(backupPath), time);
    if (IsServerAddress(m_databasePath)) {
        restoreServer(backupPath, result.safetyCopy);
        return result;
    }
    std::optional<CipherEngine> target;
    try {
        if (QFileInfo::exists(result.safetyCopy))
            throw DataError(QStringLiteral("文件 %1 已经存在。").arg(result.safetyCopy));
        CipherEngine source(CipherFile::openExisting(backupPath, m_password));
        target.emplace(CipherFile::openAmongWriters(m_databasePath, m_password,
                                                    CipherFile::DefaultBusyTimeoutMs));
        RefuseNewerVersion(*target, m_databasePath);
        if (target->readOnly())
            throw DataError(QStringLiteral("数据库文件 %1 不能写入。").arg(m_databasePath));
        const Transaction snapshot(source, Transaction::Mode::ReadSnapshot);
        OnlineCopy copy(target->handle(), source.handle());
        copy.LockTarget();
        keepSafetyCopy(target->handle(), m_databasePath, result.safetyCopy, m_password);
        try {
            copy.CopyAll(DatabaseBackup::DefaultPagesPerStep, m_progress);
        } catch (...) {
            BackupFiles::Discard(result.safetyCopy);
            throw;
        }
    } catch (const DataError& error) {
        throw DataError(
            QStringLiteral("没有恢复数据：%1\n当前的数据没有改变。").arg(error.message()));
    }
    // A backup of an older version is brought up to date like any file that is opened.
    UpgradeSchema(*target);
    return result;
}

// Under the server's write lock: the data replaced is copied into the safety copy, then the
// backup's rows replace it, all in one transaction of the server.
void DatabaseRestore::restoreServer(const QString& backupPath, const QString& safetyCopy) {
    try {
        if (QFileInfo::exists(safetyCopy))
            throw DataError(QStringLiteral("文件 %1 已经存在。").arg(safetyCopy));
        CipherEngine source(CipherFile::openExisting(backupPath, m_password));
        Connection server;
        server.OpenServer(m_databasePath);
        EngineConnection& target = server.engine();
        if (target.readOnly())
            throw DataError(QStringLiteral("%1 不能写入。").arg(server.DatabaseName()));
        Transaction write(target, Transaction::Mode::Write);
        try {
            CopyIntoNewFile(target, safetyCopy, m_password);
        } catch (const DataError& error) {
            throw DataError(QStringLiteral("无法保存恢复前的数据：%1").arg(error.message()));
        }
        try {
            DatabaseCopy copy(source, target);
            copy.setProgress(m_progress);
            copy.CopyAll(TargetRows::Replace);
            write.Commit();
        } catch (...) {
            BackupFiles::Discard(safetyCopy);
            throw;
        }
    } catch (const DataError& error) {
        throw DataError(
            QStringLiteral("没有恢复数据：%1\n当前的数据没有改变。").arg(error.message()));
    }
}
