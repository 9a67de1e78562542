#pragma once

#include "report/ReportOutput.h"

class PreparedReport;
class QPrinter;

// Printing a prepared report on the system's printers (Qt PrintSupport).

// Sets a printer up for the report: the paper of its first page, the whole paper as the drawing
// area, the report's title as the job's name, every page.
void PreparePrinter(QPrinter& printer, const PreparedReport& report);

// Prints the report on a printer set up by the caller (e.g. through the print dialog): the
// pages of its page range, every page when it has none. Returns false when cancelled (the
// printer's job is aborted); throws ReportError when the printer cannot print.
bool PrintReport(const PreparedReport& report, QPrinter& printer,
                 const PageProgress& progress = {});
