// Spreadsheet export of the stock-in list end to end (fetch again, write, close), beside the
// file library's own constant-memory write of the same rows with the same formats, and the
// memory each takes beyond what the process held before.
#include "BenchData.h"
#include "BenchSupport.h"
#include "data/ShareDMUnit.h"
#include "output/ExportToExcelUnit.h"
#include "sheet/Spreadsheet.h"
#include "stock/StockLists.h"
#include "stock/StockStatements.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>
#include <xlsxwriter.h>

namespace {

// Two of every three generated movements are stock-in movements.
int MovementsFor(int stockInRows) {
    return stockInRows / 2 * 3;
}

QString WorkbookPath() {
    return QDir::temp().filePath("varnholt-bench-export.xlsx");
}

// Resident memory of the process, and its peak since the last reset, in bytes.
long StatusBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0)
            return std::stol(line.substr(prefix.size())) * 1024;
    return 0;
}

void ResetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The seconds each way took at each size, for the comparison printed at the end.
std::map<std::pair<std::string, long>, double>& Timings() {
    static std::map<std::pair<std::string, long>, double> timings;
    return timings;
}

// Runs `write` once per iteration into a fresh workbook file, keeping its time for the
// comparison and reporting the peak memory it added to the process.
template <class Write> void MeasureWrites(benchmark::State& state, const char* way, Write write) {
    long growth = 0;
    for (auto _ : state) {
        QFile::remove(WorkbookPath());
        ResetPeakMemory();
        const long before = StatusBytes("VmRSS");
        const auto start = std::chrono::steady_clock::now();
        write();
        Timings()[{way, state.range(0)}] =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        growth = StatusBytes("VmHWM") - before;
    }
    state.counters["peak_memory_growth_MB"] = growth / 1e6;
    state.counters["file_MB"] = QFile(WorkbookPath()).size() / 1e6;
    QFile::remove(WorkbookPath());
}

void BM_ExportStockIn(benchmark::State& state) {
    const QString database = BenchDatabase(MovementsFor(static_cast<int>(state.range(0))));
    const ListDefinition list = MovementList(MovementKind::StockIn);
    ExportOutcome outcome;
    MeasureWrites(state, "export",
                  [&] { outcome = ExportListToFile(database, list, WorkbookPath()); });
    state.counters["rows"] = static_cast<double>(outcome.records);
}

// The same cells as the export writes them, held in memory beforehand.
struct HeldCell {
    SheetCell::Kind kind;
    double number;
    std::size_t text; // offset into the text arena
    lxw_datetime date;
};

struct HeldRows {
    std::vector<std::string> header;
    std::vector<HeldCell> cells; // rows × columns
    std::string texts;           // NUL-terminated texts
    int columns = 0;
};

HeldRows ReadRows(const QString& database) {
    TShareDM dataModule;
    dataModule.ADOConnection1.OpenFile(database, DatabasePassword);
    const ExportColumns lists = VisibleExportColumns(MovementList(MovementKind::StockIn).columns);
    Query& query = dataModule.ADOQueryTemp1;
    OpenSQL(query, ExportStatement(lists.fieldNames, lists.titles,
                                   MovementListStatement(MovementKind::StockIn, QString())));
    HeldRows held;
    held.columns = query.FieldCount();
    for (int c = 0; c < held.columns; ++c)
        held.header.push_back(query.FieldName(c).toStdString());
    held.cells.reserve(static_cast<std::size_t>(query.RecordCount()) * held.columns);
    const int dateColumn = query.FieldIndex(lists.titles[7]);
    for (int row = 0; row < query.RecordCount(); ++row)
        for (int c = 0; c < held.columns; ++c) {
            HeldCell cell{SheetCell::Kind::Blank, 0, 0, {}};
            switch (query.CellAt(row, c).kind) {
            case CellValue::Kind::Null:
                break;
            case CellValue::Kind::Integer:
            case CellValue::Kind::Real:
                cell.kind = SheetCell::Kind::Number;
                cell.number = query.FloatAt(row, c);
                break;
            case CellValue::Kind::Text:
            case CellValue::Kind::Date:
                if (c == dateColumn) {
                    const QDateTime date =
                        QDateTime::fromString(query.TextAt(row, c), "yyyy-MM-dd HH:mm:ss");
                    cell.kind = SheetCell::Kind::DateTime;
                    cell.date = {
                        date.date().year(), date.date().month(), date.date().day(), 0, 0, 0};
                } else {
                    cell.kind = SheetCell::Kind::Text;
                    cell.text = held.texts.size();
                    held.texts += query.TextAt(row, c).toStdString();
                    held.texts += '\0';
                }
                break;
            }
            held.cells.push_back(cell);
        }
    return held;
}

