#pragma once

#include "MainFormLifecycle.h"

#include <QString>

class TSysLoginfrm;

// The life of the program around its main window: the start-up sequence when the window is
// first shown (open the database, first-run help, log-in, administration tab, filling the
// pages), the question before exit and the compaction of the database at exit.
class ProgramLifecycle : public MainFormLifecycle {
public:
    enum class State { Starting, Running, Degraded, Ending };

    ProgramLifecycle(QString appPath, TSysLoginfrm& login);

    void FormShow(TMainForm& form) override;
    void FormCloseQuery(TMainForm& form, bool& CanClose) override;
    void FormClose(TMainForm& form) override;

    State state() const { return m_state; }
    QString databasePath() const;
    // The pause between closing the connection and compacting the file.
    void setCloseWaitMs(int ms) { m_closeWaitMs = ms; }

private:
    void showHelpOnFirstRun();
    bool logIn(TMainForm& form);

    QString m_appPath;
    TSysLoginfrm& m_login;
    State m_state = State::Starting;
    int m_closeWaitMs = 500;
};
