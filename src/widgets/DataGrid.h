#pragma once

#include "lists/GridColumn.h"
#include "widgets/GridCanvas.h"

#include <QFrame>
#include <QHash>
#include <functional>
#include <optional>
#include <vector>

class Query;
class QScrollBar;
class QTableView;
class DataGridModel;
class GridColumnChooser;
class GridFooter;
class RowIndicatorHeader;

// A display-only grid over a Query: title buttons with sort markers, whole-row selection kept
// in step with the query's current record, centred cells through the columns' display
// formats, and one footer row with static texts and sums over all rows of the result. The row
// indicator's title cell opens a menu where the user hides and shows columns.
class DataGrid : public QFrame {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);
    ~DataGrid() override;

    // The dataset whose rows the grid shows; null unbinds.
    void setDataSet(Query* query);
    Query* dataSet() const { return m_query; }

    void setColumns(std::vector<GridColumn> columns);
    int columnCount() const;
    GridColumn& column(int index);
    const GridColumn& column(int index) const;
    const std::vector<GridColumn>& columns() const;
    int columnIndexOf(const GridColumn* column) const; // -1 when not a column of this grid

    void setColumnWidth(int index, int width);
    // The narrowest width at which the column shows its widest value over all rows, its footer
    // and its title whole. A double-click on the border right of a title sets it; dragging the
    // border sets any width.
    int fittingColumnWidth(int index) const;
    void fitColumnWidth(int index);
    void setColumnVisible(int index, bool visible);

    // Up or Down on one column clears the markers of all others.
    void setSortMarker(int index, SortMarker marker);
    void setSortMarker(const GridColumn* column, SortMarker marker);
    SortMarker sortMarker(int index) const;

    // Footer: the static text of a StaticText column, the formatted sum of a Sum column (empty
    // over a closed or empty result), nothing for the others.
    void setFooterText(int index, const QString& text);
    QString footerText(int index) const;
    QString footerStaticText(int index) const;
    std::optional<double> footerValue(int index) const; // the sum of a Sum column

    // Display text of a cell; row 0-based in the dataset's current order.
    QString cellText(int row, int index) const;
    // What the cell shows at its column's width: the display text, or as much of its beginning
    // as fits followed by "…"; the whole text is then the cell's tooltip. Never cut at both ends.
    QString shownCellText(int row, int index) const;
    int currentRow() const; // 0-based, -1 without rows
    int rowHeight() const;

    // Cell painting. OnGetCellParams may change the text colour of the cell about to be drawn.
    // OnDrawColumnCell, when set, draws each cell instead of the grid: it sets the background
    // with Canvas().setBrushColor() and calls DefaultDrawColumnCell(). While either hook runs,
    // DrawingRecNo() is the 1-based record number of the row being drawn.
    std::function<void(DataGrid*, const GridColumn&, int row, QColor& textColor)> OnGetCellParams;
    std::function<void(DataGrid*, const QRect&, int dataCol, const GridColumn&, bool selected)>
        OnDrawColumnCell;
    GridCanvas& Canvas() { return m_canvas; }
    void DefaultDrawColumnCell(const QRect& rect, int dataCol, const GridColumn& column,
                               bool selected);
    // The row being drawn, else the dataset's current record; -1 without one.
    int DrawingRecNo() const;

    QTableView* view() const { return m_view; }
    GridFooter* footer() const { return m_footer; }
    DataGridModel* model() const { return m_model; }

    // The button in the row indicator's title cell that opens the column chooser.
    GridColumnChooser* columnChooser() const { return m_chooser; }

    // Called by the cell delegate.
    void paintCell(QPainter* painter, const QRect& rect, int row, int dataCol, bool selected);

    // The font of the grid's cells, titles and footer: the program's Chinese font at 11 pixels,
    // a pixel below the window's, at which the layout's column widths fit common values (dates,
    // amounts up to 999,999.99, codes of ten characters). Set on the painter itself, since the
    // style sheets of the grid's parts keep them from taking a font from their parent.
    static constexpr int FontPixelSize = 11;
    static QFont textFont();

signals:
    void titleBtnClick(int col, GridColumn* column);
    void doubleClicked();
    // Enter or Return on the rows: the keyboard's way to open the current row.
    void enterPressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void reload();
    void applyColumnLayout();
    void selectRecord(int recNo);
    void viewRowChanged(int row);
    void datasetMoved(int recNo);
    void mirrorScrollRange();

    Query* m_query = nullptr;
    DataGridModel* m_model;
    QTableView* m_view;
    RowIndicatorHeader* m_indicator;
    GridFooter* m_footer;
    GridColumnChooser* m_chooser;
    QScrollBar* m_scrollBar;
    QHash<int, QString> m_staticFooters;
    GridCanvas m_canvas;
    int m_drawingRow = -1;
    bool m_syncing = false;
    bool m_scrollBarPending = false;
    std::vector<QMetaObject::Connection> m_queryConnections;
};