lxw_format* SheetFormat(lxw_workbook* workbook, bool centred, bool date) {
    lxw_format* format = workbook_add_format(workbook);
    format_set_font_name(format, "宋体");
    format_set_font_size(format, 12);
    format_set_align(format, LXW_ALIGN_VERTICAL_CENTER);
    if (centred)
        format_set_align(format, LXW_ALIGN_CENTER);
    format_set_border(format, LXW_BORDER_THIN);
    if (date)
        format_set_num_format_index(format, 14);
    return format;
}

void BM_XlsxWriterConstantMemory(benchmark::State& state) {
    const HeldRows held = ReadRows(BenchDatabase(MovementsFor(static_cast<int>(state.range(0)))));
    const QByteArray path = QFile::encodeName(WorkbookPath());
    const std::size_t rows = held.cells.size() / held.columns;
    MeasureWrites(state, "library", [&] {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        lxw_workbook* workbook = workbook_new_opt(path.constData(), &options);
        lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Sheet1");
        lxw_format* plain = SheetFormat(workbook, false, false);
        lxw_format* centred = SheetFormat(workbook, true, false);
        lxw_format* date = SheetFormat(workbook, false, true);
        for (int c = 0; c < held.columns; ++c)
            worksheet_write_string(sheet, 0, c, held.header[c].c_str(),
                                   c == 2 || c == 3 ? centred : plain);
        for (std::size_t row = 0; row < rows; ++row)
            for (int c = 0; c < held.columns; ++c) {
                const HeldCell& cell = held.cells[row * held.columns + c];
                lxw_format* format = c == 2 || c == 3 ? centred : plain;
                const auto r = static_cast<lxw_row_t>(row + 1);
                switch (cell.kind) {
                case SheetCell::Kind::Blank:
                    worksheet_write_blank(sheet, r, c, format);
                    break;
                case SheetCell::Kind::Number:
                    worksheet_write_number(sheet, r, c, cell.number, format);
                    break;
                case SheetCell::Kind::Text:
                    worksheet_write_string(sheet, r, c, held.texts.c_str() + cell.text, format);
                    break;
                case SheetCell::Kind::DateTime: {
                    lxw_datetime value = cell.date;
                    worksheet_write_datetime(sheet, r, c, &value, date);
                    break;
                }
                }
            }
        if (workbook_close(workbook) != LXW_NO_ERROR)
            state.SkipWithError("the file library could not write the workbook");
    });
    state.counters["rows"] = static_cast<double>(rows);
}

constexpr int Million = 1'000'000;

// One run each of 100,000 and 1,000,000 rows. CPU time counts every thread: the export reads its
// rows ahead on a thread of its own.
void Sizes(benchmark::internal::Benchmark* runs) {
    runs->Arg(100'000)->Arg(Million)->Iterations(1)->MeasureProcessCPUTime()->UseRealTime()->Unit(
        benchmark::kMillisecond);
}

BENCHMARK(BM_ExportStockIn)->Apply(Sizes);
BENCHMARK(BM_XlsxWriterConstantMemory)->Apply(Sizes);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    SetUpAsTheProgram(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto& [key, seconds] : Timings())
        if (key.first == "export")
            if (const auto library = Timings().find({"library", key.second});
                library != Timings().end())
                std::printf("export of %ld rows: %.2f s, the file library alone: %.2f s, "
                            "ratio %.2f\n",
                            key.second, seconds, library->second, seconds / library->second);
    return 0;
}
