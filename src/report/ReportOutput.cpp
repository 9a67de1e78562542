#include "ReportOutput.h"

#include "PreparedReport.h"
#include "ReportError.h"
#include "ReportPagePainter.h"

#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

namespace {

// The resolution of written PDF files: fine enough for lines and text placement.
constexpr int pdfResolution = 600;

bool samePaper(const PageSetup& a, const PageSetup& b) {
    return a.width == b.width && a.height == b.height;
}

// Draws pages first..last (0-based) on a paged device through a painter that is already
// active on it, starting a new page before every page but the first. Returns false when the
// progress asked to stop.
bool drawPages(const PreparedReport& report, QPainter& painter, QPagedPaintDevice& device,
               int first, int last, double scale, const PageProgress& progress) {
    const int total = last - first + 1;
    for (int index = first; index <= last; ++index) {
        if (index > first) {
            if (!samePaper(report.Setup(index), report.Setup(index - 1)))
                device.setPageLayout(PageLayoutOf(report.Setup(index)));
            if (!device.newPage())
                throw ReportError(QStringLiteral("无法开始第 %1 页。").arg(index + 1));
        }
        ReportPagePainter(painter, QPointF(0, 0), scale).drawPage(report.Page(index));
        if (progress && !progress(index - first + 1, total))
            return false;
    }
    return true;
}

} // namespace

QPageLayout PageLayoutOf(const PageSetup& setup) {
    // Design units are 1/96 inch, points 1/72.
    const QSizeF portrait(std::min(setup.width, setup.height) * 72.0 / 96.0,
                          std::max(setup.width, setup.height) * 72.0 / 96.0);
    return QPageLayout(QPageSize(portrait, QPageSize::Point, QString(), QPageSize::FuzzyMatch),
                       setup.width > setup.height ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0));
}

bool WriteReportPdf(const PreparedReport& report, const QString& path,
                    const PageProgress& progress) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw ReportError(
            QStringLiteral("无法写入 PDF 文件 %1：%2。").arg(path, file.errorString()));
    QPdfWriter writer(&file);
    writer.setResolution(pdfResolution);
    writer.setTitle(report.Title());
    writer.setCreator(QStringLiteral("Varnholt"));
    writer.setPageLayout(PageLayoutOf(report.Setup(0)));

    QPainter painter;
    if (!painter.begin(&writer))
        throw ReportError(QStringLiteral("无法写入 PDF 文件 %1。").arg(path));
    const bool complete = drawPages(report, painter, writer, 0, report.PageCount() - 1,
                                    pdfResolution / 96.0, progress);
    const bool ended = painter.end();
    if (complete && !ended)
        throw ReportError(QStringLiteral("无法写入 PDF 文件 %1。").arg(path));
    if (!complete) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        throw ReportError(
            QStringLiteral("无法写入 PDF 文件 %1：%2。").arg(path, file.errorString()));
    return true;
}

void PreparePrinter(QPrinter& printer, const PreparedReport& report) {
    printer.setFullPage(true);
    printer.setDocName(report.Title());
    printer.setPageLayout(PageLayoutOf(report.Setup(0)));
    printer.setFromTo(0, 0);
}

bool PrintReport(const PreparedReport& report, QPrinter& printer, const PageProgress& progress) {
    int first = 0;
    int last = report.PageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = printer.fromPage() - 1;
        last = std::min(last, std::max(printer.toPage(), printer.fromPage()) - 1);
    }
    if (first > last)
        throw ReportError(
            QStringLiteral("要打印的页码超出范围：报表共 %1 页。").arg(report.PageCount()));

    const QString name =
        printer.printerName().isEmpty() ? printer.outputFileName() : printer.printerName();
    QPainter painter;
    if (!painter.begin(&printer))
        throw ReportError(QStringLiteral("无法开始打印：打印机 %1 不可用。").arg(name));
    bool complete = false;
    try {
        complete =
            drawPages(report, painter, printer, first, last, printer.resolution() / 96.0, progress);
    } catch (...) {
        printer.abort();
        throw;
    }
    if (!complete) {
        printer.abort();
        return false;
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw ReportError(QStringLiteral("打印失败：打印机 %1 报告了错误。").arg(name));
    return true;
}
