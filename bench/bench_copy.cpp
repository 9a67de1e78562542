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
#include <memory>

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

// Runs `copy` once per iteration, timed. `prepare`, untimed, makes what the copy goes into and
// returns it; it is dropped untimed after the copy. Reports the rows copied per second and the
// peak resident memory the copy added to what the process held before it.
template <class Prepare, class Copy>
void measureCopies(benchmark::State& state, Prepare prepare, Copy copy) {
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto target = prepare();
        ReleaseFreeMemory();
        const double before = static_cast<double>(ResidentBytes());
        ResetPeakMemory();
        state.ResumeTiming();
        copy(target);
        state.PauseTiming();
        peak = static_cast<double>(PeakResidentBytes()) - before;
        target = decltype(target){};
        state.ResumeTiming();
    }
    state.counters["rows/s"] = benchmark::Counter(
        static_cast<double>(state.range(0)) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["peak MiB"] = peak / (1 << 20);
}

// Args: movements, rows per statement. Into a database prepared as `init` prepares one (the
// indexes are there before the rows).
void BM_CopyFileToServer(benchmark::State& state) {
    if (serverInfo().isEmpty())
        return state.SkipWithError("VARNHOLT_TEST_SERVER names no server");
    const QString database = BenchDatabase(static_cast<int>(state.range(0)));
    CipherEngine source(CipherFile::openExisting(database, DatabasePassword));
    const int rowsPerBatch = static_cast<int>(state.range(1));
    measureCopies(
        state,
        [] { return std::make_unique<BenchServerDatabase>(QStringLiteral("varnholt_bench_copy")); },
        [&](const std::unique_ptr<BenchServerDatabase>& server) {
            copyToServer(source, server->conninfo(), rowsPerBatch);
        });
}

// A database of its own on the server without tables, and a connection to it.
struct EmptyServer {
    BenchServerDatabase database{QStringLiteral("varnholt_bench_copy")};
    ServerEngine engine{database.conninfo()};
};

// Into a database without tables, as `varnholt-db copy` does it: the tables made, the indexes
// after the rows.
void BM_CopyFileIntoEmptyServer(benchmark::State& state) {
    if (serverInfo().isEmpty())
        return state.SkipWithError("VARNHOLT_TEST_SERVER names no server");
    const QString database = BenchDatabase(static_cast<int>(state.range(0)));
    CipherEngine source(CipherFile::openExisting(database, DatabasePassword));
    measureCopies(
        state, [] { return std::make_unique<EmptyServer>(); },
        [&](const std::unique_ptr<EmptyServer>& server) {
            CopyIntoServer(source, server->engine);
        });
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
    measureCopies(
        state,
        [&] {
            const QString target = folder.filePath(QStringLiteral("copy.mdb"));
            QFile::remove(target);
            return target;
        },
        [&](const QString& target) { CopyIntoNewFile(source, target, DatabasePassword); });
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
