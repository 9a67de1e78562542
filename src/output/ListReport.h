#pragma once

#include <QString>

class ListTable;
class Report;
struct Letterhead;

// The two report templates, in the folder "frf" of the program directory: the narrow one for
// lists whose visible columns are at most 716 wide, the wide one for wider lists.
extern const QString NarrowTemplateName; // "CommonPrint.frf"
extern const QString WideTemplateName;   // "CommonPrint2.frf"

// Builds the report of a list: loads the template that fits the width of the list's visible
// columns, appends the table to its first page (column headers on every page, one framed line
// per record, the total line, the footer values, the page number) with the cells scaled to the
// template's table width, and fills the heading with the title and the letterhead.
// The records are those of the report's data source (a ListReportDataSet over the same table);
// their fields are named after the table's query. Throws (no report is shown then) when the list
// has no visible column, or when the template is missing or unreadable or lacks one of the
// heading objects. StaticFooters prints the static footer texts (the row count) instead of the
// sums.
void BuildListReport(const ListTable& table, Report& report, const QString& title,
                     bool StaticFooters, const QString& narrowTemplate, const QString& wideTemplate,
                     const QString& programDir, const Letterhead& letterhead);
