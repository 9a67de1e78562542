// Fitting a grid column to its widest value (a double-click on the border of its title) over the
// stock-in list of a million movements, side by side with fetching that list in the same
// iterations: the fitting must feel as immediate as a click, a small share of the fetch.
#include "BenchData.h"
#include "BenchSupport.h"
#include "data/ShareDMUnit.h"
#include "stock/StockLists.h"
#include "stock/StockStatements.h"
#include "widgets/DataGrid.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

constexpr int Million = 1'000'000;

// The stock-in grid's columns by number: code, name, model, unit, quantity, price, amount,
// date, remark.
const char* const ColumnLabels[] = {"code",  "name",   "model", "unit",  "quantity",
                                    "price", "amount", "date",  "remark"};

void BM_FitColumn(benchmark::State& state) {
    const int column = static_cast<int>(state.range(1));
    TShareDM dm;
    dm.ADOConnection1.OpenFile(BenchDatabase(static_cast<int>(state.range(0))), DatabasePassword);
    Query query(&dm.ADOConnection1);
    DataGrid grid;
    grid.setColumns(MovementList(MovementKind::StockIn).columns);
    grid.setDataSet(&query);
    const QString statement = MovementListStatement(MovementKind::StockIn, QString());
    int width = 0;
    {
        SideBySide measure(state);
        for (auto _ : state)
            measure.iteration([&] { OpenSQL(query, statement); },
                              [&] { width = grid.fittingColumnWidth(column); });
    }
    state.counters["rows"] = query.RecordCount();
    state.counters["width_px"] = width;
    state.SetLabel(ColumnLabels[column]);
}

BENCHMARK(BM_FitColumn)
    ->ArgsProduct({{Million}, {0, 1, 4, 6, 7, 8}})
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetUpAsTheProgram(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
