#include "preview/ReportPageView.h"

#include "report/ReportPagePainter.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace {

// Space around and between pages, in design units.
constexpr double gap = 12;
// Pages kept built.
constexpr std::size_t cachedPages = 8;

} // namespace

ReportPageView::ReportPageView(std::shared_ptr<const PreparedReport> report, QWidget* parent)
    : QAbstractScrollArea(parent), m_report(std::move(report)) {
    setObjectName(QStringLiteral("ReportPageView"));
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    double top = gap;
    for (int i = 0; i < m_report->PageCount(); ++i) {
        const PageSetup& setup = m_report->Setup(i);
        m_tops.push_back(top);
        top += setup.height + gap;
        m_maxWidth = std::max(m_maxWidth, double(setup.width));
    }
    m_totalHeight = top;
    verticalScrollBar()->setSingleStep(20);
    horizontalScrollBar()->setSingleStep(20);
    updateGeometry();
}

double ReportPageView::pixelsPerUnit() const {
    return logicalDpiY() / 96.0;
}

void ReportPageView::setZoomMode(ZoomMode mode) {
    m_mode = mode;
    if (mode == ZoomMode::Factor)
        applyZoom(m_zoom);
    else
        fitZoom();
}

void ReportPageView::setZoom(double factor) {
    m_mode = ZoomMode::Factor;
    applyZoom(std::clamp(factor, 0.1, 8.0));
}

void ReportPageView::fitZoom() {
    if (m_report->PageCount() == 0)
        return;
    const double available = std::max(1, viewport()->width());
    const double width = available / ((m_maxWidth + 2 * gap) * pixelsPerUnit());
    if (m_mode == ZoomMode::FitWidth) {
        applyZoom(width);
        return;
    }
    const double pageHeight = m_report->Setup(currentPage()).height + 2 * gap;
    applyZoom(std::min(width, std::max(1, viewport()->height()) / (pageHeight * pixelsPerUnit())));
}

// Keeps the page in view where it was when the zoom changes.
void ReportPageView::applyZoom(double factor) {
    const int current = currentPage();
    const double offset = verticalScrollBar()->value() - pageTop(current);
    const double ratio = factor / m_zoom;
    m_zoom = factor;
    updateGeometry();
    verticalScrollBar()->setValue(int(pageTop(current) + offset * ratio));
    viewport()->update();
}

void ReportPageView::updateGeometry() {
    const double s = scale();
    const int contentWidth = int((m_maxWidth + 2 * gap) * s);
    const int contentHeight = int(m_totalHeight * s);
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, contentWidth - viewport()->width()));
    horizontal->setPageStep(viewport()->width());
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, contentHeight - viewport()->height()));
    vertical->setPageStep(viewport()->height());
}

double ReportPageView::pageTop(int index) const {
    return index >= 0 && index < int(m_tops.size()) ? m_tops[std::size_t(index)] * scale() : 0;
}

double ReportPageView::pageHeight(int index) const {
    return m_report->Setup(index).height * scale();
}

double ReportPageView::pageWidth(int index) const {
    return m_report->Setup(index).width * scale();
}

// Pages are centred on the desk, which is at least as wide as the view.
double ReportPageView::pageLeft(int index) const {
    const double desk = std::max(double(viewport()->width()), (m_maxWidth + 2 * gap) * scale());
    return (desk - pageWidth(index)) / 2;
}

// The page whose slot holds content position y.
int ReportPageView::pageAt(double y) const {
    const double unit = y / scale();
    const auto next = std::upper_bound(m_tops.begin(), m_tops.end(), unit);
    return std::max(0, int(next - m_tops.begin()) - 1);
}

int ReportPageView::currentPage() const {
    if (m_tops.empty())
        return 0;
    return pageAt(verticalScrollBar()->value() + viewport()->height() / 3.0);
}

void ReportPageView::goToPage(int index) {
    index = std::clamp(index, 0, std::max(0, m_report->PageCount() - 1));
    verticalScrollBar()->setValue(int(pageTop(index) - gap * scale()));
    notifyCurrentPage();
}

void ReportPageView::setHighlight(int page, const QRect& rect) {
    m_highlightPage = page;
    m_highlight = rect;
    const double s = scale();
    const double top = pageTop(page) + rect.top() * s;
    QScrollBar* vertical = verticalScrollBar();
    if (top < vertical->value() ||
        top + rect.height() * s > vertical->value() + viewport()->height())
        vertical->setValue(int(top - viewport()->height() / 3.0));
    const double left = pageLeft(page) + rect.left() * s;
    QScrollBar* horizontal = horizontalScrollBar();
    if (left < horizontal->value() ||
        left + rect.width() * s > horizontal->value() + viewport()->width())
        horizontal->setValue(int(left - viewport()->width() / 3.0));
    viewport()->update();
}

void ReportPageView::clearHighlight() {
    m_highlightPage = -1;
    viewport()->update();
}

// The reference stays good until the next call.
const PreparedPage& ReportPageView::page(int index) {
    const auto cached = std::find_if(m_cache.begin(), m_cache.end(),
                                     [index](const auto& entry) { return entry.first == index; });
    if (cached != m_cache.end()) {
        if (cached != m_cache.begin()) {
            auto entry = std::move(*cached);
            m_cache.erase(cached);
            m_cache.push_front(std::move(entry));
        }
        return m_cache.front().second;
    }
    m_cache.emplace_front(index, m_report->Page(index));
    if (m_cache.size() > cachedPages)
        m_cache.pop_back();
    return m_cache.front().second;
}

void ReportPageView::paintEvent(QPaintEvent*) {
    m_painted.clear();
    if (m_tops.empty())
        return;
    QPainter painter(viewport());
    const double s = scale();
    const int scrollX = horizontalScrollBar()->value();
    const int scrollY = verticalScrollBar()->value();
    for (int index = pageAt(scrollY); index < m_report->PageCount(); ++index) {
        const double top = pageTop(index) - scrollY;
        if (top >= viewport()->height())
            break;
        const QPointF origin(pageLeft(index) - scrollX, top);
        const QRectF paper(origin, QSizeF(pageWidth(index), pageHeight(index)));
        if (paper.bottom() < 0)
            continue;
        painter.fillRect(paper.translated(3, 3), QColor(0, 0, 0, 90));
        ReportPagePainter(painter, origin, s).drawPage(page(index));
        m_painted.append(index);
        if (index == m_highlightPage) {
            const QRectF marked(origin + QPointF(m_highlight.topLeft()) * s,
                                QSizeF(m_highlight.size()) * s);
            painter.fillRect(marked, QColor(255, 190, 0, 110));
            painter.setPen(QPen(QColor(230, 120, 0), 2));
            painter.drawRect(marked);
        }
    }
}

void ReportPageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (m_mode == ZoomMode::Factor)
        updateGeometry();
    else
        fitZoom();
}

void ReportPageView::scrollContentsBy(int, int) {
    viewport()->update();
    notifyCurrentPage();
}

void ReportPageView::notifyCurrentPage() {
    const int current = currentPage();
    if (current != m_lastCurrent) {
        m_lastCurrent = current;
        emit currentPageChanged(current);
    }
}
