#pragma once

#include "output/ExportToExcelUnit.h"

// Runs an export into the workbook file `target` on a thread of its own while a modal progress
// dialog shows the rows written; the window keeps painting meanwhile. "取消" stops the export
// cleanly: no file is left and the outcome says it was cancelled. The workbook is shown with the
// desktop's program from the user-interface thread. A failure of the export is raised here, on the
// calling thread.
ExportOutcome RunExportWithProgress(const WorkbookExport& job, const QString& target);
