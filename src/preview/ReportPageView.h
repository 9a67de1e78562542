#pragma once

#include "report/PreparedReport.h"

#include <QAbstractScrollArea>
#include <QList>
#include <QRect>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

// The pages of a prepared report one below the other on a grey desk, at a zoom factor or
// fitted to the window's width or to whole pages. Only the pages in view are built and painted;
// a few recent ones are kept.
class ReportPageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class ZoomMode { FitWidth, FitPage, Factor };

    explicit ReportPageView(std::shared_ptr<const PreparedReport> report,
                            QWidget* parent = nullptr);

    const PreparedReport& report() const { return *m_report; }

    // Zoom 1 shows the paper at its real size on the screen.
    void setZoomMode(ZoomMode mode);
    void setZoom(double factor); // switches to ZoomMode::Factor
    ZoomMode zoomMode() const { return m_mode; }
    double zoom() const { return m_zoom; }

    // 0-based: the page in the upper part of the view.
    int currentPage() const;
    void goToPage(int index);

    // Marks a rectangle (design units) of a page and scrolls it into view.
    void setHighlight(int page, const QRect& rect);
    void clearHighlight();

    // A page of the report, built when first asked for.
    const PreparedPage& page(int index);
    // The pages drawn by the latest paint.
    QList<int> paintedPages() const { return m_painted; }

signals:
    void currentPageChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    double pixelsPerUnit() const; // at zoom 1
    double scale() const { return m_zoom * pixelsPerUnit(); }
    void applyZoom(double factor);
    void fitZoom();
    void updateGeometry();
    double pageTop(int index) const;    // in content pixels
    double pageHeight(int index) const; // in content pixels
    double pageWidth(int index) const;
    double pageLeft(int index) const; // in content pixels
    int pageAt(double y) const;
    void notifyCurrentPage();

    std::shared_ptr<const PreparedReport> m_report;
    ZoomMode m_mode = ZoomMode::FitWidth;
    double m_zoom = 1;
    std::vector<double> m_tops; // design units, one per page
    double m_maxWidth = 0;      // design units
    double m_totalHeight = 0;   // design units, gaps included
    std::deque<std::pair<int, PreparedPage>> m_cache;
    QList<int> m_painted;
    int m_highlightPage = -1;
    QRect m_highlight;
    int m_lastCurrent = -1;
};
