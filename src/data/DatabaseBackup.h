#pragma once

#include "data/CipherFile.h"
#include "data/DatabaseCheck.h"
#include "data/OnlineCopy.h"

#include <QDateTime>
#include <QString>

// A backup written and checked: where it lies and what it holds.
struct BackupResult {
    QString path;
    DatabaseSummary summary;
};

// Takes a backup of a database file while other programs may go on using it: a consistent
// snapshot copied through the engine's online backup into a new file, encrypted with the same
// password and page size. The copy is written under a temporary name, checked (it opens with
// the password, passes the engine's quick check of every page and holds as many rows in every
// table as the snapshot), and only then given its final name; a failure removes what was
// written.
//
// While the copy is taken, other programs can read the file; one that wants to commit a write
// waits for the copy to end (up to its own busy timeout).
//
// The database may be a server (`databasePath` a connection string): its data is then read in
// one snapshot while the counters go on working, and written into the same kind of checked,
// encrypted file (see CopyIntoNewFile), which the program can use on one PC.
class DatabaseBackup {
public:
    DatabaseBackup(QString databasePath, QString password,
                   int busyWaitMs = CipherFile::DefaultBusyTimeoutMs);

    void setProgress(CopyProgress progress) { m_progress = std::move(progress); }
    void setPagesPerStep(int pages) { m_pagesPerStep = pages; }

    // Writes "Varnholt-YYYYMMDD-HHMMSS.mdb" for `time` into `folder`. Throws DataError with a
    // message that says why no backup was made; nothing is then left in the folder.
    BackupResult WriteInto(const QString& folder, const QDateTime& time);

    // 1 MiB of pages between two reports of progress.
    static constexpr int DefaultPagesPerStep = 256;

private:
    DatabaseSummary copyInto(const QString& part);
    BackupResult copyServer(const QString& path);

    QString m_databasePath;
    QString m_password;
    int m_busyWaitMs;
    int m_pagesPerStep = DefaultPagesPerStep;
    CopyProgress m_progress;
};
