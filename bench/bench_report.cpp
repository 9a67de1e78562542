// Printing a long list: preparing the report of 100,000 stock-in records and painting its
// first page (beside the time of fetching those rows), and writing the whole report as a PDF
// file (pages per second).
#include "BenchData.h"
#include "Letterhead.h"
#include "ListReport.h"
#include "ListReportDataSet.h"
#include "ListTable.h"
#include "PreparedReport.h"
#include "Report.h"
#include "ReportOutput.h"
#include "ReportPagePainter.h"
#include "ShareDMUnit.h"
#include "StockLists.h"
#include "StockStatements.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <malloc.h>

namespace {

// 150,000 movements, two thirds of them goods received.
constexpr int Movements = 150'000;

// The program directory of the build, whose frf/ holds the templates.
QString programDir() {
    return QDir(GetAppPath() + QStringLiteral("../bin")).absolutePath() + u'/';
}

std::size_t heapInUse() {
    return mallinfo2().uordblks;
}

// The stock-in page as the print button finds it: the list fetched into its query.
struct StockInPage {
    StockInPage() {
        dm.ADOConnection1.OpenFile(BenchDatabase(Movements), DatabasePassword);
        query.setObjectName(list.query);
        OpenSQL(query, list.statement);
        report.setDataSet(&dataSet);
        // The grid's footer sums, made when the list was fetched; printing takes them over.
        sums = ListTable(&query, list.columns).columnSums();
    }
    // What the print button does: the list of the grid's columns over the query, its report.
    std::shared_ptr<const PreparedReport> prepare() {
        const auto table = std::make_shared<const ListTable>(&query, list.columns, sums);
        dataSet.setTable(table);
        BuildListReport(*table, report, list.title, false, NarrowTemplateName, WideTemplateName,
                        programDir(), ReadLetterhead(dm));
        return report.PrepareReport();
    }

    TShareDM dm;
    ListDefinition list = MovementList(MovementKind::StockIn);
    Query query{&dm.ADOConnection1};
    ListReportDataSet dataSet{list.dataSet};
    std::vector<std::optional<double>> sums;
    Report report;
};

void BM_FetchStockInList(benchmark::State& state) {
    TShareDM dm;
    dm.ADOConnection1.OpenFile(BenchDatabase(Movements), DatabasePassword);
    Query query(&dm.ADOConnection1);
    for (auto _ : state)
        OpenSQL(query, MovementListStatement(MovementKind::StockIn, QString()));
    state.counters["records"] = query.RecordCount();
}

// What the print button does before the preview shows: build the report from the template,
// lay out every record on pages, build and paint the first page at 100 %.
void BM_PrepareReportAndPaintFirstPage(benchmark::State& state) {
    StockInPage page;
    QImage image(1123, 794, QImage::Format_RGB32);
    int pages = 0;
    std::size_t preparedBytes = 0;
    for (auto _ : state) {
        const std::size_t before = heapInUse();
        const auto prepared = page.prepare();
        preparedBytes = heapInUse() - before;
        QPainter painter(&image);
        ReportPagePainter(painter, QPointF(0, 0), 1.0).drawPage(prepared->Page(0));
        pages = prepared->PageCount();
    }
    state.counters["records"] = page.query.RecordCount();
    state.counters["pages"] = pages;
    state.counters["bytes_per_record"] = double(preparedBytes) / page.query.RecordCount();
}

void BM_WriteWholePdf(benchmark::State& state) {
    StockInPage page;
    const auto prepared = page.prepare();
    QTemporaryDir folder;
    const QString path = folder.filePath("stock-in.pdf");
    for (auto _ : state)
        WriteReportPdf(*prepared, path);
    state.counters["pages"] = benchmark::Counter(
        double(prepared->PageCount()) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["file_MB"] = QFileInfo(path).size() / 1e6;
}

BENCHMARK(BM_FetchStockInList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrepareReportAndPaintFirstPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteWholePdf)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
