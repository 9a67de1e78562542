#include "widgets/GridHeaders.h"

#include "widgets/BlueScheme.h"
#include "widgets/DataGrid.h"
#include "widgets/DataGridModel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionHeader>
#include <QToolTip>
#include <algorithm>

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

// The sort marker: a small triangle near the section's right edge.
constexpr int MarkerHalfWidth = 4;
constexpr int MarkerRightInset = 4;
// Blank room between a title and the marker, and between a title and the section's edges.
constexpr int MarkerGap = 3;
constexpr int TitlePadding = 2;

QRect markerBounds(const QRect& section) {
    const int right = section.right() - MarkerRightInset;
    const int centreY = section.center().y();
    return QRect(QPoint(right - 2 * MarkerHalfWidth, centreY - 3), QPoint(right, centreY + 3));
}

void drawMarker(QPainter* painter, const QRect& bounds, SortMarker marker) {
    const qreal left = bounds.left();
    const qreal right = bounds.right() + 1;
    const qreal cx = (left + right) / 2;
    const qreal cy = bounds.center().y() + 0.5;
    QPainterPath triangle;
    if (marker == SortMarker::smUpEh) {
        triangle.moveTo(left, cy + 2);
        triangle.lineTo(right, cy + 2);
        triangle.lineTo(cx, cy - 3);
    } else {
        triangle.moveTo(left, cy - 2);
        triangle.lineTo(right, cy - 2);
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

GridTitleHeader::TitleLayout GridTitleHeader::titleLayout(int logicalIndex) const {
    return layoutSection(
        QRect(sectionViewportPosition(logicalIndex), 0, sectionSize(logicalIndex), height()),
        logicalIndex);
}

// The title is centred in its section; with a marker it keeps clear of the marker's room,
// moving left as far as it must and shortened at its end when even that is not enough.
GridTitleHeader::TitleLayout GridTitleHeader::layoutSection(const QRect& rect,
                                                            int logicalIndex) const {
    TitleLayout layout;
    if (!model())
        return layout;
    layout.marker = SortMarker(
        model()->headerData(logicalIndex, Qt::Horizontal, DataGridModel::SortMarkerRole).toInt());
    const QString title = model()->headerData(logicalIndex, Qt::Horizontal).toString();
    QRect room = rect.adjusted(TitlePadding, 0, -TitlePadding, 0);
    if (layout.marker != SortMarker::smNoneEh) {
        layout.markerRect = markerBounds(rect);
        room.setRight(layout.markerRect.left() - MarkerGap - 1);
    }
    const QFontMetrics metrics(DataGrid::textFont());
    layout.text = metrics.elidedText(title, Qt::ElideRight, std::max(room.width(), 0));
    const int width = metrics.horizontalAdvance(layout.text);
    const int centredLeft = rect.left() + (rect.width() - width) / 2;
    const int left = std::max(room.left(), std::min(centredLeft, room.right() + 1 - width));
    layout.textRect = QRect(left, rect.top(), width, rect.height());
    return layout;
}

int GridTitleHeader::fittingWidth(int logicalIndex) const {
    if (!model())
        return 0;
    const QString title = model()->headerData(logicalIndex, Qt::Horizontal).toString();
    const auto marker = SortMarker(
        model()->headerData(logicalIndex, Qt::Horizontal, DataGridModel::SortMarkerRole).toInt());
    int width = QFontMetrics(DataGrid::textFont()).horizontalAdvance(title) + 2 * TitlePadding;
    if (marker != SortMarker::smNoneEh) // the marker's room, as layoutSection leaves it
        width += MarkerRightInset + 2 * MarkerHalfWidth + MarkerGap + 1 - TitlePadding;
    return width;
}

void GridTitleHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    // The section's face through the style (its pressed look included), without its text.
    QStyleOptionHeader option;
    initStyleOption(&option);
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = rect;
    option.text.clear();
    painter->save();
    style()->drawControl(QStyle::CE_Header, &option, painter, this);
    painter->restore();

    const TitleLayout layout = layoutSection(rect, logicalIndex);
    painter->save();
    painter->setFont(DataGrid::textFont());
    painter->setPen(BlueScheme::caption());
    painter->drawText(layout.textRect, Qt::AlignCenter, layout.text);
    painter->restore();
    if (layout.marker != SortMarker::smNoneEh)
        drawMarker(painter, layout.markerRect, layout.marker);
}

bool GridTitleHeader::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip || !model())
        return QHeaderView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const int index = logicalIndexAt(help->pos());
    const QString title =
        index >= 0 ? model()->headerData(index, Qt::Horizontal).toString() : QString();
    if (index >= 0 && titleLayout(index).text != title)
        QToolTip::showText(help->globalPos(), title, viewport());
    else
        QToolTip::hideText();
    return true;
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
