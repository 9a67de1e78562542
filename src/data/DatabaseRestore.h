#pragma once

#include "data/DatabaseCheck.h"
#include "data/OnlineCopy.h"

#include <QDateTime>
#include <QString>

// A restore done: the copy of the data it replaced, and what the restored data holds.
struct RestoreResult {
    QString safetyCopy;
    DatabaseSummary restored;
};

// Replaces the content of the database file with that of a backup, through the engine: the file
// keeps its inode, owner, mode and links, and other connections to it go on working and see the
// restored data. The backup is checked first (CheckDatabaseFile); a file that fails is refused
// with the reason and nothing changes. The data replaced is first kept beside the file as
// "<file>.before-restore-YYYYMMDD-HHMMSS", copied while the file is locked so that no write of
// another program falls between that copy and the restore. The restore itself is one transaction
// of the engine: a failure, a full disk or a crash leaves the old content whole.
//
// On a server (`databasePath` a connection string) the backup is checked the same way; the data
// replaced is kept in a new file beside the backup (SafetyCopyBase), written under the server's
// write lock, and the backup's rows replace the server's in the same transaction (see
// DatabaseCopy).
class DatabaseRestore {
public:
    DatabaseRestore(QString databasePath, QString password);

    void setProgress(CopyProgress progress) { m_progress = std::move(progress); }

    // Checks a backup file without changing anything; throws DataError with the reason when it
    // cannot be restored.
    DatabaseSummary Inspect(const QString& backupPath);
    // Restores `backupPath`; `time` names the copy of the data it replaces. Throws DataError
    // when it refuses or fails; the file is then as it was and no copy is left.
    RestoreResult RestoreFrom(const QString& backupPath, const QDateTime& time);
    // The path that the copy of the data replaced is named after (see SafetyCopyPath): the
    // database file, or for a server "Varnholt-server.mdb" in the backup's folder.
    QString SafetyCopyBase(const QString& backupPath) const;

private:
    void restoreServer(const QString& backupPath, const QString& safetyCopy);

    struct FileState {
        QString path;
        QDateTime modified;
        qint64 size = -1;
        bool operator==(const FileState&) const = default;
    };

    QString m_databasePath;
    QString m_password;
    CopyProgress m_progress;
    FileState m_checkedInFull; // the file that passed the full check last
};
