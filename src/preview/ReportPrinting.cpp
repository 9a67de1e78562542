#include "preview/ReportPrinting.h"

#include "report/PreparedReport.h"
#include "report/ReportError.h"

#include <QPainter>
#include <QPrinter>
#include <algorithm>

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
        complete = DrawReportPages(report, painter, printer, first, last,
                                   printer.resolution() / 96.0, progress);
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
