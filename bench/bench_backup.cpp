// Backup and restore of years of movements: a checked backup (copy, integrity check, row
// counts), the check of a file alone, and a restore (safety copy, checks, copy).
#include "BenchData.h"
#include "BenchSupport.h"
#include "data/DatabaseBackup.h"
#include "data/DatabaseCheck.h"
#include "data/DatabaseRestore.h"
#include "data/ShareDMUnit.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const QDateTime Start(QDate(2024, 1, 1), QTime(8, 0));

void BM_Backup(benchmark::State& state) {
    const QString database = BenchDatabase(static_cast<int>(state.range(0)));
    QTemporaryDir folder;
    int second = 0;
    for (auto _ : state) {
        const BackupResult result = DatabaseBackup(database, DatabasePassword)
                                        .WriteInto(folder.path(), Start.addSecs(second++));
        state.PauseTiming();
        QFile::remove(result.path);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * QFileInfo(database).size());
}

void BM_CheckFile(benchmark::State& state) {
    const QString database = BenchDatabase(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckDatabaseFile(database, DatabasePassword));
    state.SetBytesProcessed(state.iterations() * QFileInfo(database).size());
}

// Restores a backup into a copy of the database, so that the shared file stays as it is.
void BM_Restore(benchmark::State& state) {
    const QString database = BenchDatabase(static_cast<int>(state.range(0)));
    QTemporaryDir folder;
    const QString current = folder.filePath(DatabaseFileName);
    QFile::copy(database, current);
    const QString backup =
        DatabaseBackup(database, DatabasePassword).WriteInto(folder.path(), Start).path;
    int second = 0;
    for (auto _ : state) {
        const RestoreResult result =
            DatabaseRestore(current, DatabasePassword).RestoreFrom(backup, Start.addSecs(++second));
        state.PauseTiming();
        QFile::remove(result.safetyCopy);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * QFileInfo(database).size());
}

constexpr int Million = 1'000'000;

BENCHMARK(BM_Backup)->Arg(100'000)->Arg(Million)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckFile)->Arg(100'000)->Arg(Million)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Restore)->Arg(100'000)->Arg(Million)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    SetUpAsTheProgram(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
