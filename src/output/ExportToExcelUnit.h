#pragma once

#include "output/WorkbookExport.h"

#include <QString>
#include <QStringList>

class DataGrid;
class Query;
class TShareDM;

// Spreadsheet export of a grid (the pages' "导出"): the workbook of its list (WorkbookExport.h)
// saved where the user chooses and then shown with the desktop's spreadsheet program.

// Exports the grid's visible columns when there are more than two; otherwise does nothing.
// `listName` (e.g. "入库列表") is the file name the chooser proposes. The folder of the last
// export is a setting of `dataModule`.
void ExportGridToExcel(TShareDM& dataModule, DataGrid* grid, const ExportHook& BeforeData = nullptr,
                       const ExportHook& AfterData = nullptr, const QString& listName = QString());

// Exports the records of the dataset's statement (its first SQL line) under the titles. First
// the file chooser asks where to save the workbook, proposing the list's name in the folder used
// last (the setting ExportFolderSetting; the home folder at first); choosing nothing does
// nothing. The work runs off the user-interface thread, on a connection of its own, with a
// progress dialog that shows the rows written and can cancel (then no file is left). A failure
// is raised with its reason; a workbook that no program can open is reported with the file's
// name.
void ExportDataSetToExcel(TShareDM& dataModule, Query* dataSet, const QStringList& fieldNames,
                          const QStringList& titles, const ExportHook& BeforeData,
                          const ExportHook& AfterData, const QString& listName = QString());

// The setting (Remarks) that holds the folder of the last export.
extern const QString ExportFolderSetting;
