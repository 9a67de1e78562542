#pragma once

#include "output/ListReport.h"

#include <QString>
#include <memory>

class DataGrid;
class ListReportDataSet;
class PreparedReport;
class QWidget;
class Report;
struct Letterhead;

// Prints what a grid shows: the list of its columns as they are now (widths, hidden columns)
// over its query in its current order, under the letterhead. Points `dataSet` at that list,
// builds the report (BuildListReport), prepares it and shows it in the print preview, a window of
// the grid's window that keeps the program's other windows waiting until it is closed.
void PrintGrid(DataGrid* grid, Report& report, ListReportDataSet& dataSet, const QString& title,
               bool StaticFooters, const QString& narrowTemplate, const QString& wideTemplate,
               const QString& programDir, const Letterhead& letterhead);

// Shows a prepared report in the print preview (see PrintGrid); returns the preview window.
QWidget* ShowReportPreview(std::shared_ptr<const PreparedReport> report, QWidget* parent);
