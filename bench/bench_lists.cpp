// The lists over years of movements, each figure side by side with its reference in the same
// iterations (counters reference_ms and ratio): sorting fetched rows, the memory a list holds,
// the command-line list end to end, the stock balance, the period summary, a one-month filter and
// the plain list.
#include "BenchData.h"
#include "BenchSupport.h"
#include "data/CipherEngine.h"
#include "data/CipherFile.h"
#include "data/Connection.h"
#include "data/RowSet.h"
#include "data/ShareDMUnit.h"
#include "data/SqlDialect.h"
#include "platform/Utf8.h"
#include "stock/StockStatements.h"

#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <chrono>
#include <sqlcipher/sqlite3.h>

namespace {

constexpr int Million = 1'000'000;

struct Fixture {
    explicit Fixture(int movements) : path(BenchDatabase(movements)) {
        dm.ADOConnection1.OpenFile(path, DatabasePassword);
    }
    EngineConnection& db() { return dm.ADOConnection1.engine(); }
    QString path;
    TShareDM dm;
};

QString storeIn() {
    return MovementListStatement(MovementKind::StockIn, QString());
}

QString oneMonth() {
    return MovementListStatement(MovementKind::StockIn,
                                 DateRangeFragment(QDate(2020, 3, 1), QDate(2020, 3, 31)));
}

QString balance() {
    return BalanceStatement(QDate(2025, 12, 31), QString());
}

// December's summary: the quantities of every movement up to its end, the amounts of its own.
QString summary() {
    return SummaryStatement(QDate(2025, 12, 1), QDate(2025, 12, 31), QString());
}

// Every movement, with a text column whose values all differ: name, model and movement number.
const QString allDistinctTexts =
    QStringLiteral("select *,ProductName||' '||ProductType||' 第'||StoreIndex||'笔' as Label "
                   "from Store,Product where StoreProduct=ProductIndex");

// Sorting fetched rows by a text column; the reference is sorting the same rows by a whole-number
// column (the product key), on a freshly opened result each time so that nothing is reused.
void sortSideBySide(benchmark::State& state, const QString& statement, const QString& textField) {
    Fixture fixture(static_cast<int>(state.range(0)));
    Query query(&fixture.dm.ADOConnection1);
    SideBySide measure(state);
    for (auto _ : state) {
        OpenSQL(query, statement);
        measure.iteration([&] { query.SetSort("StoreProduct"); },
                          [&] { query.SetSort(textField); });
    }
    state.counters["rows"] = query.RecordCount();
}

void BM_SortAllDistinctTexts(benchmark::State& state) {
    sortSideBySide(state, allDistinctTexts, "Label");
}

void BM_SortByProductName(benchmark::State& state) {
    sortSideBySide(state, storeIn(), "ProductName");
}

// Resident memory that a fetched stock-in list holds per row (the 13 columns of "select *"),
// after the page cache has been filled by an earlier fetch; the peak while fetching as well.
void BM_MemoryPerListedRow(benchmark::State& state) {
    Fixture fixture(static_cast<int>(state.range(0)));
    Query query(&fixture.dm.ADOConnection1);
    OpenSQL(query, storeIn());
    double held = 0, peak = 0, own = 0;
    for (auto _ : state) {
        query.Close();
        ReleaseFreeMemory();
        const double before = static_cast<double>(ResidentBytes());
        ResetPeakMemory();
        OpenSQL(query, storeIn());
        const double rows = query.RecordCount();
        held = (static_cast<double>(ResidentBytes()) - before) / rows;
        peak = (static_cast<double>(PeakResidentBytes()) - before) / rows;
        own = static_cast<double>(query.MemoryBytes()) / rows;
    }
    state.counters["rss_B_per_row"] = held;
    state.counters["peak_B_per_row"] = peak;
    state.counters["buffers_B_per_row"] = own;
    state.counters["rows"] = query.RecordCount();
    state.counters["page_cache_MiB"] =
        static_cast<double>(CipherFile::cacheKiBFor(QFileInfo(fixture.path).size())) / 1024;
}

// "varnholt-db list FILE in" end to end, beside a program that opens the file the same way and
// only fetches the same rows (this program, started with --raw-fetch).
void BM_ToolList(benchmark::State& state) {
    const QString path = BenchDatabase(static_cast<int>(state.range(0)));
    const QString self = QCoreApplication::applicationFilePath();
    const QString tool = QCoreApplication::applicationDirPath() + "/../bin/varnholt-db";
    double toolPeak = 0, rawPeak = 0;
    SideBySide measure(state);
    for (auto _ : state) {
        MeasuredRun raw, listed;
        measure.iteration(
            [&] {
                raw = RunMeasured({self, "--raw-fetch", path});
            },
            [&] {
                listed = RunMeasured({tool, "list", path, "in"});
            });
        toolPeak = listed.peakBytes;
        rawPeak = raw.peakBytes;
    }
    state.counters["peak_MiB"] = toolPeak / (1 << 20);
    state.counters["reference_peak_MiB"] = rawPeak / (1 << 20);
    state.counters["peak_ratio"] = rawPeak > 0 ? toolPeak / rawPeak : 0;
}

int rawFetchMain(const QString& path) {
    TShareDM dm;
    dm.ADOConnection1.OpenFile(path, DatabasePassword);
    dm.ADOConnection1.UseSinglePassCache();
    RawFetch(RawHandle(dm.ADOConnection1), TranslateSql(storeIn()));
    return 0;
}

void useEngineDefaultCache(Fixture& fixture) {
    fixture.dm.ADOConnection1.Execute("PRAGMA cache_size = -2000");
}

// The balance statement, against the engine's simplest grouped sum over the same covering index.
void balanceSideBySide(benchmark::State& state, bool defaultCache) {
    Fixture fixture(static_cast<int>(state.range(0)));
    if (defaultCache)
        useEngineDefaultCache(fixture);
    Query query(&fixture.dm.ADOConnection1);
    const QString groupedSum = "select StoreProduct,sum(StoreNumber) from Store where "
                               "StoreRecordDate<='2025-12-31 00:00:00' group by StoreProduct";
    const QString balanceOnly = TranslateSql(balance());
    double statementSeconds = 0;
    int iterations = 0;
    SideBySide measure(state);
    for (auto _ : state) {
        measure.iteration([&] { RawFetch(RawHandle(fixture.dm.ADOConnection1), groupedSum); },
                          [&] { OpenSQL(query, balance()); });
        // The balance statement alone, its rows read and dropped: what the fetch adds to it.
        const auto start = std::chrono::steady_clock::now();
        RawFetch(RawHandle(fixture.dm.ADOConnection1), balanceOnly);
        statementSeconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++iterations;
    }
    state.counters["statement_only_ms"] = 1000 * statementSeconds / std::max(iterations, 1);
    state.counters["rows"] = query.RecordCount();
}

void BM_Balance(benchmark::State& state) {
    balanceSideBySide(state, false);
}

void BM_BalanceEngineDefaultCache(benchmark::State& state) {
    balanceSideBySide(state, true);
}

// The period summary of a month into its query, against the balance at the month's end into
// its query, on the same connection.
void BM_Summary(benchmark::State& state) {
    Fixture fixture(static_cast<int>(state.range(0)));
    Query balanceQuery(&fixture.dm.ADOConnection1);
    Query summaryQuery(&fixture.dm.ADOConnection1);
    OpenSQL(summaryQuery, summary()); // both start from the same warm cache
    SideBySide measure(state);
    for (auto _ : state)
        measure.iteration([&] { OpenSQL(balanceQuery, balance()); },
                          [&] { OpenSQL(summaryQuery, summary()); });
    state.counters["rows"] = summaryQuery.RecordCount();
    state.counters["balance_rows"] = balanceQuery.RecordCount();
}

// The page cache setting of a connection (pages, or KiB when negative).
int cacheSize(sqlite3* db) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA cache_size", -1, &statement, nullptr);
    const int size = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0) : 0;
    sqlite3_finalize(statement);
    return size;
}

