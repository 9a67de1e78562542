#pragma once

class DataGrid;
class QRect;
struct GridColumn;

// The two behaviours that every data grid of the main window shares.

// A click on a column title: advances the column's sort marker (none → ascending → descending
// → none) and re-orders the grid's fetched rows to match, keeping the current record. A click
// that cannot sort (no open dataset, no field of the column's name) does nothing. The wait
// cursor is shown while the rows are re-ordered.
void SortGridByTitle(DataGrid* grid, GridColumn* column);

// Draws one data cell on a background that alternates with the record number of its row, or on
// the selection colour for the selected row, keeping the text colour the grid prepared.
void PaintGridRow(DataGrid* grid, const QRect& rect, int dataCol, const GridColumn& column,
                  bool selected);
