// The program on a database server (the throwaway server of scripts/test-server.sh on its
// socket, durability off), over the same shop-like data as the file benchmarks, each figure
// beside its reference in the same iterations: the balance beside the server's simplest grouped
// sum, the stock-in list into its grid beside a raw fetch of the same rows, the peak memory of
// `varnholt-db list` at 100,000 beside 1,000,000 movements, and the entry dialog's save on the
// server beside the same save on the file.
//
// Run with a server started: source scripts/test-server.sh start; build/bench/bench_server
#include "BenchData.h"
#include "BenchServer.h"
#include "BenchSupport.h"
#include "data/ServerSqlText.h"
#include "data/ShareDMUnit.h"
#include "data/SqlDialect.h"
#include "stock/StockLists.h"
#include "stock/StockStatements.h"
#include "stock/StoreEditorUnit.h"
#include "widgets/DataGrid.h"
#include "widgets/DatePicker.h"
#include "widgets/DropDownComboBox.h"
#include "widgets/GlowButton.h"
#include "widgets/NumberBox.h"

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <libpq-fe.h>
#include <memory>

namespace {

constexpr int Million = 1'000'000;
const QDate Cutoff(2025, 12, 31);

// The program's data module on the server database of the benchmark data, and a raw connection
// of the server's library beside it.
struct Fixture {
    explicit Fixture(int movements) : conninfo(BenchServerDatabase(movements)) {
        dm.ADOConnection1.OpenServer(conninfo);
        raw = OpenRawServer(conninfo);
    }
    ~Fixture() { PQfinish(raw); }
    QString conninfo;
    TShareDM dm;
    PGconn* raw = nullptr;
};

// The mean time of what it timed, for a counter beside the benchmark's figure.
class Stopwatch {
public:
    template <typename Work> void time(Work&& work) {
        const auto start = std::chrono::steady_clock::now();
        work();
        m_seconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++m_count;
    }
    double meanMs() const { return m_count > 0 ? 1000 * m_seconds / m_count : 0; }

private:
    double m_seconds = 0;
    int m_count = 0;
};

// A statement of the program as the server receives it.
QByteArray serverText(const QString& statement) {
    return ServerSqlText::from(TranslateSql(statement, SqlTarget::Server)).text;
}

// The balance into a query, as the balance page fetches it, beside the server's simplest grouped
// sum over the same rows; `statement_only_ms`: the balance statement fetched raw, its rows read
// and dropped (what the server's work is, apart from decoding and keeping the rows).
void BM_ServerBalance(benchmark::State& state) {
    Fixture fixture(static_cast<int>(state.range(0)));
    Query query(&fixture.dm.ADOConnection1);
    // The statement as the balance page sends it to the server, with its row order.
    const QString balance = BalanceList(Cutoff).statementOn(SqlTarget::Server);
    const QByteArray balanceOnly = serverText(balance);
    const QByteArray groupedSum = "SELECT storeproduct, sum(storenumber) FROM store WHERE "
                                  "storerecorddate <= '2025-12-31 00:00:00' GROUP BY storeproduct";
    Stopwatch statementOnly;
    SideBySide measure(state);
    for (auto _ : state) {
        measure.iteration([&] { RawServerFetch(fixture.raw, groupedSum); },
                          [&] { OpenSQL(query, balance); });
        statementOnly.time([&] { RawServerFetch(fixture.raw, balanceOnly); });
    }
    state.counters["statement_only_ms"] = statementOnly.meanMs();
    state.counters["rows"] = query.RecordCount();
}

// December's period summary into a query, beside the balance at the month's end into a query,
// each as its page sends it to the server.
void BM_ServerSummary(benchmark::State& state) {
    Fixture fixture(static_cast<int>(state.range(0)));
    Query balanceQuery(&fixture.dm.ADOConnection1);
    Query summaryQuery(&fixture.dm.ADOConnection1);
    const QString balance = BalanceList(Cutoff).statementOn(SqlTarget::Server);
    const QString summary = SummaryList(QDate(2025, 12, 1), Cutoff).statementOn(SqlTarget::Server);
    SideBySide measure(state);
    for (auto _ : state)
        measure.iteration([&] { OpenSQL(balanceQuery, balance); },
                          [&] { OpenSQL(summaryQuery, summary); });
    state.counters["rows"] = summaryQuery.RecordCount();
}

// The stock-in list into the stock-in grid (the query fetched, the grid's model reloaded with
// its footer sums), beside a raw fetch of the same rows; `query_only_ms`: the list into a query
// without a grid.
void BM_ServerMovementList(benchmark::State& state) {
    Fixture fixture(static_cast<int>(state.range(0)));
    Query query(&fixture.dm.ADOConnection1);
    DataGrid grid;
    grid.setColumns(MovementList(MovementKind::StockIn).columns);
    grid.setDataSet(&query);
    const QString statement = MovementListStatement(MovementKind::StockIn, QString());
    const QByteArray raw = serverText(statement);
    Stopwatch queryOnly;
    SideBySide measure(state);
    for (auto _ : state) {
        measure.iteration([&] { RawServerFetch(fixture.raw, raw); },
                          [&] { OpenSQL(query, statement); });
        Query alone(&fixture.dm.ADOConnection1);
        queryOnly.time([&] { OpenSQL(alone, statement); });
    }
    state.counters["query_only_ms"] = queryOnly.meanMs();
    state.counters["rows"] = query.RecordCount();
}

// "varnholt-db list URI in" end to end, output thrown away: its peak memory at 1,000,000
// movements beside the same at 100,000 (the reference); flat when the list streams.
void BM_ServerToolListPeak(benchmark::State& state) {
    const QString tool = QCoreApplication::applicationDirPath() + "/../bin/varnholt-db";
    const QString small = BenchServerDatabase(100'000);
    const QString large = BenchServerDatabase(Million);
    MeasuredRun smallRun, largeRun;
    SideBySide measure(state);
    for (auto _ : state)
        measure.iteration(
            [&] {
                smallRun = RunMeasured({tool, "list", small, "in"});
            },
            [&] {
                largeRun = RunMeasured({tool, "list", large, "in"});
            });
    state.counters["peak_100k_MiB"] = smallRun.peakBytes / (1 << 20);
    state.counters["peak_1M_MiB"] = largeRun.peakBytes / (1 << 20);
    state.counters["peak_ratio"] =
        smallRun.peakBytes > 0 ? largeRun.peakBytes / smallRun.peakBytes : 0;
}

// The entry dialog over a database, shown for a new stock-in movement of a catalogue product.
struct Entry {
    explicit Entry(TShareDM& dm) : dialog(dm) {}
    void show(const QString& code, int i) {
        dialog.KindFlag = 0;
        dialog.show();
        dialog.cbxSerial->setEditText(code);
        dialog.cbxSerialExit();
        dialog.nPrice->setValue(2.5);
        dialog.nNumber->setValue(1 + i % 9);
        dialog.dtInDate->setDate(Cutoff);
        dialog.edtRemark->setEditText(QStringLiteral("测速 %1").arg(i));
    }
    TStoreEditorfrm dialog;
};

// "确定" on a new movement: on the server beside the same save on a copy of the file of the
// same data. The movements saved on the server are removed again at the end.
void BM_ServerEntrySave(benchmark::State& state) {
    const int movements = static_cast<int>(state.range(0));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Varnholt.mdb"));
    if (!QFile::copy(BenchDatabase(movements), path)) {
        state.SkipWithError("cannot copy the benchmark database");
        return;
    }
    TShareDM file;
    file.ADOConnection1.OpenFile(path, DatabasePassword);
    Fixture server(movements);
    Entry onFile(file), onServer(server.dm);
    OpenSQL(file.ADOQueryTemp2, "select ProductSerial from Product where ProductIndex=1");
    const QString code = file.ADOQueryTemp2.AsString("ProductSerial");
    int i = 0;
    {
        SideBySide measure(state);
        for (auto _ : state) {
            onFile.show(code, i);
            onServer.show(code, i);
            measure.iteration([&] { onFile.dialog.AdvGlowButton1Click(); },
                              [&] { onServer.dialog.AdvGlowButton1Click(); });
            if (onFile.dialog.isVisible() || onServer.dialog.isVisible()) {
                state.SkipWithError("a save did not close the dialog");
                break;
            }
            ++i;
        }
    }
    server.dm.ADOConnection1.Execute("DELETE FROM Store WHERE StoreRemark LIKE '测速 %'");
}

BENCHMARK(BM_ServerBalance)
    ->Arg(100'000)
    ->Arg(Million)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ServerSummary)
    ->Arg(100'000)
    ->Arg(Million)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ServerMovementList)
    ->Arg(100'000)
    ->Arg(Million)
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ServerToolListPeak)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ServerEntrySave)
    ->Arg(Million)
    ->Iterations(100)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (argc > 3 && QByteArray(argv[1]) == "--peak-of")
        return PeakOfMain(argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetUpAsTheProgram(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
