#pragma once

#include "platform/Progress.h"

#include <QString>
#include <functional>

class PreparedReport;
class QPageLayout;
class QPagedPaintDevice;
class QPainter;
struct PageSetup;

// The resolution of written PDF files, in dots per inch: fine enough for lines and text placement.
constexpr int PdfResolution = 600;

// Told after each page that was written: pages done and pages in all. Returning false stops
// the output (the user cancelled).
using PageProgress = Progress;

// The paper of a page set-up, for a printer or a PDF file: its size and orientation, no
// margins (the report places everything from the paper's corner).
QPageLayout PageLayoutOf(const PageSetup& setup);

// Writes every page of the report to a PDF file at `path`, with searchable text. The file is
// written under a temporary name beside it and takes its name only when it is complete, so a
// failure or a cancel leaves no half-written file (and an older file of that name as it was).
// Returns false when cancelled; throws ReportError naming the file when it cannot be written.
bool WriteReportPdf(const PreparedReport& report, const QString& path,
                    const PageProgress& progress = {});

// Draws pages first..last (0-based) on a paged device (a PDF writer, a printer) through a
// painter that is already active on it, starting a new page before every page but the first,
// each on its own paper. Returns false when the progress asked to stop.
bool DrawReportPages(const PreparedReport& report, QPainter& painter, QPagedPaintDevice& device,
                     int first, int last, double scale, const PageProgress& progress);
