#include "data/AutomaticBackup.h"

#include "data/BackupFiles.h"
#include "data/DataError.h"
#include "data/DatabaseBackup.h"
#include "platform/TempFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <set>

AutomaticBackup::AutomaticBackup(QString databasePath, QString password, QString folder)
    : m_databasePath(std::move(databasePath)), m_password(std::move(password)),
      m_folder(std::move(folder)) {}

QString AutomaticBackup::RunIfDue(const QDateTime& now, bool wroteThisSession) {
    if (!QDir().mkpath(m_folder))
        throw DataError(QStringLiteral("无法建立备份文件夹 %1。").arg(m_folder));
    const std::vector<Backup> taken = backups();
    if (!due(taken, now, wroteThisSession))
        return {};
    const BackupResult result =
        DatabaseBackup(m_databasePath, m_password, BusyWaitMs).WriteInto(m_folder, now);
    // Never before the latest backup, whatever the clock says.
    QDateTime order = now;
    if (!taken.empty() && taken.front().taken >= order)
        order = taken.front().taken.addSecs(1);
    if (!SetModificationTime(result.path, order))
        throw DataError(QStringLiteral("无法记下备份 %1 的时间。").arg(result.path));
    removeOldBackups(result.path, now.date());
    return result.path;
}

std::vector<AutomaticBackup::Backup> AutomaticBackup::backups() const {
    std::vector<Backup> found;
    const QDir folder(m_folder);
    for (const QString& name : folder.entryList(QDir::Files))
        if (BackupFiles::IsBackupName(name)) {
            const QString path = folder.filePath(name);
            found.push_back({path, QFileInfo(path).lastModified(), BackupFiles::BackupTime(path)});
        }
    std::sort(found.begin(), found.end(), [](const Backup& a, const Backup& b) {
        return a.taken != b.taken ? a.taken > b.taken : a.path > b.path;
    });
    return found;
}

// Due without any backup of today, and after a session that wrote when the latest backup is
// more than an hour old by the clock (or was taken "later" than now: the clock went back).
bool AutomaticBackup::due(const std::vector<Backup>& backups, const QDateTime& now,
                          bool wrote) const {
    const bool today = std::any_of(backups.begin(), backups.end(), [&](const Backup& backup) {
        return backup.clock.date() == now.date();
    });
    if (!today)
        return true;
    if (!wrote)
        return false;
    const qint64 age = backups.front().clock.secsTo(now);
    return age > WriteBackupGapSeconds || age < 0;
}

void AutomaticBackup::removeOldBackups(const QString& written, const QDate& today) const {
    const std::vector<Backup> all = backups();
    std::set<QDate> days;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const QDate day = all[i].clock.date();
        const bool recentDay = day <= today && day.daysTo(today) < KeptDays;
        const bool newestOfDay = recentDay && days.insert(day).second;
        if (i < KeptNewest || newestOfDay || all[i].path == written)
            continue;
        QFile::remove(all[i].path);
    }
}
