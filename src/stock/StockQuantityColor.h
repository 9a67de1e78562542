#pragma once

#include <QColor>

class Query;
struct GridColumn;

// The colour of a quantity on hand in a stock grid: blue, or red when it is below zero. Gives
// `column`'s cell in `row` of `query` that colour; leaves `color` as it is for a row the query
// does not hold (yet).
void PaintQuantityOnHand(const Query& query, const GridColumn& column, int row, QColor& color);
