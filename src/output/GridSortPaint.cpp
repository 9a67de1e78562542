#include "output/GridSortPaint.h"

#include "data/Query.h"
#include "widgets/DataGrid.h"
#include "widgets/ScreenColors.h"

#include <QApplication>

namespace {

// Shows the wait cursor for its lifetime, whichever way the scope is left.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// The field a column sorts by; empty when the grid's dataset cannot be sorted by it. Every
// field of our datasets is plain data from the statement's result (no looked-up, calculated or
// large-object fields), so the column's own field name is the key whenever the result has it.
QString SortKey(const DataGrid& grid, const GridColumn& column) {
    const Query* query = grid.dataSet();
    if (!query || !query->Active() || column.FieldName.isEmpty() ||
        !query->HasField(column.FieldName))
        return QString();
    return column.FieldName;
}

struct SortStep {
    SortMarker marker;
    QString sort;
};

// The cycle of one title: none → ascending → descending → the statement's own order.
SortStep NextSortStep(SortMarker current, const QString& key) {
    switch (current) {
    case SortMarker::smNoneEh:
        return {SortMarker::smUpEh, key};
    case SortMarker::smUpEh:
        return {SortMarker::smDownEh, key + QStringLiteral(" DESC")};
    case SortMarker::smDownEh:
        break;
    }
    return {SortMarker::smNoneEh, QString()};
}

QColor RowBackground(int recNo, bool selected) {
    if (selected)
        return ColorToQColor(clActiveCaption);
    // Record -1 (no row) counts as odd.
    return ColorToQColor(recNo > 0 && recNo % 2 == 0 ? clInfoBk : clInactiveCaptionText);
}

} // namespace

void SortGridByTitle(DataGrid* grid, GridColumn* column) {
    const WaitCursor wait;
    if (!grid || !column)
        return;
    const QString key = SortKey(*grid, *column);
    if (key.isEmpty())
        return;
    const SortStep step = NextSortStep(column->Marker, key);
    // The marker first: a sort that fails leaves the title showing the step that was asked for.
    grid->setSortMarker(column, step.marker);
    grid->dataSet()->SetSort(step.sort);
}

void PaintGridRow(DataGrid* grid, const QRect& rect, int dataCol, const GridColumn& column,
                  bool selected) {
    grid->Canvas().setBrushColor(RowBackground(grid->DrawingRecNo(), selected));
    grid->DefaultDrawColumnCell(rect, dataCol, column, selected);
}
