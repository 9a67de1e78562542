#include "widgets/GridFooter.h"

#include "widgets/DataGrid.h"
#include "widgets/ScreenColors.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QTableView>
#include <QToolTip>

namespace {

// The text's room in a footer cell: clear of the cell's line on the right.
QRect textRectOf(const QRect& cell) {
    return cell.adjusted(2, 1, -3, 0);
}

} // namespace

GridFooter::GridFooter(DataGrid* grid) : QWidget(grid), m_grid(grid) {
    setAutoFillBackground(false);
}

QString GridFooter::shownText(int column) const {
    const QRect cell = cellRect(column);
    if (cell.isEmpty())
        return QString();
    return QFontMetrics(DataGrid::textFont())
        .elidedText(m_grid->footerText(column), Qt::ElideRight, textRectOf(cell).width());
}

int GridFooter::fittingWidth(int column) const {
    const QString text = m_grid->footerText(column);
    if (text.isEmpty())
        return 0;
    const QRect room = textRectOf(QRect(0, 0, 1000, height()));
    return QFontMetrics(DataGrid::textFont()).horizontalAdvance(text) + 1000 - room.width();
}

bool GridFooter::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    for (int column = 0; column < m_grid->columnCount(); ++column) {
        const QRect cell = cellRect(column);
        if (!cell.contains(help->pos()))
            continue;
        const QString text = m_grid->footerText(column);
        if (shownText(column) != text) {
            QToolTip::showText(help->globalPos(), text, this, cell);
            return true;
        }
        break;
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}

QRect GridFooter::cellRect(int column) const {
    const QTableView* view = m_grid->view();
    const QHeaderView* header = view->horizontalHeader();
    if (header->isSectionHidden(column))
        return QRect();
    // The viewport's left edge in footer coordinates.
    const int origin = view->viewport()->mapTo(m_grid, QPoint(0, 0)).x() - x();
    return QRect(origin + header->sectionViewportPosition(column), 0, header->sectionSize(column),
                 height());
}

void GridFooter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(DataGrid::textFont());
    painter.fillRect(rect(), ColorToQColor(clWindow));
    const QTableView* view = m_grid->view();
    const int origin = view->viewport()->mapTo(m_grid, QPoint(0, 0)).x() - x();
    const QColor lineColor(192, 192, 192);
    painter.setPen(lineColor);
    painter.drawLine(0, 0, width(), 0);
    // The part under the row indicator column.
    painter.fillRect(QRect(0, 1, origin, height() - 1), QColor(226, 236, 250));
    painter.setClipRect(QRect(origin, 0, width() - origin, height()));
    for (int column = 0; column < m_grid->columnCount(); ++column) {
        const QRect cell = cellRect(column);
        if (cell.isEmpty() || cell.right() < origin || cell.left() > width())
            continue;
        painter.setPen(lineColor);
        painter.drawLine(cell.right(), 1, cell.right(), height());
        painter.setPen(ColorToQColor(m_grid->column(column).FooterColor));
        painter.drawText(textRectOf(cell), Qt::AlignCenter, shownText(column));
    }
}
