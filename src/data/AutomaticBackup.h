#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <vector>

// The backups the program takes at exit into a folder of their own: one whenever the session
// wrote anything and the latest backup is more than an hour old, and at least one a day. Of the
// backups in the folder it keeps the newest KeptNewest and the newest of each of the last
// KeptDays days (today included); the backup just written always stays.
//
// "Newest" is the order in which the backups were taken, not the order of their names: a
// backup's file carries the time it was taken as its modification time, and never an earlier
// one than the backup before it, so that a clock set back does not make the latest backup look
// like the oldest. The day of a backup and its age are those of the clock when it was taken
// (the time in its name).
class AutomaticBackup {
public:
    AutomaticBackup(QString databasePath, QString password, QString folder);

    // Takes a backup (see DatabaseBackup) when one is due at `now`, then removes the backups
    // beyond those kept. `wroteThisSession`: whether the program wrote to the file since it
    // opened it. Returns the new backup's path, or empty text when none was due. Throws
    // DataError; the folder is made when it is missing.
    QString RunIfDue(const QDateTime& now, bool wroteThisSession);

    static constexpr int KeptNewest = 10;
    static constexpr int KeptDays = 30;
    // A session that wrote is backed up when the latest backup is older than this.
    static constexpr qint64 WriteBackupGapSeconds = 3600;
    // How long it waits for another program's write before it gives up for this time.
    static constexpr int BusyWaitMs = 500;

private:
    struct Backup {
        QString path;
        QDateTime taken; // the order of the backups (the file's modification time)
        QDateTime clock; // the clock when it was taken (its name)
    };
    std::vector<Backup> backups() const; // newest first
    bool due(const std::vector<Backup>& backups, const QDateTime& now, bool wrote) const;
    void removeOldBackups(const QString& written, const QDate& today) const;

    QString m_databasePath;
    QString m_password;
    QString m_folder;
};
