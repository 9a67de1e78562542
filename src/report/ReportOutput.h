#pragma once

#include <QString>
#include <functional>

class PreparedReport;
class QPageLayout;
class QPrinter;
struct PageSetup;

// Told after each page that was written: pages done and pages in all. Returning false stops
// the output (the user cancelled).
using PageProgress = std::function<bool(int done, int total)>;

// The paper of a page set-up, for a printer or a PDF file: its size and orientation, no
// margins (the report places everything from the paper's corner).
QPageLayout PageLayoutOf(const PageSetup& setup);

// Writes every page of the report to a PDF file at `path`, with searchable text. The file is
// written under a temporary name beside it and takes its name only when it is complete, so a
// failure or a cancel leaves no half-written file (and an older file of that name as it was).
// Returns false when cancelled; throws ReportError naming the file when it cannot be written.
bool WriteReportPdf(const PreparedReport& report, const QString& path,
                    const PageProgress& progress = {});

// Sets a printer up for the report: the paper of its first page, the whole paper as the drawing
// area, the report's title as the job's name, every page.
void PreparePrinter(QPrinter& printer, const PreparedReport& report);

// Prints the report on a printer set up by the caller (e.g. through the print dialog): the
// pages of its page range, every page when it has none. Returns false when cancelled (the
// printer's job is aborted); throws ReportError when the printer cannot print.
bool PrintReport(const PreparedReport& report, QPrinter& printer,
                 const PageProgress& progress = {});
