#pragma once

#include <QString>
#include <memory>

class DataGrid;
class PreparedReport;
class QWidget;
class Report;

// The two report templates, in the folder "frf" of the program directory: the narrow one for
// grids whose visible columns are at most 716 wide, the wide one for wider grids.
extern const QString NarrowTemplateName; // "CommonPrint.frf"
extern const QString WideTemplateName;   // "CommonPrint2.frf"

// Builds the report of a grid: loads the template that fits the width of the grid's visible
// columns, appends the table to its first page (column headers on every page, one framed line
// per record, the total line, the footer values, the page number) with the cells scaled to the
// template's table width, and fills the heading with the title and the letterhead settings.
// Throws (no report is shown then) when the grid has no visible column, when the template is
// missing or unreadable or lacks one of the heading objects, or when a setting cannot be read.
// StaticFooters prints the grid's static footer texts instead of its sums.
void BuildGridReport(DataGrid* grid, Report& report, const QString& title, bool StaticFooters,
                     const QString& narrowTemplate, const QString& wideTemplate,
                     const QString& programDir);

// Builds the grid's report, prepares it and shows it in the print preview, a window of the
// grid's window that keeps the program's other windows waiting until it is closed.
void PrintGrid(DataGrid* grid, Report& report, const QString& title, bool StaticFooters,
               const QString& narrowTemplate, const QString& wideTemplate,
               const QString& programDir);

// Shows a prepared report in the print preview (see PrintGrid); returns the preview window.
QWidget* ShowReportPreview(std::shared_ptr<const PreparedReport> report, QWidget* parent);
