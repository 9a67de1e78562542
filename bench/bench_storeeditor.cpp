// The stock entry dialog over the shop-like catalogue of the benchmark data (20,000 product names
// in about 80,000 codes): the time from showing the dialog until the code box has the focus,
// beside the one statement a showing runs (the distinct product codes) and the filling of the
// code list from it; and the save of a changed movement among a million, which writes the row
// only while it is as the dialog read it, beside the save by key alone that it replaced.
#include "BenchData.h"
#include "BenchSupport.h"
#include "data/EngineConnection.h"
#include "data/PreparedStatement.h"
#include "data/ShareDMUnit.h"
#include "data/Transaction.h"
#include "product/ProductStatements.h"
#include "stock/StockStatements.h"
#include "stock/StoreEditorUnit.h"
#include "widgets/ControlOps.h"
#include "widgets/DatePicker.h"
#include "widgets/DropDownComboBox.h"
#include "widgets/GlowButton.h"
#include "widgets/NumberBox.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
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
        FillDistinctCombo(fixture.dm.ADOQueryNotAllowUse, combo.get(), "Product", "ProductSerial",
                          QString(), true, QString());
    state.counters["rows"] = combo->count();
    state.SetLabel(flat ? "flat list" : "standard list");
}

// show() runs the showing (buttons, caption, code list, cleared inputs, today's date) and gives
// the code box the focus; the events that follow lay out, activate and paint the window.
void BM_ShowToFocus(benchmark::State& state) {
    Fixture fixture;
    TStoreEditorfrm dialog(fixture.dm);
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

// A statement run on the connection, its rows stepped through; throws with the engine's message.
void run(EngineConnection& db, const QString& sql,
         const std::function<void(PreparedStatement&)>& bind = {}) {
    PreparedStatement statement(db, sql);
    if (bind)
        bind(statement);
    while (statement.step()) {
    }
}

// The save by key alone, statement for statement as the dialog ran it before: in one write
// transaction the product found by the boxes, the movement read again, the table's key looked
// up, the row written by its key and read back.
void saveByKey(TStoreEditorfrm& dialog, TShareDM& dm) {
    Connection& connection = dm.ADOConnection1;
    Transaction transaction(connection);
    Query& query = dm.ADOQueryTemp1;
    OpenSQL(query, ProductListStatement(FilledFieldsFragment(dialog.cbxName->currentText(),
                                                             dialog.cbxType->currentText(),
                                                             dialog.cbxUnit->currentText())));
    const qint64 product = query.AsInteger("ProductIndex");
    OpenSQL(query, MovementStatement(dialog.RecordIndex));
    EngineConnection& db = connection.engine();
    run(db, QStringLiteral("PRAGMA table_info(\"Store\")"));
    run(db,
        QStringLiteral("UPDATE \"Store\" SET \"StorePrice\"=?,\"StoreNumber\"=?,\"StoreSum\"=?,"
                       "\"StoreKind\"=?,\"StoreRecordDate\"=?,\"StoreRemark\"=?,"
                       "\"StoreProduct\"=? WHERE \"StoreIndex\"=?"),
        [&](PreparedStatement& update) {
            update.bind(1, dialog.nPrice->valueOrThrow());
            update.bind(2, dialog.nNumber->valueOrThrow());
            update.bind(3, dialog.nSum->valueOrThrow());
            update.bind(4, dialog.KindFlag);
            update.bind(5, QDateTime(dialog.dtInDate->date(), QTime(0, 0)));
            update.bind(6, dialog.edtRemark->currentText());
            update.bind(7, product);
            update.bind(8, dialog.RecordIndex);
        });
    run(db, QStringLiteral("SELECT * FROM \"Store\" WHERE \"StoreIndex\"=?"),
        [&](PreparedStatement& select) { select.bind(1, dialog.RecordIndex); });
    transaction.Commit();
}

// "确定" on a movement shown for editing, in a file of a million movements (a copy of its own,
// since every iteration writes): the dialog's save, which writes the movement only while the
// columns it writes still hold what the showing read, beside the save by key alone. Each
// iteration shows the movement first (not timed).
void BM_SaveEditedMovement(benchmark::State& state) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Varnholt.mdb"));
    if (!QFile::copy(BenchDatabase(static_cast<int>(state.range(0))), path)) {
        state.SkipWithError("cannot copy the benchmark database");
        return;
    }
    TShareDM dm;
    dm.ADOConnection1.OpenFile(path, DatabasePassword);
    TStoreEditorfrm dialog(dm);
    dialog.EditFlag = true;
    dialog.RecordIndex = static_cast<int>(state.range(0) / 2);
    SideBySide measure(state);
    for (auto _ : state) {
        dialog.show();
        if (dialog.nNumber->text().isEmpty()) {
            state.SkipWithError("the movement is not shown");
            break;
        }
        measure.iteration([&] { saveByKey(dialog, dm); }, [&] { dialog.AdvGlowButton1Click(); });
        if (dialog.isVisible()) {
            state.SkipWithError("the save did not close the dialog");
            break;
        }
    }
}

BENCHMARK(BM_SelectDistinctCodes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillCodeList)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowToFocus)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveEditedMovement)
    ->Arg(1'000'000)
    ->Iterations(100)
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
