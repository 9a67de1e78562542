#pragma once

#include <QDateTime>
#include <QString>

// The daily backup the program takes at exit: at most one a day into its own folder, of which
// the newest few are kept.
class AutomaticBackup {
public:
    AutomaticBackup(QString databasePath, QString password, QString folder);

    // Takes a backup (see DatabaseBackup) unless the folder already holds one taken on the day
    // of `now`, then removes the oldest backups beyond KeptBackups. Returns the new backup's
    // path, or empty text when today's backup was there already. Throws DataError; the folder
    // is made when it is missing.
    QString RunIfDue(const QDateTime& now);

    static constexpr int KeptBackups = 10;
    // How long it waits for another program's write before it gives up for this time.
    static constexpr int BusyWaitMs = 500;

private:
    QStringList backups() const; // oldest first
    void removeOldBackups();

    QString m_databasePath;
    QString m_password;
    QString m_folder;
};
