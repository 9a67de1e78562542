#include "widgets/GridColumnChooser.h"

#include "widgets/BlueScheme.h"
#include "widgets/DataGrid.h"

#include <QLinearGradient>
#include <QMenu>
#include <QPainter>

GridColumnChooser::GridColumnChooser(DataGrid* grid, QWidget* parent)
    : QAbstractButton(parent), m_grid(grid), m_menu(new QMenu(this)) {
    setObjectName("columnChooser");
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setToolTip(QStringLiteral("显示或隐藏列"));
    connect(this, &QAbstractButton::clicked, this, &GridColumnChooser::openMenu);
}

void GridColumnChooser::openMenu() {
    fillMenu();
    m_menu->popup(mapToGlobal(QPoint(0, height())));
}

void GridColumnChooser::fillMenu() {
    m_menu->clear();
    int shown = 0;
    for (const GridColumn& column : m_grid->columns())
        shown += column.Visible ? 1 : 0;
    for (int index = 0; index < m_grid->columnCount(); ++index) {
        const GridColumn& column = m_grid->column(index);
        QAction* action =
            m_menu->addAction(column.Title.isEmpty() ? column.FieldName : column.Title);
        action->setCheckable(true);
        action->setChecked(column.Visible);
        // A grid keeps at least one column to show, print and export.
        action->setEnabled(!(column.Visible && shown == 1));
        connect(action, &QAction::toggled, m_grid,
                [grid = m_grid, index](bool visible) { grid->setColumnVisible(index, visible); });
    }
}

void GridColumnChooser::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The face of the title cells beside it, and the drop-down sign.
    QLinearGradient face(0, 0, 0, height());
    face.setColorAt(0, isDown() ? QColor(255, 236, 170) : QColor(250, 252, 255));
    face.setColorAt(1, isDown() ? QColor(255, 215, 100) : QColor(210, 226, 246));
    painter.fillRect(rect(), face);
    painter.setPen(QColor(158, 182, 206));
    painter.drawLine(width() - 1, 0, width() - 1, height() - 1);
    painter.drawLine(0, height() - 1, width() - 1, height() - 1);

    // A crisp triangle, rows of 7, 5, 3 and 1 pixels.
    const int centre = (width() - 1) / 2;
    const int top = height() / 2 - 2;
    painter.setPen(underMouse() ? BlueScheme::caption() : QColor(40, 40, 40));
    for (int row = 0; row < 4; ++row)
        painter.drawLine(centre - 3 + row, top + row, centre + 3 - row, top + row);
}
