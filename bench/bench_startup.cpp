// The main window filled after log-in: the three lists, their filter boxes and the rest of the
// pages, beside the three raw fetches of the same lists in the same iterations (counters
// reference_ms and ratio). The lists are fetched in the background; the counter first_rows_ms is
// the time from log-in until the stock-in grid has painted its first rows.
#include "BenchData.h"
#include "BenchSupport.h"
#include "data/Connection.h"
#include "data/ShareDMUnit.h"
#include "data/SqlDialect.h"
#include "stock/StockStatements.h"
#include "ui/MainFromUnit.h"
#include "widgets/DataGrid.h"

#include <QApplication>
#include <QDate>
#include <benchmark/benchmark.h>
#include <chrono>
#include <sqlcipher/sqlite3.h>

namespace {

// Each iteration starts as a log-in does, from a connection just opened (its page cache empty):
// the reference opens one and fetches the three lists on it one after the other; the figure
// opens the program's connection and fills the window.
void BM_MainWindowFilled(benchmark::State& state) {
    const QString path = BenchDatabase(static_cast<int>(state.range(0)));
    TShareDM dm;
    TMainForm form(dm, GetAppPath());
    const QStringList statements = {
        TranslateSql(MovementListStatement(MovementKind::StockIn, QString())),
        TranslateSql(MovementListStatement(MovementKind::StockOut, QString())),
        TranslateSql(BalanceStatement(QDate::currentDate(), QString())),
    };
    form.resize(1024, 768);
    double firstRowsSeconds = 0;
    int rounds = 0;
    std::chrono::steady_clock::time_point start;
    bool painted = true;
    // The first rows are painted the moment the grid has them, before anything else the window
    // does on taking them.
    const auto paintFirstRows = [&] {
        if (painted || (form.ADOQueryStoreIn.Filling() && form.ADOQueryStoreIn.RowsReady() == 0))
            return;
        benchmark::DoNotOptimize(form.DBGridEh1->grab());
        firstRowsSeconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        painted = true;
    };
    QObject::connect(&form.ADOQueryStoreIn, &Query::changed, &form, paintFirstRows);
    QObject::connect(&form.ADOQueryStoreIn, &Query::fillFinished, &form, paintFirstRows);
    SideBySide measure(state);
    for (auto _ : state)
        measure.iteration(
            [&] {
                Connection connection;
                connection.OpenFile(path, DatabasePassword);
                for (const QString& statement : statements)
                    RawFetch(RawHandle(connection), statement);
            },
            [&] {
                start = std::chrono::steady_clock::now();
                painted = false;
                dm.ADOConnection1.OpenFile(path, DatabasePassword);
                form.InitializePages();
                paintFirstRows();
                while (!painted || form.ListsFilling())
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
                ++rounds;
            });
    state.counters["first_rows_ms"] = rounds > 0 ? 1000 * firstRowsSeconds / rounds : 0;
    state.counters["rows"] = form.ADOQueryStoreIn.RecordCount() +
                             form.ADOQueryStoreOut.RecordCount() + form.ADOQueryStore.RecordCount();
    // What the filled window holds: the process's resident memory (run one size per process to
    // read it alone) and the part of it that is the program connection's page cache.
    ReleaseFreeMemory();
    int cacheBytes = 0;
    int highest = 0;
    sqlite3_db_status(RawHandle(dm.ADOConnection1), SQLITE_DBSTATUS_CACHE_USED, &cacheBytes,
                      &highest, 0);
    state.counters["resident_MiB"] = double(ResidentBytes()) / (1 << 20);
    state.counters["of_it_files_MiB"] = double(ResidentFileBytes()) / (1 << 20);
    state.counters["page_cache_MiB"] = double(cacheBytes) / (1 << 20);
}

BENCHMARK(BM_MainWindowFilled)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    SetUpAsTheProgram(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