// A one-month stock-in list, against the same statement on an unencrypted copy of the file.
// Cold: each from a connection just opened (the program's opening of its file against the
// engine's plain opening), nothing of the file in either cache.
void BM_MonthFilterCold(benchmark::State& state) {
    const int movements = static_cast<int>(state.range(0));
    const QString path = BenchDatabase(movements);
    const QString plainPath = PlainBenchDatabase(movements);
    const QString statement = TranslateSql(oneMonth());
    std::uint32_t rows = 0;
    SideBySide measure(state);
    for (auto _ : state)
        measure.iteration(
            [&] {
                CipherEngine plain(CipherFile::Handle(OpenPlainDatabase(plainPath)));
                RowSet::fetch(plain, statement);
            },
            [&] {
                Connection connection;
                connection.OpenFile(path, DatabasePassword);
                rows = RowSet::fetch(connection.engine(), statement).rowCount();
            });
    state.counters["rows"] = rows;
}

// Warm: both connections kept open with the same cache size, the month read once before.
void BM_MonthFilterWarm(benchmark::State& state) {
    const int movements = static_cast<int>(state.range(0));
    Fixture fixture(movements);
    CipherEngine plain(CipherFile::Handle(OpenPlainDatabase(PlainBenchDatabase(movements))));
    plain.execute(QStringLiteral("PRAGMA cache_size = %1")
                      .arg(cacheSize(RawHandle(fixture.dm.ADOConnection1))));
    const QString statement = TranslateSql(oneMonth());
    RowSet::fetch(plain, statement);
    RowSet::fetch(fixture.db(), statement);
    std::uint32_t rows = 0;
    SideBySide measure(state);
    for (auto _ : state)
        measure.iteration([&] { RowSet::fetch(plain, statement); },
                          [&] { rows = RowSet::fetch(fixture.db(), statement).rowCount(); });
    state.counters["rows"] = rows;
}

