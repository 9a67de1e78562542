#pragma once

#include "GridColumn.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class DataGrid;
class Query;
class Worksheet;
struct SpreadsheetOptions;

// Spreadsheet export of a grid: a new workbook with one column per visible grid column, in
// grid order, under the grid's column titles; the records fetched again from the database with
// the page's own statement; the sheet set in "宋体" 12, columns C and D centred, the table framed
// with continuous lines; saved where the user chooses and then shown with the desktop's
// spreadsheet program.

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

// Exports the grid's visible columns when there are more than two; otherwise does nothing.
// `listName` (e.g. "入库列表") is the file name the chooser proposes.
void ExportGridToExcel(DataGrid* grid, const ExportHook& BeforeData = nullptr,
                       const ExportHook& AfterData = nullptr, const QString& listName = QString());

// Exports the records of the dataset's statement (its first SQL line) under the titles. First
// the file chooser asks where to save the workbook, proposing the list's name in the folder used
// last (the setting ExportFolderSetting; the home folder at first); choosing nothing does
// nothing. The work runs off the user-interface thread, on a connection of its own, with a
// progress dialog that shows the rows written and can cancel (then no file is left). A failure
// is raised with its reason; a workbook that no program can open is reported with the file's
// name.
void ExportDataSetToExcel(Query* dataSet, const QStringList& fieldNames, const QStringList& titles,
                          const ExportHook& BeforeData, const ExportHook& AfterData,
                          const QString& listName = QString());

// The setting (Remarks) that holds the folder of the last export.
extern const QString ExportFolderSetting;

// ---- the export itself, shared by the pages and the command-line tool ---------------------

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

// What to tell the user when texts were cut to the cell limit.
QString CutTextsNotice(qint64 cutTexts);

// The export of a list with the grid columns of its page, written to `target` without a
// display (the command-line tool).
ExportOutcome ExportListToFile(const QString& databaseFile, const QString& statement,
                               const std::vector<GridColumn>& columns, const QString& target);
