#include "data/ProgramFolders.h"

#include "data/ShareDMUnit.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <pwd.h>
#include <unistd.h>

#ifndef VARNHOLT_RESOURCES_FROM_BIN
#define VARNHOLT_RESOURCES_FROM_BIN "../share/varnholt"
#endif

const QString SystemConfigFolder = QStringLiteral("/etc/varnholt/");

namespace {

const QString ServerFileName = QStringLiteral("Varnholt.server");
// The file that marks a folder as the program's resources.
const QString TemplateMark = QStringLiteral("frf/CommonPrint.frf");

QString asFolder(const QString& path) {
    QString folder = QDir::cleanPath(QDir(path).absolutePath());
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

bool holdsResources(const QString& folder) {
    return QFileInfo(folder + TemplateMark).isFile();
}

QString homeFolder(const QProcessEnvironment& env) {
    const QString home = env.value(QStringLiteral("HOME"));
    if (!home.isEmpty())
        return home;
    const passwd* entry = getpwuid(getuid());
    return entry && entry->pw_dir ? QFile::decodeName(entry->pw_dir) : QDir::rootPath();
}

// $XDG_DATA_HOME/Varnholt, or ~/.local/share/Varnholt when the variable is unset, empty or not
// an absolute path (such a value is to be ignored).
QString userDataFolder(const QProcessEnvironment& env) {
    QString base = env.value(QStringLiteral("XDG_DATA_HOME"));
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = homeFolder(env) + QStringLiteral("/.local/share");
    return asFolder(base + QStringLiteral("/Varnholt"));
}

} // namespace

ProgramFolders::ProgramFolders(const QString& programDirectory)
    : program(programDirectory), resources(programDirectory), data(programDirectory) {}

QString ProgramFolders::databasePath() const {
    return data + DatabaseFileName;
}

QString ProgramFolders::backupFolder() const {
    return data + QStringLiteral("backup");
}

QString ProgramFolders::helpPicturePath() const {
    return resources + QStringLiteral("Qhelp.jpg");
}

bool IsWritableFolder(const QString& path) {
    return ::access(QFile::encodeName(path).constData(), W_OK | X_OK) == 0;
}

ProgramFolders DecideProgramFolders(const QString& executableDir, const QProcessEnvironment& env,
                                    const std::function<bool(const QString&)>& writable) {
    ProgramFolders folders;
    folders.program = asFolder(executableDir);
    const QString installed =
        asFolder(folders.program + QStringLiteral(VARNHOLT_RESOURCES_FROM_BIN));
    // A portable copy keeps its files beside the executable; an installed program finds them
    // under its prefix. When neither holds them, the program still starts and names the missing
    // template when it needs it.
    const bool portable = holdsResources(folders.program) || !holdsResources(installed);
    folders.resources = portable ? folders.program : installed;

    const QString named = env.value(QStringLiteral("VARNHOLT_DATA"));
    if (!named.isEmpty()) {
        folders.data = asFolder(named);
        folders.dataKind = ProgramFolders::DataKind::NamedFolder;
    } else if (holdsResources(folders.program) && writable(folders.program)) {
        folders.data = folders.program;
        folders.dataKind = ProgramFolders::DataKind::ProgramDirectory;
    } else {
        folders.data = userDataFolder(env);
        folders.dataKind = ProgramFolders::DataKind::UserFolder;
    }
    return folders;
}

ProgramFolders CurrentProgramFolders() {
    return DecideProgramFolders(QCoreApplication::applicationDirPath(),
                                QProcessEnvironment::systemEnvironment());
}

QString FindServerFile(const ProgramFolders& folders, const QString& systemFolder) {
    for (const QString& folder : {folders.data, folders.program, asFolder(systemFolder)}) {
        const QString path = folder + ServerFileName;
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

QString DataLocationText(const ProgramFolders& folders) {
    return QStringLiteral("数据文件：%1\n自动备份：%2/")
        .arg(QDir::toNativeSeparators(folders.databasePath()),
             QDir::toNativeSeparators(folders.backupFolder()));
}
