#pragma once

#include "sheet/Spreadsheet.h"

#include <memory>
#include <vector>

// Writes worksheets to `path` as an .xlsx file with the file library in constant-memory mode:
// rows are written in order and the rows of external-data tables are read from their sources
// one at a time, so memory does not grow with the rows. Numbers are written as numbers, dates
// as date cells shown in the short date form, texts as texts.
//
// The file is written in a private temporary folder beside `path` (with the library's own
// temporary files) and takes its name only when it is complete, so a failure or a cancel leaves
// no half-written file (and an older file of that name as it was); a file it replaces keeps its
// permissions. Returns how many texts were cut to the cell limit.
qint64 WriteWorkbookFile(const std::vector<std::unique_ptr<Worksheet>>& sheets, const QString& path,
                         const SheetProgress& progress);
