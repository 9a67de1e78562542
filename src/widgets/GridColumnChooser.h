#pragma once

#include <QAbstractButton>

class DataGrid;
class QMenu;

// The title cell of a grid's row indicator: a button with a drop-down sign that opens a menu of
// the grid's columns, each with a check mark while it is shown. Choosing a column hides or shows
// it; a hidden column takes no room in the rows, the titles and the footer, and is left out of
// printing and export. The last column shown cannot be hidden.
class GridColumnChooser : public QAbstractButton {
    Q_OBJECT
public:
    GridColumnChooser(DataGrid* grid, QWidget* parent);

    // The menu, filled afresh each time it opens.
    QMenu* menu() const { return m_menu; }
    void openMenu();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fillMenu();

    DataGrid* m_grid;
    QMenu* m_menu;
};