// The stock-in list into a query, against only fetching its rows.
void BM_MovementList(benchmark::State& state) {
    Fixture fixture(static_cast<int>(state.range(0)));
    Query query(&fixture.dm.ADOConnection1);
    const QString statement = TranslateSql(storeIn());
    SideBySide measure(state);
    for (auto _ : state)
        measure.iteration([&] { RawFetch(RawHandle(fixture.dm.ADOConnection1), statement); },
                          [&] { OpenSQL(query, storeIn()); });
    state.counters["rows"] = query.RecordCount();
}

// What checking every stored text for UTF-8 adds to a list (the row readers check each text cell
// as they read it, see StoredText.h): the check of every text cell of the stock-in list, beside
// fetching that list into a query.
void BM_Utf8CheckOfAList(benchmark::State& state) {
    Fixture fixture(static_cast<int>(state.range(0)));
    Query list(&fixture.dm.ADOConnection1);
    OpenSQL(list, storeIn());
    std::vector<std::string_view> texts;
    std::size_t bytes = 0;
    for (int row = 0; row < list.RecordCount(); ++row)
        for (int column = 0; column < list.FieldCount(); ++column) {
            const CellValue cell = list.CellAt(row, column);
            if (cell.kind == CellValue::Kind::Text) {
                texts.push_back(cell.text);
                bytes += cell.text.size();
            }
        }
    Query query(&fixture.dm.ADOConnection1);
    std::size_t valid = 0;
    SideBySide measure(state);
    for (auto _ : state)
        measure.iteration([&] { OpenSQL(query, storeIn()); },
                          [&] {
                              valid = 0;
                              for (const std::string_view text : texts)
                                  valid += IsValidUtf8(text);
                          });
    state.counters["text_cells"] = static_cast<double>(texts.size());
    state.counters["text_MB"] = static_cast<double>(bytes) / 1e6;
    if (valid != texts.size())
        state.SkipWithError("a stored text is not UTF-8");
}

BENCHMARK(BM_SortAllDistinctTexts)
    ->Arg(Million)
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByProductName)
    ->Arg(Million)
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoryPerListedRow)->Arg(Million)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToolList)
    ->Arg(100'000)
    ->Arg(Million)
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Balance)
    ->Arg(100'000)
    ->Arg(Million)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Summary)
    ->Arg(100'000)
    ->Arg(Million)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BalanceEngineDefaultCache)
    ->Arg(Million)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonthFilterCold)
    ->Arg(Million)
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonthFilterWarm)
    ->Arg(Million)
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MovementList)
    ->Arg(100'000)
    ->Arg(Million)
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf8CheckOfAList)
    ->Arg(Million)
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (argc > 3 && QByteArray(argv[1]) == "--peak-of")
        return PeakOfMain(argv);
    QCoreApplication app(argc, argv);
    SetUpAsTheProgram(app);
    if (argc == 3 && QByteArray(argv[1]) == "--raw-fetch")
        return rawFetchMain(QString::fromLocal8Bit(argv[2]));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
