// The stock entry dialog over the shop-like catalogue of the benchmark data (20,000 product names
// in about 80,000 codes): the time from showing the dialog until the code box has the focus,
// beside the one statement a showing runs (the distinct product codes) and the filling of the
// code list from it.
#include "BenchData.h"
#include "ControlOps.h"
#include "DropDownComboBox.h"
#include "ShareDMUnit.h"
#include "StoreEditorUnit.h"

#include <QApplication>
#include <QComboBox>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// The smallest file of the benchmark data; the catalogue is the same in every size.
constexpr int Movements = 100'000;

struct Fixture {
    Fixture() { dm.ADOConnection1.OpenFile(BenchDatabase(Movements), DatabasePassword); }
    TShareDM dm;
};

QString distinctCodes() {
    return DistinctStatement("Product", "ProductSerial", QString());
}

void BM_SelectDistinctCodes(benchmark::State& state) {
    Fixture fixture;
    Query query(&fixture.dm.ADOConnection1);
    for (auto _ : state)
        OpenSQL(query, distinctCodes());
    state.counters["rows"] = query.RecordCount();
}

// FillDistinctCombo as a showing runs it: into the flat list of a drop-down box, and for
// comparison into a combo box with Qt's standard list (an item object per entry).
void BM_FillCodeList(benchmark::State& state) {
    Fixture fixture;
    const bool flat = state.range(0) != 0;
    std::unique_ptr<QComboBox> combo(flat ? new DropDownComboBox : new QComboBox);
    combo->setEditable(true);
    for (auto _ : state)
        FillDistinctCombo(combo.get(), "Product", "ProductSerial", QString(), true, QString());
    state.counters["rows"] = combo->count();
    state.SetLabel(flat ? "flat list" : "standard list");
}

// show() runs the showing (buttons, caption, code list, cleared inputs, today's date) and gives
// the code box the focus; the events that follow lay out, activate and paint the window.
void BM_ShowToFocus(benchmark::State& state) {
    Fixture fixture;
    TStoreEditorfrm dialog;
    dialog.KindFlag = 0;
    for (auto _ : state) {
        dialog.show();
        QApplication::processEvents();
        if (dialog.focusWidget() != dialog.cbxSerial) {
            state.SkipWithError("the code box has no focus");
            break;
        }
        state.PauseTiming();
        dialog.hide();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["codes"] = dialog.cbxSerial->count();
}

BENCHMARK(BM_SelectDistinctCodes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillCodeList)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowToFocus)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
