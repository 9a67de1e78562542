#pragma once

#include "product/ProductFilters.h"

#include <QColor>

class DatePicker;
class FetchLane;
struct GridColumn;

// The period summary page: for a from-date and a to-date, every product that moved up to the end
// of the to-date with its quantity on hand before the period, what it received and shipped in
// the period (quantities and amounts) and its quantity on hand at the period's end.
class StockSummaryPage {
public:
    StockSummaryPage(DatePicker* from, DatePicker* to, const ProductFilterControls& controls);

    // Dates to the current month, filters emptied, the summary of every product listed: in the
    // background on the lane when given, else at once. The filter boxes are left to
    // InitializeFilters().
    void Initialize(FetchLane* lane = nullptr);
    void InitializeFilters();
    // Lists the summary of the page's dates for the products that meet the filter fragment; a
    // from-date after the to-date is refused with a message and leaves the list as it was.
    void List(const QString& fragment);
    // The query button: the page's dates, name and model.
    void QueryButtonClick();
    void ModelDropDown();
    void NameDropDown();
    // The summary as last listed (its dates, its filters), again.
    void Relist();
    // The quantities on hand (opening and closing) in blue, or red when below zero; other
    // columns keep `color`.
    void CellColor(const GridColumn& column, int row, QColor& color) const;

private:
    DatePicker* m_from;
    DatePicker* m_to;
    ProductFilterControls m_controls;
};
