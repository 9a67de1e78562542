#pragma once

#include <QWidget>

class DataGrid;

// The footer row under a DataGrid's rows: one cell under each visible column, aligned with the
// column and following its width and the horizontal scrolling.
class GridFooter : public QWidget {
    Q_OBJECT
public:
    explicit GridFooter(DataGrid* grid);

    // The cell of a column in footer coordinates (empty for a hidden column).
    QRect cellRect(int column) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    DataGrid* m_grid;
};
