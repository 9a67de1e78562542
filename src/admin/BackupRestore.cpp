#include "admin/BackupRestore.h"

#include "data/BackupFiles.h"
#include "data/DataError.h"
#include "data/DatabaseBackup.h"
#include "data/DatabaseRestore.h"
#include "data/ShareDMUnit.h"
#include "widgets/FileChoosers.h"
#include "widgets/MessageBoxes.h"
#include "widgets/ProgressWindow.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <memory>

const QString BackupRestore::FolderSetting = QStringLiteral("备份文件夹");

namespace {

// The file's path, or the server's connection string.
QString databaseAddress(const Connection& connection) {
    if (!connection.Connected())
        throw DataError(QStringLiteral("数据库连接没有打开。"));
    return connection.Address();
}

QString timeText(const QDateTime& time) {
    return QLocale().toString(time.date(), QLocale::ShortFormat) + ' ' +
           time.toString(QStringLiteral("HH:mm:ss"));
}

// The busy cursor while a file is copied or checked.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

BackupRestore::BackupRestore(TShareDM& dataModule, QWidget* window,
                             std::function<void()> relistPages)
    : m_dataModule(dataModule), m_window(window), m_relistPages(std::move(relistPages)) {}

QString BackupRestore::startFolder() const {
    return m_dataModule.RememberedFolder(FolderSetting);
}

void BackupRestore::rememberFolder(const QString& folder) {
    m_dataModule.RememberFolder(FolderSetting, folder);
}

void BackupRestore::BackupData() {
    const QString path = databaseAddress(m_dataModule.ADOConnection1);
    const QString folder =
        ChooseFolder(m_window, QStringLiteral("选择保存备份的文件夹"), startFolder());
    if (folder.isEmpty())
        return;
    rememberFolder(folder);
    const BackupResult result = [&] {
        const WaitCursor busy;
        ProgressWindow window(m_window, QStringLiteral("备份数据"),
                              QStringLiteral("正在备份数据……"), ProgressWindow::Cancel::NotOffered);
        DatabaseBackup backup(path, DatabasePassword);
        backup.setProgress([&window](int copied, int total) { window.setProgress(copied, total); });
        return backup.WriteInto(folder, m_clock());
    }();
    ShowInformation(QStringLiteral("数据已备份到：\n%1\n\n备份中有 %2。")
                        .arg(QDir::toNativeSeparators(result.path), CountsText(result.summary)));
}

void BackupRestore::RestoreData() {
    const QString path = databaseAddress(m_dataModule.ADOConnection1);
    const QString chosen =
        ChooseFile(m_window, QStringLiteral("选择要恢复的备份文件"), startFolder(),
                   QStringLiteral("备份文件 (*.mdb *.mdb.before-restore-*);;"
                                  "所有文件 (*)"));
    if (chosen.isEmpty())
        return;
    DatabaseRestore restore(path, DatabasePassword);
    // A server's data is kept beside the backup: the whole path says where.
    const QString kept = m_dataModule.ADOConnection1.OnServer()
                             ? QDir::toNativeSeparators(restore.SafetyCopyBase(chosen))
                             : QFileInfo(path).fileName();
    const auto [backup, current] = [&] {
        const WaitCursor busy;
        return std::pair{restore.Inspect(chosen),
                         ReadSummary(m_dataModule.ADOConnection1.engine())};
    }();
    const QString question =
        QStringLiteral("确定要用这个备份替换当前的数据吗？\n\n"
                       "备份文件：%1\n备份时间：%2\n备份中的数据：%3\n当前的数据：%4\n\n"
                       "恢复之前，当前的数据会另存为 %5.before-restore-日期-时间。")
            .arg(QDir::toNativeSeparators(chosen), timeText(BackupFiles::BackupTime(chosen)),
                 CountsText(backup), CountsText(current), kept);
    if (AskYesCancel(QStringLiteral("警告"), question, QMessageBox::Warning,
                     MessageAnswer::Cancel) != MessageAnswer::Yes)
        return;
    const RestoreResult result = [&] {
        const WaitCursor busy;
        ProgressWindow window(m_window, QStringLiteral("恢复数据"),
                              QStringLiteral("正在恢复数据……"), ProgressWindow::Cancel::NotOffered);
        restore.setProgress(
            [&window](int copied, int total) { window.setProgress(copied, total); });
        return restore.RestoreFrom(chosen, m_clock());
    }();
    m_relistPages();
    ShowInformation(
        QStringLiteral("数据已恢复，现有 %1。\n\n恢复之前的数据保存在：\n%2")
            .arg(CountsText(result.restored), QDir::toNativeSeparators(result.safetyCopy)));
}
