#include "BenchSupport.h"

#include "app/ApplicationSetup.h"
#include "data/CipherEngine.h"
#include "data/Connection.h"
#include "data/DataError.h"
#include "lists/ProgramLocale.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sqlcipher/sqlite3.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

void SetUpAsTheProgram(QCoreApplication& app) {
    if (auto* windows = qobject_cast<QApplication*>(&app))
        SetUpApplication(*windows);
    else
        SetProgramLocale();
}

sqlite3* RawHandle(const Connection& connection) {
    return static_cast<CipherEngine&>(connection.engine()).handle();
}

std::size_t RawFetch(sqlite3* db, const QString& sql) {
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), text.size(), &statement, nullptr) != SQLITE_OK)
        throw DataError(QString::fromUtf8(sqlite3_errmsg(db)));
    std::size_t rows = 0;
    std::uint64_t checksum = 0;
    const int columns = sqlite3_column_count(statement);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(statement, c)) {
            case SQLITE_INTEGER:
                checksum += static_cast<std::uint64_t>(sqlite3_column_int64(statement, c));
                break;
            case SQLITE_FLOAT:
                checksum += static_cast<std::uint64_t>(sqlite3_column_double(statement, c));
                break;
            case SQLITE_TEXT:
            case SQLITE_BLOB:
                sqlite3_column_text(statement, c);
                checksum += static_cast<std::uint64_t>(sqlite3_column_bytes(statement, c));
                break;
            default:
                break;
            }
        }
        ++rows;
    }
    sqlite3_finalize(statement);
    benchmark::DoNotOptimize(checksum);
    return rows;
}

namespace {
std::size_t statusField(const char* name) {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(static_cast<qsizetype>(std::strlen(name)))
                       .trimmed()
                       .split(' ')
                       .value(0)
                       .toULongLong() *
                   1024;
    return 0;
}
} // namespace

std::size_t ResidentBytes() {
    return statusField("VmRSS:");
}

std::size_t ResidentFileBytes() {
    return statusField("RssFile:") + statusField("RssShmem:");
}

std::size_t PeakResidentBytes() {
    return statusField("VmHWM:");
}

void ResetPeakMemory() {
    QFile clear("/proc/self/clear_refs");
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

void ReleaseFreeMemory() {
    malloc_trim(0);
}

namespace {

// Starts a program with its output thrown away and waits for it; its peak resident memory.
double spawnAndWait(char** argv) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ) != 0)
        throw std::runtime_error(std::string("cannot start ") + argv[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(std::string(argv[0]) + " failed");
    return static_cast<double>(usage.ru_maxrss) * 1024;
}

} // namespace

int PeakOfMain(char** argv) {
    const double peak = spawnAndWait(argv + 3);
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly))
        return 1;
    out.write(QByteArray::number(peak, 'f', 0));
    return 0;
}

MeasuredRun RunMeasured(const QStringList& programArguments) {
    const QString peakFile = QDir::temp().filePath("varnholt-bench-peak");
    QStringList arguments = {QCoreApplication::applicationFilePath(), "--peak-of", peakFile};
    arguments += programArguments;
    std::vector<QByteArray> storage;
    std::vector<char*> argv;
    for (const QString& argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    for (QByteArray& argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    spawnAndWait(argv.data());
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    QFile peak(peakFile);
    if (!peak.open(QIODevice::ReadOnly))
        throw std::runtime_error("no peak measured");
    return {seconds, peak.readAll().toDouble()};
}
