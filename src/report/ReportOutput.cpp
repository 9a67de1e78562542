#include "report/ReportOutput.h"

#include "report/PreparedReport.h"
#include "report/ReportError.h"
#include "report/ReportPagePainter.h"

#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace {

bool samePaper(const PageSetup& a, const PageSetup& b) {
    return a.width == b.width && a.height == b.height;
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
    writer.setResolution(PdfResolution);
    writer.setTitle(report.Title());
    writer.setCreator(QStringLiteral("Varnholt"));
    writer.setPageLayout(PageLayoutOf(report.Setup(0)));

    QPainter painter;
    if (!painter.begin(&writer))
        throw ReportError(QStringLiteral("无法写入 PDF 文件 %1。").arg(path));
    const bool complete = DrawReportPages(report, painter, writer, 0, report.PageCount() - 1,
                                          PdfResolution / 96.0, progress);
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

bool DrawReportPages(const PreparedReport& report, QPainter& painter, QPagedPaintDevice& device,
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
