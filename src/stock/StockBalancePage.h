#pragma once

#include "stock/StockMovementPage.h"

#include <QColor>

struct GridColumn;

// The stock balance page: for a cut-off date, every product that moved up to that day with its
// totals received and shipped and the quantity on hand, recomputed from the movements.
class StockBalancePage {
public:
    StockBalancePage(DatePicker* cutoff, const ProductFilterControls& controls);

    // Cut-off today, filters to "所有", the balance of every product listed.
    // Given a lane, the list is fetched on it in the background.
    // Lists the page: in the background on the lane, else at once. The filter boxes are left to
    // InitializeFilters().
    void Initialize(FetchLane* lane = nullptr);
    void InitializeFilters();
    void List(const QString& fragment);
    void QueryButtonClick();
    void ModelDropDown();
    void NameDropDown();
    // The balance as last listed (its cut-off, its filters), again.
    void Relist();
    // The quantity on hand in blue, or red when it is below zero; other columns keep `color`.
    void CellColor(const GridColumn& column, int row, QColor& color) const;

private:
    DatePicker* m_cutoff;
    ProductFilterControls m_controls;
};
