// The stock lists and the balance over years of movements: fetching, filtering, the balance
// statement, and sorting the fetched rows by a column title.
#include "BenchData.h"
#include "ShareDMUnit.h"
#include "StockStatements.h"

#include <QCoreApplication>
#include <QDate>
#include <benchmark/benchmark.h>

namespace {

struct Fixture {
    explicit Fixture(int movements) {
        dm.ADOConnection1.OpenFile(BenchDatabase(movements), DatabasePassword);
    }
    TShareDM dm;
};

void BM_MovementList(benchmark::State& state) {
    Fixture fixture(static_cast<int>(state.range(0)));
    Query query(&fixture.dm.ADOConnection1);
    for (auto _ : state)
        OpenSQL(query, MovementListStatement(StockInKind, QString()));
    state.counters["rows"] = query.RecordCount();
}

void BM_MovementListOneMonth(benchmark::State& state) {
    Fixture fixture(static_cast<int>(state.range(0)));
    Query query(&fixture.dm.ADOConnection1);
    const QString fragment = DateRangeFragment(QDate(2020, 3, 1), QDate(2020, 3, 31)) +
                             ProductFilterFragment(AllItems, AllItems);
    for (auto _ : state)
        OpenSQL(query, MovementListStatement(StockInKind, fragment));
    state.counters["rows"] = query.RecordCount();
}

void BM_Balance(benchmark::State& state) {
    Fixture fixture(static_cast<int>(state.range(0)));
    Query query(&fixture.dm.ADOConnection1);
    for (auto _ : state)
        OpenSQL(query, BalanceStatement(QDate(2025, 12, 31), QString()));
    state.counters["rows"] = query.RecordCount();
}

void BM_SortListByName(benchmark::State& state) {
    Fixture fixture(static_cast<int>(state.range(0)));
    Query query(&fixture.dm.ADOConnection1);
    OpenSQL(query, MovementListStatement(StockInKind, QString()));
    bool descending = false;
    for (auto _ : state) {
        query.SetSort(descending ? "ProductName DESC" : "ProductName");
        descending = !descending;
    }
    state.counters["rows"] = query.RecordCount();
}

void BM_SortListByQuantity(benchmark::State& state) {
    Fixture fixture(static_cast<int>(state.range(0)));
    Query query(&fixture.dm.ADOConnection1);
    OpenSQL(query, MovementListStatement(StockInKind, QString()));
    for (auto _ : state)
        query.SetSort("StoreNumber DESC");
}

constexpr int Million = 1'000'000;

BENCHMARK(BM_MovementList)->Arg(100'000)->Arg(Million)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MovementListOneMonth)->Arg(Million)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Balance)->Arg(100'000)->Arg(Million)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortListByName)->Arg(Million)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortListByQuantity)->Arg(Million)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
