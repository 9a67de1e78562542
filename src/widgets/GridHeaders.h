#pragma once

#include <QHeaderView>

// The title row of a DataGrid: centred titles that act as buttons, with the column's sort
// marker drawn at the right edge of its title.
class GridTitleHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit GridTitleHeader(QWidget* parent = nullptr);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
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
