#pragma once

#include "data/OnlineCopy.h"

#include <QDateTime>
#include <QString>
#include <functional>

class QWidget;
class TShareDM;

// The "备份数据" and "恢复数据" buttons of the administration page: a checked backup of the
// database into a folder the user chooses, and a checked restore from a backup the user chooses.
// Both choosers open in the folder of the last backup (setting "备份文件夹"), else the home folder.
class BackupRestore {
public:
    // `relistPages` fills every page again after a restore.
    BackupRestore(TShareDM& dataModule, QWidget* window, std::function<void()> relistPages);

    // Asks for a folder, writes the backup there and says where it is and what it holds.
    void BackupData();
    // Asks for a backup file, checks it, shows its time and counts beside the current ones and,
    // on "是", restores it and lists every page again.
    void RestoreData();

    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    static const QString FolderSetting;

private:
    QString startFolder() const;
    void rememberFolder(const QString& folder);

    TShareDM& m_dataModule;
    QWidget* m_window;
    std::function<void()> m_relistPages;
    std::function<QDateTime()> m_clock = &QDateTime::currentDateTime;
};
