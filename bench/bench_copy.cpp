// Copies of years of movements between the file and a database server: file -> empty server
// database and server -> new file, with the rows written one per statement or in batches, and
// the memory the copy takes beyond what the process held before.
//
// Needs a server: VARNHOLT_TEST_SERVER holds a connection string to it (scripts/test-server.sh
// start prints one), as for the tests.
#include "BenchData.h"
#include "BenchSupport.h"
#include "data/CipherEngine.h"
#include "data/CipherFile.h"
#include "data/DatabaseCopy.h"
#include "data/DatabaseTransfer.h"
#include "data/ServerEngine.h"
#include "data/ServerSchema.h"
#include "data/ShareDMUnit.h"
#include "data/Transaction.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QString serverInfo() {
    return qEnvironmentVariable("VARNHOLT_TEST_SERVER");
}

// A database of its own on the server, dropped at the end.
class BenchServerDatabase {
public:
    explicit BenchServerDatabase(const QString& name) : m_name(name) {
        ServerEngine admin(serverInfo());
        admin.execute(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_name));
        admin.execute(QStringLiteral("CREATE DATABASE %1").arg(m_name));
    }
    ~BenchServerDatabase() {
        ServerEngine admin(serverInfo());
        admin.execute(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_name));
    }
    QString conninfo() const { return serverInfo() + QStringLiteral(" dbname=") + m_name; }

private:
    QString m_name;
};

void copyToServer(EngineConnection& source, const QString& conninfo, int rowsPerBatch) {
    ServerEngine target(conninfo);
    Transaction write(target, Transaction::Mode::Write);
    CreateServerSchema(target);
    DatabaseCopy copy(source, target);
    copy.setRowsPerBatch(rowsPerBatch);
    copy.CopyAll(TargetRows::MustBeEmpty);
    write.Commit();
}

// Args: movements, rows per statement. Into a database prepared as `init` prepares one (the
// indexes are there before the rows).
void BM_CopyFileToServer(benchmark::State& state) {
    if (serverInfo().isEmpty())
        return state.SkipWithError("VARNHOLT_TEST_SERVER names no server");
    const QString database = BenchDatabase(static_cast<int>(state.range(0)));
    CipherEngine source(CipherFile::openExisting(database, DatabasePassword));
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        BenchServerDatabase server(QStringLiteral("varnholt_bench_copy"));
        ReleaseFreeMemory();
        const double before = static_cast<double>(ResidentBytes());
        ResetPeakMemory();
        state.ResumeTiming();
        copyToServer(source, server.conninfo(), static_cast<int>(state.range(1)));
        state.PauseTiming();
        peak = static_cast<double>(PeakResidentBytes()) - before;
        state.ResumeTiming();
    }
    state.counters["rows/s"] = benchmark::Counter(
        static_cast<double>(state.range(0)) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["peak MiB"] = peak / (1 << 20);
}

// Into a database without tables, as `varnholt-db copy` does it: the tables made, the indexes
// after the rows.
void BM_CopyFileIntoEmptyServer(benchmark::State& state) {
    if (serverInfo().isEmpty())
        return state.SkipWithError("VARNHOLT_TEST_SERVER names no server");
    const QString database = BenchDatabase(static_cast<int>(state.range(0)));
    CipherEngine source(CipherFile::openExisting(database, DatabasePassword));
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        BenchServerDatabase server(QStringLiteral("varnholt_bench_copy"));
        ServerEngine target(server.conninfo());
        ReleaseFreeMemory();
        const double before = static_cast<double>(ResidentBytes());
        ResetPeakMemory();
        state.ResumeTiming();
        CopyIntoServer(source, target);
        state.PauseTiming();
        peak = static_cast<double>(PeakResidentBytes()) - before;
        state.ResumeTiming();
    }
    state.counters["rows/s"] = benchmark::Counter(
        static_cast<double>(state.range(0)) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["peak MiB"] = peak / (1 << 20);
}

void BM_CopyServerToFile(benchmark::State& state) {
    if (serverInfo().isEmpty())
        return state.SkipWithError("VARNHOLT_TEST_SERVER names no server");
    const QString database = BenchDatabase(static_cast<int>(state.range(0)));
    BenchServerDatabase server(QStringLiteral("varnholt_bench_copy_source"));
    {
        CipherEngine file(CipherFile::openExisting(database, DatabasePassword));
        ServerEngine target(server.conninfo());
        CopyIntoServer(file, target);
    }
    ServerEngine source(server.conninfo());
    QTemporaryDir folder;
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString target = folder.filePath(QStringLiteral("copy.mdb"));
        QFile::remove(target);
        ReleaseFreeMemory();
        const double before = static_cast<double>(ResidentBytes());
        ResetPeakMemory();
        state.ResumeTiming();
        CopyIntoNewFile(source, target, DatabasePassword);
        state.PauseTiming();
        peak = static_cast<double>(PeakResidentBytes()) - before;
        state.ResumeTiming();
    }
    state.counters["rows/s"] = benchmark::Counter(
        static_cast<double>(state.range(0)) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["peak MiB"] = peak / (1 << 20);
}

constexpr int Million = 1'000'000;

BENCHMARK(BM_CopyFileToServer)
    ->Args({100'000, 1})
    ->Args({100'000, 64})
    ->Args({100'000, 256})
    ->Args({100'000, 1024})
    ->Args({Million, 256})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyFileIntoEmptyServer)
    ->Arg(100'000)
    ->Arg(Million)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyServerToFile)
    ->Arg(100'000)
    ->Arg(Million)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    SetUpAsTheProgram(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
