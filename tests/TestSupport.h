#pragma once

#include "data/ShareDMUnit.h"

#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <sys/types.h>

class TestServerDatabase;

// ---- the engine the tests run on --------------------------------------------------------------

// Whether this run works on the test server instead of database files: the environment variable
// VARNHOLT_TEST_ENGINE=server (the suite's "_server" registrations; see tests/CMakeLists.txt).
// A server run without a started server ends the program at once with the code CTest counts as
// skipped, saying so.
bool TestOnServer();
// The exit code of a test program that CTest counts as skipped.
constexpr int TestSkippedExitCode = 77;
// Skips a case that is about the database file itself (its bytes, modes, backups, compaction)
// when the run works on the server; `reason` says why it holds for the file only.
#define FILE_ONLY(reason)                                                                          \
    do {                                                                                           \
        if (TestOnServer())                                                                        \
            QSKIP("about the database file, run on the file only: " reason);                       \
    } while (false)

// A program directory of its own in a temporary folder, with a freshly prepared database: a new
// file, or on a server run a fresh server database (prepared as "varnholt-db init" does) that the
// directory's server file names, so that the program there chooses it as a user's program does.
class TestProgramDir {
public:
    explicit TestProgramDir(bool prepareDatabase = true);
    ~TestProgramDir();
    QString path() const; // ends with "/"
    QString databasePath() const { return path() + DatabaseFileName; }
    // The database as Connection::Open takes it: the file's path, or the server's connection
    // string on a server run.
    QString address() const;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TestServerDatabase> m_server;
};

// The data module connected to a fresh database in its own program directory.
class TestDatabase {
public:
    TestDatabase();
    ~TestDatabase();
    TShareDM& dm() { return *m_dm; }
    const TestProgramDir& dir() const { return m_dir; }
    // Runs a statement that changes rows; returns the count.
    int exec(const QString& sql);
    // The first column of the first row of a select, as text.
    QString scalar(const QString& sql);
    // The first column of every row of a select, as texts (NULL as an empty text).
    QStringList column(const QString& sql);
    // From now on the database refuses to insert or update a row of `table` for which
    // `condition` (on the row, as `new`) holds, with `message`, as a failing disk or another
    // program's rule would; allowWrites(name) ends it.
    void refuseWrites(const QString& name, const QString& table, const QString& condition,
                      const QString& message);
    void allowWrites(const QString& name);

private:
    TestProgramDir m_dir;
    std::unique_ptr<TShareDM> m_dm;
};

// A connection of its own to an existing file, as another program on the same file has it; on a
// server run, to the server database that the file's program directory chooses.
class AttachedDatabase {
public:
    explicit AttachedDatabase(const QString& path);
    Connection& connection() { return m_connection; }
    Query& query() { return m_query; } // a scratch query on this connection
    int exec(const QString& sql);
    QString scalar(const QString& sql);
    QStringList column(const QString& sql);

private:
    Connection m_connection;
    Query m_query;
};

// Turns a freshly prepared database file into one as a program of data version `version`
// (1 to 3) left it: no ProductMinimum; up to 2 codes not kept unique; 1 without the date checks.
void MakeOlderFile(const QString& path, int version);

// ---- facts about files ------------------------------------------------------------------------

QByteArray digest(const QString& path); // SHA-256 of the content; empty when it cannot be read
ino_t inodeOf(const QString& path);
mode_t modeOf(const QString& path);         // permission bits
QStringList filesIn(const QString& folder); // every entry, hidden ones included

// ---- what the program sets up, the same in every test program ---------------------------------

// Simplified Chinese dates, numbers and text order, whatever the machine's locale: what the
// program uses on a machine without one.
void UseChineseLocale();
// The texts of the message boxes shown (scripted) since they were last cleared, in order.
QStringList ShownMessageTexts();

// ---- PDF files, read with the poppler tools -----------------------------------------------------

QString PdfText(const QString& path); // the text of every page, laid out; empty when unreadable
int PdfPages(const QString& path);    // the number of pages; 0 when it is no PDF

// ---- child processes: the test program run again with arguments of its own --------------------

QProcess* startChild(const QStringList& args);
// Runs a child to its end; returns what it wrote to standard output and standard error.
QString runChild(const QStringList& args, QProcess::ExitStatus* status = nullptr,
                 int* code = nullptr);
// In a child: drops root rights, so that file permissions apply to it.
void becomeNobodyWhenRoot();
// In a child: a write that would make a file larger than `bytes` fails, as on a full disk.
void limitFileSize(qint64 bytes);

class TMainForm;

// Lets the event loop run until the window's lists, fetched in the background, are complete.
void WaitForFilledLists(TMainForm& form);

// The main window over a fresh database holding the fixture, its pages filled as after log-in.
// `prepare` runs on the database and its program directory before the window is made.
class TestWindow {
public:
    explicit TestWindow(const QStringList& fixture = {},
                        const std::function<void(TestDatabase&)>& prepare = {});
    ~TestWindow();
    TestDatabase db;
    std::unique_ptr<TMainForm> form;
};

// Copies the report templates of the build into a program directory.
void InstallReportTemplates(const QString& programDir);

// A run of the command-line tool varnholt-db, as a separate process. On a server run, a database
// file of a test's program directory among the arguments makes the tool use that directory's
// server through VARNHOLT_SERVER, as a user of the tool chooses one.
struct ToolRun {
    int exitCode;
    QString out;   // standard output
    QString error; // standard error
};
ToolRun RunTool(const QStringList& args);

// ---- the throwaway database server of the run (scripts/test-server.sh) ------------------------

// The connection string of the test server; empty when the run started none.
QString TestServerInfo();
// Skips the running test when the run started no server.
#define REQUIRE_TEST_SERVER()                                                                      \
    do {                                                                                           \
        if (TestServerInfo().isEmpty())                                                            \
            QSKIP("no test server was started (scripts/test.sh starts one)");                      \
    } while (false)

// A fresh, empty database of its own on the test server, dropped (with every session still on
// it) at the end.
class TestServerDatabase {
public:
    TestServerDatabase();
    ~TestServerDatabase();
    TestServerDatabase(const TestServerDatabase&) = delete;
    TestServerDatabase& operator=(const TestServerDatabase&) = delete;
    // A connection string to it, as a user writes one.
    QString conninfo() const { return m_conninfo; }

private:
    QString m_name;
    QString m_conninfo;
};
