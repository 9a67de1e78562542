#include "stock/StockQuantityColor.h"

#include "data/Query.h"
#include "lists/GridColumn.h"
#include "widgets/ScreenColors.h"

void PaintQuantityOnHand(const Query& query, const GridColumn& column, int row, QColor& color) {
    const int field = query.FieldIndex(column.FieldName);
    if (field < 0 || row < 0 || row >= query.RowsReady())
        return;
    color = ColorToQColor(query.FloatAt(row, field) >= 0 ? clBlue : clRed);
}
