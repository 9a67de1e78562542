#include "ProgramLifecycle.h"

#include "AutomaticBackup.h"
#include "DataError.h"
#include "DataFolder.h"
#include "DesktopOpener.h"
#include "MainFromUnit.h"
#include "MessageBoxes.h"
#include "OfficePager.h"
#include "ShareDMUnit.h"
#include "SysLoginUnit.h"

#include <QCoreApplication>
#include <QStatusBar>
#include <QThread>
#include <iostream>

namespace {
const QString AdministratorName = QStringLiteral("管理员");
constexpr int AdministrationPage = 3;
} // namespace

ProgramLifecycle::ProgramLifecycle(ProgramFolders folders, TSysLoginfrm& login)
    : m_folders(std::move(folders)), m_login(login) {}

QString ProgramLifecycle::databasePath() const {
    return m_folders.databasePath();
}

QString ProgramLifecycle::backupFolder() const {
    return m_folders.backupFolder();
}

void ProgramLifecycle::FormShow(TMainForm& form) {
    // A failing step raises out of here: the guard shows it and the later steps are skipped.
    m_state = State::Degraded;
    form.AdvOfficeStatusBar1->setToolTip(DataLocationText(m_folders));
    PrepareDataFolder(m_folders, DatabasePassword);
    // The path goes to the engine as it is: a folder name may hold ";" or blanks.
    ShareDM->ADOConnection1.OpenFile(databasePath(), DatabasePassword);
    showHelpOnFirstRun();
    if (!logIn(form))
        return;
    form.AdvOfficePager1->setTabVisible(AdministrationPage, CurrentUserName == AdministratorName);
    form.InitializePages();
    m_state = State::Running;
}

void ProgramLifecycle::showHelpOnFirstRun() {
    const QString firstRun = QStringLiteral("FirstRun");
    if (ReadRemark(firstRun) == QStringLiteral("False"))
        return;
    OpenWithDesktop(m_folders.helpPicturePath());
    WriteRemark(firstRun, QStringLiteral("False"));
}

bool ProgramLifecycle::logIn(TMainForm& form) {
    if (m_login.exec() == QDialog::Accepted)
        return true;
    // Not logged in: the program ends without the exit question and without compaction.
    m_state = State::Ending;
    form.hide();
    QCoreApplication::quit();
    return false;
}

void ProgramLifecycle::FormCloseQuery(TMainForm&, bool& CanClose) {
    if (m_state == State::Ending)
        return;
    CanClose = AskYesCancel(QStringLiteral("信息"), QStringLiteral("确定要退出当前系统吗？"),
                            QMessageBox::Information) == MessageAnswer::Yes;
}

void ProgramLifecycle::FormClose(TMainForm&) {
    if (m_state == State::Ending)
        return;
    m_state = State::Ending;
    // Nothing at exit is shown: a file that cannot be compacted simply stays as it was, and a
    // daily backup that fails is written to standard error.
    try {
        ShareDM->ADOConnection1.Close();
        QThread::msleep(m_closeWaitMs);
        backUpDaily();
        CompactDatabase(databasePath(), DatabasePassword);
    } catch (...) {
    }
}

void ProgramLifecycle::backUpDaily() {
    try {
        AutomaticBackup(databasePath(), DatabasePassword, backupFolder()).RunIfDue(m_clock());
    } catch (const DataError& error) {
        std::cerr << QStringLiteral("自动备份：%1").arg(error.message()).toStdString() << std::endl;
    }
}
