#pragma once

#include "lists/GridColumn.h"

#include <QHeaderView>

// The title row of a DataGrid: centred titles that act as buttons, with the column's sort
// marker drawn at the right edge of its title. The marker has room of its own: a title moves
// left of it, and is shortened with "…" when the section is too narrow for both.
class GridTitleHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit GridTitleHeader(QWidget* parent = nullptr);

    // How a section is drawn, in the header's viewport coordinates.
    struct TitleLayout {
        QString text;     // the title as shown
        QRect textRect;   // the shown title's bounds
        QRect markerRect; // the sort marker's bounds; empty without a marker
        SortMarker marker = SortMarker::smNoneEh;
    };
    TitleLayout titleLayout(int logicalIndex) const;
    // The narrowest section that shows the title whole, beside its sort marker when it has one.
    int fittingWidth(int logicalIndex) const;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    bool viewportEvent(QEvent* event) override; // a shortened title's whole text as tooltip

private:
    TitleLayout layoutSection(const QRect& rect, int logicalIndex) const;
};

// The row indicator column: a narrow strip left of the rows that marks the current row.
class RowIndicatorHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit RowIndicatorHeader(QWidget* parent = nullptr);

    static constexpr int IndicatorWidth = 12;

    void setCurrentRow(int row);
    int currentRow() const { return m_currentRow; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    QSize sizeHint() const override;

private:
    int m_currentRow = -1;
};
