#pragma once

#include "data/ProgramFolders.h"
#include "ui/MainFormLifecycle.h"

#include <QDateTime>
#include <QString>
#include <functional>

class TShareDM;
class TSysLoginfrm;

// The life of the program around its main window: the start-up sequence when the window is
// first shown (ready the data folder and open the database, first-run help, log-in,
// administration tab, filling the pages), the question before exit, and at exit the automatic
// backup and the compaction of the database (only of a file that the program opened). `folders`
// says where the database, the backups and the help picture are (a single program directory
// holds them all). A server named by VARNHOLT_SERVER or the server file is used instead of the
// file; it is neither backed up nor compacted at exit. `dataModule` holds the connection that it
// opens and closes.
class ProgramLifecycle : public MainFormLifecycle {
public:
    enum class State { Starting, Running, Degraded, Ending };

    ProgramLifecycle(TShareDM& dataModule, ProgramFolders folders, TSysLoginfrm& login);

    void FormShow(TMainForm& form) override;
    void FormCloseQuery(TMainForm& form, bool& CanClose) override;
    void FormClose(TMainForm& form) override;

    State state() const { return m_state; }
    QString databasePath() const;
    // The pause between closing the connection and compacting the file.
    void setCloseWaitMs(int ms) { m_closeWaitMs = ms; }
    // The folder of the automatic backups at exit: "backup" in the data folder.
    QString backupFolder() const;
    // The clock that dates the automatic backups.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

private:
    void openDatabase(TMainForm& form);
    void showHelpOnFirstRun();
    bool logIn(TMainForm& form);
    void backUp(bool wroteThisSession);

    TShareDM& m_dataModule;
    ProgramFolders m_folders;
    TSysLoginfrm& m_login;
    State m_state = State::Starting;
    int m_closeWaitMs = 500;
    std::function<QDateTime()> m_clock = &QDateTime::currentDateTime;
};
