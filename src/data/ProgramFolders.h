#pragma once

#include <QString>
#include <functional>

class QProcessEnvironment;

// Where the program finds its read-only files and where it keeps the files it writes.
//
// - Resources (the report templates in frf/, the help picture Qhelp.jpg): beside the executable
//   in the build folder and in a portable copy; <prefix>/share/varnholt/ when the program is
//   installed (found from the executable: <prefix>/bin/../share/varnholt).
// - Data (the database, backup/, the copy kept before a restore): the program directory when the
//   program's own files lie beside it and it may write there, as in the build folder; otherwise
//   the user's folder $XDG_DATA_HOME/Varnholt/ (~/.local/share/Varnholt/). The environment
//   variable VARNHOLT_DATA names a folder that takes the place of both, e.g. one that the clerks
//   of a shop share. Nothing is ever written beside an installed program.
struct ProgramFolders {
    enum class DataKind {
        ProgramDirectory, // beside the program; its database is prepared by the build
        UserFolder,       // the user's own folder: made at the first start, with a new database
        NamedFolder,      // named by VARNHOLT_DATA: must exist; a new database is made in it
    };

    ProgramFolders() = default;
    // A portable program directory that holds everything, resources and data alike (the build
    // folder, a copy of it, a test's temporary folder). Ends with "/".
    ProgramFolders(const QString& programDirectory); // NOLINT: a directory is such a layout

    QString program;   // the executable's directory
    QString resources; // the read-only files
    QString data;      // the written files
    DataKind dataKind = DataKind::ProgramDirectory;

    QString databasePath() const;    // data + "Varnholt.mdb"
    QString backupFolder() const;    // data + "backup", the daily backups at exit
    QString helpPicturePath() const; // resources + "Qhelp.jpg"
};

// Whether this process may create files in the folder.
bool IsWritableFolder(const QString& path);

// The folders of a program whose executable lies in `executableDir`, under the environment
// `env` (VARNHOLT_DATA, XDG_DATA_HOME, HOME); `writable` tells whether a folder may be written.
// Every folder returned is absolute and ends with "/".
ProgramFolders
DecideProgramFolders(const QString& executableDir, const QProcessEnvironment& env,
                     const std::function<bool(const QString&)>& writable = IsWritableFolder);

// The folders of the running program, from its executable's location and its environment.
ProgramFolders CurrentProgramFolders();

// The folder that holds the system's own server file.
extern const QString SystemConfigFolder; // "/etc/varnholt/"

// The server file "Varnholt.server" that names a database server instead of the file: the first
// one found in the data folder (the user's own, or the shop's VARNHOLT_DATA), then in the
// program directory (a portable copy's own), then in `systemFolder` (for every user of the
// computer). Empty when there is none.
QString FindServerFile(const ProgramFolders& folders,
                       const QString& systemFolder = SystemConfigFolder);

// Where the data is, in the program's words: the database file and the folder of the backups,
// one a line.
QString DataLocationText(const ProgramFolders& folders);
