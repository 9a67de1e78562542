#pragma once

#include <QWidget>

class DataGrid;

// The footer row under a DataGrid's rows: one cell under each visible column, aligned with the
// column and following its width and the horizontal scrolling. Hidden columns leave no gap.
class GridFooter : public QWidget {
    Q_OBJECT
public:
    explicit GridFooter(DataGrid* grid);

    // The cell of a column in footer coordinates (empty for a hidden column).
    QRect cellRect(int column) const;
    // What the footer cell shows: the footer text, or as much of its beginning as fits followed
    // by "…"; the whole text is then the cell's tooltip.
    QString shownText(int column) const;
    // The narrowest cell that shows the column's footer text whole.
    int fittingWidth(int column) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    DataGrid* m_grid;
};
