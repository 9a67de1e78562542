#include "GridHeaders.h"

#include "DataGridModel.h"
#include "GridColumn.h"

#include <QPainter>
#include <QPainterPath>

namespace {

const char* const headerStyle = R"(
QHeaderView::section {
    color: rgb(21, 66, 139);
    padding: 0px 2px;
    border: none;
    border-right: 1px solid rgb(158, 182, 206);
    border-bottom: 1px solid rgb(158, 182, 206);
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1,
        stop:0 rgb(250, 252, 255), stop:1 rgb(210, 226, 246));
}
QHeaderView::section:pressed {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1,
        stop:0 rgb(255, 236, 170), stop:1 rgb(255, 215, 100));
}
)";

void drawMarker(QPainter* painter, const QRect& rect, SortMarker marker) {
    if (marker == SortMarker::smNoneEh)
        return;
    const qreal cx = rect.right() - 8;
    const qreal cy = rect.center().y() + 0.5;
    QPainterPath triangle;
    if (marker == SortMarker::smUpEh) {
        triangle.moveTo(cx - 4, cy + 2);
        triangle.lineTo(cx + 4, cy + 2);
        triangle.lineTo(cx, cy - 3);
    } else {
        triangle.moveTo(cx - 4, cy - 2);
        triangle.lineTo(cx + 4, cy - 2);
        triangle.lineTo(cx, cy + 3);
    }
    triangle.closeSubpath();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(60, 60, 60));
    painter->drawPath(triangle);
    painter->restore();
}

} // namespace

GridTitleHeader::GridTitleHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setStyleSheet(QString::fromLatin1(headerStyle));
    setSectionsClickable(true);
    setHighlightSections(false);
    setSortIndicatorShown(false);
    setSectionsMovable(false);
    setDefaultAlignment(Qt::AlignCenter);
    setMinimumSectionSize(8);
    setStretchLastSection(false);
}

void GridTitleHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    if (!model())
        return;
    const QVariant marker =
        model()->headerData(logicalIndex, Qt::Horizontal, DataGridModel::SortMarkerRole);
    if (marker.isValid())
        drawMarker(painter, rect, SortMarker(marker.toInt()));
}

RowIndicatorHeader::RowIndicatorHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {
    setSectionResizeMode(QHeaderView::Fixed);
    setSectionsClickable(false);
    setHighlightSections(false);
    setFixedWidth(IndicatorWidth);
}

void RowIndicatorHeader::setCurrentRow(int row) {
    if (row == m_currentRow)
        return;
    m_currentRow = row;
    viewport()->update();
}

QSize RowIndicatorHeader::sizeHint() const {
    return QSize(IndicatorWidth, defaultSectionSize());
}

void RowIndicatorHeader::paintSection(QPainter* painter, const QRect& rect,
                                      int logicalIndex) const {
    painter->save();
    painter->fillRect(rect, QColor(226, 236, 250));
    painter->setPen(QColor(158, 182, 206));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    if (logicalIndex == m_currentRow) {
        const QPointF c = QRectF(rect).center();
        QPainterPath arrow;
        arrow.moveTo(c.x() - 2, c.y() - 4);
        arrow.lineTo(c.x() + 3, c.y());
        arrow.lineTo(c.x() - 2, c.y() + 4);
        arrow.closeSubpath();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(Qt::black);
        painter->drawPath(arrow);
    }
    painter->restore();
}
