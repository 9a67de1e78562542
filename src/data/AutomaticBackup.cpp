#include "AutomaticBackup.h"

#include "BackupFiles.h"
#include "DataError.h"
#include "DatabaseBackup.h"

#include <QDir>
#include <QFile>

AutomaticBackup::AutomaticBackup(QString databasePath, QString password, QString folder)
    : m_databasePath(std::move(databasePath)), m_password(std::move(password)),
      m_folder(std::move(folder)) {}

QString AutomaticBackup::RunIfDue(const QDateTime& now) {
    if (!QDir().mkpath(m_folder))
        throw DataError(QStringLiteral("无法建立备份文件夹 %1。").arg(m_folder));
    for (const QString& name : backups())
        if (BackupFiles::BackupDay(name) == now.date())
            return {};
    const BackupResult result =
        DatabaseBackup(m_databasePath, m_password, BusyWaitMs).WriteInto(m_folder, now);
    removeOldBackups();
    return result.path;
}

QStringList AutomaticBackup::backups() const {
    QStringList names;
    // The names hold their time, so their order is the order in which they were taken.
    for (const QString& name : QDir(m_folder).entryList(QDir::Files, QDir::Name))
        if (BackupFiles::IsBackupName(name))
            names << name;
    return names;
}

void AutomaticBackup::removeOldBackups() {
    const QStringList names = backups();
    for (qsizetype i = 0; i + KeptBackups < names.size(); ++i)
        QFile::remove(QDir(m_folder).filePath(names[i]));
}
