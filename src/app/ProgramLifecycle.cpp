#include "app/ProgramLifecycle.h"

#include "app/SysLoginUnit.h"
#include "data/AutomaticBackup.h"
#include "data/DataError.h"
#include "data/DataFolder.h"
#include "data/ServerChoice.h"
#include "data/ShareDMUnit.h"
#include "ui/MainFromUnit.h"
#include "widgets/DesktopOpener.h"
#include "widgets/MessageBoxes.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QStatusBar>
#include <QThread>
#include <iostream>

namespace {
const QString AdministratorName = QStringLiteral("管理员");
} // namespace

ProgramLifecycle::ProgramLifecycle(TShareDM& dataModule, ProgramFolders folders,
                                   TSysLoginfrm& login)
    : m_dataModule(dataModule), m_folders(std::move(folders)), m_login(login) {}

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
    openDatabase(form);
    showHelpOnFirstRun();
    if (!logIn(form))
        return;
    form.setAdministrationVisible(CurrentUserName == AdministratorName);
    form.InitializePages();
    m_state = State::Running;
}

// The server named by the environment or the server file, else the file in the data folder; the
// status bar names the one in use.
void ProgramLifecycle::openDatabase(TMainForm& form) {
    Connection& connection = m_dataModule.ADOConnection1;
    const QString database = ChosenDatabase(m_folders, databasePath());
    if (!IsServerAddress(database))
        PrepareDataFolder(m_folders, DatabasePassword);
    // The path goes to the engine as it is: a folder name may hold ";" or blanks.
    connection.Open(database, DatabasePassword);
    auto* label =
        new QLabel(QStringLiteral("数据：") + QDir::toNativeSeparators(connection.DatabaseName()),
                   form.AdvOfficeStatusBar1);
    label->setObjectName(QStringLiteral("DatabaseLabel"));
    form.AdvOfficeStatusBar1->addPermanentWidget(label);
}

void ProgramLifecycle::showHelpOnFirstRun() {
    const QString firstRun = QStringLiteral("FirstRun");
    if (m_dataModule.ReadRemark(firstRun) == QStringLiteral("False"))
        return;
    OpenWithDesktop(m_folders.helpPicturePath());
    m_dataModule.WriteRemark(firstRun, QStringLiteral("False"));
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

// A file the program did not open (missing, of a newer version, wrongly keyed) is neither backed
// up nor compacted. A file that cannot be compacted simply stays as it was; a backup that fails
// is a message, after which the program ends all the same.
void ProgramLifecycle::FormClose(TMainForm&) {
    if (m_state == State::Ending)
        return;
    m_state = State::Ending;
    try {
        Connection& connection = m_dataModule.ADOConnection1;
        const bool opened = connection.Connected() && !connection.OnServer();
        const bool wrote = connection.RowsWritten() > 0;
        connection.Close();
        if (!opened)
            return;
        QThread::msleep(m_closeWaitMs);
        backUp(wrote);
        CompactDatabase(databasePath(), DatabasePassword);
    } catch (...) {
    }
}

void ProgramLifecycle::backUp(bool wroteThisSession) {
    try {
        AutomaticBackup(databasePath(), DatabasePassword, backupFolder())
            .RunIfDue(m_clock(), wroteThisSession);
    } catch (const DataError& error) {
        const QString message =
            QStringLiteral("退出前的自动备份没有完成：%1\n数据本身没有受到影响。请用“管理”页的"
                           "“备份数据”另行备份。")
                .arg(error.message());
        std::cerr << message.toStdString() << std::endl;
        ShowWarning(message);
    }
}
