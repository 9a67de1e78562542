#include "GridFooter.h"

#include "Colors.h"
#include "DataGrid.h"

#include <QHeaderView>
#include <QPainter>
#include <QTableView>

GridFooter::GridFooter(DataGrid* grid) : QWidget(grid), m_grid(grid) {
    setAutoFillBackground(false);
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
        painter.drawText(cell.adjusted(2, 1, -3, 0), Qt::AlignCenter, m_grid->footerText(column));
    }
}
