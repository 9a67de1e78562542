#pragma once

#include "stock/StockMovementPage.h"

#include <QColor>
#include <optional>

class QCheckBox;
struct GridColumn;

// The stock balance page: for a cut-off date, every product that moved up to that day with its
// totals received and shipped and the quantity on hand, recomputed from the movements. A
// product whose quantity on hand is below its minimum is painted amber; with the box
// `belowMinimum` checked the list holds only those products (the statement filters them, so
// footers, print and export agree with the grid).
class StockBalancePage {
public:
    StockBalancePage(DatePicker* cutoff, const ProductFilterControls& controls,
                     QCheckBox* belowMinimum = nullptr);

    // The background of a row below its minimum.
    static const QColor LowStockBackground;

    // Cut-off today, filters to "所有", the balance of every product listed.
    // Given a lane, the list is fetched on it in the background.
    // Lists the page: in the background on the lane, else at once. The filter boxes are left to
    // InitializeFilters().
    void Initialize(FetchLane* lane = nullptr);
    void InitializeFilters();
    // Lists the balance at the cut-off with the filter fragment, and only the products below
    // their minimum while the box is checked.
    void List(const QString& fragment);
    void QueryButtonClick();
    // The filters "查询" would list with now: the name and model boxes and "只看低于下限".
    QString QueryFilters() const;
    void ModelDropDown();
    void NameDropDown();
    // The balance as last listed (its cut-off, its filters), again.
    void Relist();
    // The quantity on hand in blue, or red when it is below zero; other columns keep `color`.
    void CellColor(const GridColumn& column, int row, QColor& color) const;
    // Whether the listed row (0-based, in the grid's order) holds a product below its minimum.
    bool BelowMinimum(int row) const;
    // The background of the row's cells when the page sets it: LowStockBackground for a product
    // below its minimum, unless the row is selected (it keeps the selection's colour); none
    // where the grid's own alternating rows apply.
    std::optional<QColor> RowBackground(int row, bool selected) const;

private:
    QString belowMinimumFilter() const;

    DatePicker* m_cutoff;
    ProductFilterControls m_controls;
    QCheckBox* m_belowMinimum;
};
