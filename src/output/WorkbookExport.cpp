#include "output/WorkbookExport.h"

#include "data/Connection.h"
#include "data/DataError.h"
#include "data/ServerChoice.h"
#include "data/ShareDMUnit.h"
#include "output/ExportQuery.h"
#include "sheet/Spreadsheet.h"

namespace {

// Codes of the spreadsheet's object model.
constexpr int VerticalCentre = 2;
constexpr int HorizontalCentre = -4108;
constexpr int ContinuousLine = 1;
// Left, top, bottom and right edge, inside vertical and inside horizontal lines.
constexpr int FrameBorders[] = {7, 8, 9, 10, 11, 12};

const QString SheetName = QStringLiteral("sheet1");

// The new workbook in the application, before it is shown: the sheet's format, the hooks'
// rows, the data table under its header row, and the frame over everything from A1.
Workbook& BuildWorkbook(SpreadsheetApplication& application, ExportQuery& exportQuery,
                        const WorkbookExport& job) {
    Workbook& workbook = application.AddWorkbook();
    Worksheet& sheet = workbook.Worksheets(SheetName);
    application.SetVisible(false);
    sheet.Cells().AutoFitColumns();
    FormatSheet(sheet);
    int rowCounter = 0;
    if (job.beforeData)
        job.beforeData(sheet, rowCounter);
    exportQuery.Open(ExportStatement(job.fieldNames, job.titles, job.statement));
    QueryTable& table =
        sheet.AddQueryTable(exportQuery.Recordset(), sheet.Range(CellAddress(rowCounter + 1, 1)));
    // Of the table's settings only these shape a saved sheet; the others describe a link that
    // refreshes itself, and the saved workbook holds plain values.
    table.FieldNames = true;
    table.AdjustColumnWidth = true;
    table.Refresh();
    rowCounter += static_cast<int>(exportQuery.RecordCount()) + 1;
    if (job.afterData)
        job.afterData(sheet, rowCounter);
    const QString frame = RangeAddress(1, 1, rowCounter, exportQuery.FieldCount());
    for (const int border : FrameBorders)
        sheet.Range(frame).SetBorderLineStyle(border, ContinuousLine);
    return workbook;
}

} // namespace

void RaiseExportFailure(const QString& reason) {
    throw DataError(QStringLiteral("导出失败：%1").arg(reason));
}

QString ColumnLetters(int column) {
    QString letters;
    for (int n = column; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

QString CellAddress(int row, int column) {
    return ColumnLetters(column) + QString::number(row);
}

QString RangeAddress(int firstRow, int firstColumn, int lastRow, int lastColumn) {
    return CellAddress(firstRow, firstColumn) + ':' + CellAddress(lastRow, lastColumn);
}

QString CutTextsNotice(qint64 cutTexts) {
    return QStringLiteral(
               "有 %1 个单元格的文字超过了电子表格单元格最多的 32767 个字符，导出时已截断。")
        .arg(cutTexts);
}

ExportColumns VisibleExportColumns(const std::vector<GridColumn>& columns) {
    ExportColumns lists;
    for (const GridColumn& column : columns) {
        if (!column.Visible)
            continue;
        lists.titles << column.Title;
        lists.fieldNames << column.FieldName;
    }
    return lists;
}

QString ExportStatement(const QStringList& fieldNames, const QStringList& titles,
                        const QString& statement) {
    QString columns;
    for (qsizetype i = 0; i < fieldNames.size(); ++i)
        columns += fieldNames[i] + QStringLiteral(" as ") + titles.value(i) + QStringLiteral(" ,");
    columns.chop(1); // the last comma; the blank before it stays
    // A derived table has a name, which every engine accepts and some require.
    return QStringLiteral("Select ") + columns + QStringLiteral("from (") + statement +
           QStringLiteral(") as t_export");
}

void FormatSheet(Worksheet& sheet) {
    SheetRange cells = sheet.Cells();
    cells.SetFontName(QStringLiteral("宋体"));
    cells.SetFontSize(12);
    cells.SetVerticalAlignment(VerticalCentre);
    sheet.Range(QStringLiteral("C:D")).SetHorizontalAlignment(HorizontalCentre);
}

ExportOutcome RunWorkbookExport(const WorkbookExport& job, const SpreadsheetOptions& options) {
    try {
        Connection connection;
        connection.Open(job.databaseFile, DatabasePassword);
        connection.UseSinglePassCache(); // the rows are read once, not kept
        ExportQuery exportQuery(&connection);
        SpreadsheetApplication application(options);
        ExportOutcome outcome;
        try {
            Workbook& workbook = BuildWorkbook(application, exportQuery, job);
            outcome.records = exportQuery.RecordCount();
            // The table holds the recordset until the workbook is written.
            exportQuery.Close();
            application.SetVisible(true);
            outcome.file = workbook.FullName();
            outcome.cutTexts = workbook.CutTexts();
            outcome.shown = application.Shown();
        } catch (const SpreadsheetCancelled&) {
            application.Quit();
            outcome = ExportOutcome();
            outcome.cancelled = true;
        } catch (...) {
            // Never shown, the application ends without leaving a workbook.
            application.Quit();
            throw;
        }
        return outcome;
    } catch (const DataError& error) {
        RaiseExportFailure(error.message());
    } catch (const SpreadsheetError& error) {
        RaiseExportFailure(error.message());
    }
}

ExportOutcome ExportListToFile(const QString& databaseFile, const ListDefinition& list,
                               const QString& target) {
    const ExportColumns lists = VisibleExportColumns(list.columns);
    SpreadsheetOptions options;
    options.saveAs = target;
    const SqlTarget engine = IsServerAddress(databaseFile) ? SqlTarget::Server : SqlTarget::File;
    return RunWorkbookExport(
        {databaseFile, list.statementOn(engine), lists.fieldNames, lists.titles, {}, {}}, options);
}
