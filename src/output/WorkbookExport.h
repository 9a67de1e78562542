#pragma once

#include "lists/ListDefinition.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class Worksheet;
struct SpreadsheetOptions;

// The workbook of a list: a new workbook with one column per visible list column, in list
// order, under the column titles; the records fetched again from the database with the page's
// own statement; the sheet set in "宋体" 12, columns C and D centred, the table framed with
// continuous lines. Made without a window, for the pages' "导出" (ExportToExcelUnit.h) and for
// the command-line tool.

// BeforeData and AfterData: optional steps that may write rows into the worksheet before and
// after the data table; they get the row counter (the last row in use) and advance it past
// what they wrote. The frame starts at row 1, so their rows lie inside it. They run on the
// export's own thread and touch nothing but the worksheet.
using ExportHook = std::function<void(Worksheet& sheet, int& rowCounter)>;

// Column names numbered from 1: "A" to "Z", then "AA" … ("IV" is 256); empty below 1.
QString ColumnLetters(int column);
// "A1" for row 1, column 1.
QString CellAddress(int row, int column);
// "A1:I26" for rows 1 to 26 over columns 1 to 9.
QString RangeAddress(int firstRow, int firstColumn, int lastRow, int lastColumn);

// The two lists in step over the visible columns in grid order: field names and titles.
struct ExportColumns {
    QStringList fieldNames;
    QStringList titles;
};
ExportColumns VisibleExportColumns(const std::vector<GridColumn>& columns);

// "Select F1 as T1 ,F2 as T2 from (statement)": the visible columns under their titles, over
// the page's own statement.
QString ExportStatement(const QStringList& fieldNames, const QStringList& titles,
                        const QString& statement);

// Font "宋体" 12 and vertical centring on all cells, horizontal centring on columns C and D.
void FormatSheet(Worksheet& sheet);

struct WorkbookExport {
    QString databaseFile; // the export opens a connection of its own to it
    QString statement;    // the page's statement
    QStringList fieldNames;
    QStringList titles;
    ExportHook beforeData;
    ExportHook afterData;
};

struct ExportOutcome {
    bool cancelled = false;
    QString file;        // the saved workbook
    bool shown = false;  // a program opened it
    qint64 records = 0;  // data rows exported
    qint64 cutTexts = 0; // texts cut to the cell limit
};

// Builds the workbook and makes the application visible, which saves it (where `options` say)
// and shows it. Failures are raised as DataError with the reason; nothing is left behind.
ExportOutcome RunWorkbookExport(const WorkbookExport& job, const SpreadsheetOptions& options);

// Raises a failed export as a DataError "导出失败：reason".
[[noreturn]] void RaiseExportFailure(const QString& reason);

// What to tell the user when texts were cut to the cell limit.
QString CutTextsNotice(qint64 cutTexts);

// The export of a page's list (its statement and columns), written to `target` without a
// display (the command-line tool).
ExportOutcome ExportListToFile(const QString& databaseFile, const ListDefinition& list,
                               const QString& target);
