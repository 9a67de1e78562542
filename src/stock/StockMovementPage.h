#pragma once

#include "product/ProductFilters.h"
#include "stock/StockStatements.h"

class DatePicker;
class TStoreEditorfrm;

// One stock movement page (goods received or goods shipped): the two pages are the same design
// with their own controls and movement kind.
class StockMovementPage {
public:
    StockMovementPage(MovementKind kind, DatePicker* from, DatePicker* to,
                      const ProductFilterControls& controls);

    // Dates to the current month, filters to "所有", every movement of the page's kind listed.
    // Sets the filters and lists every row: on `lane` in the background when given.
    // Lists the page: in the background on the lane, else at once. The filter boxes are left to
    // InitializeFilters().
    void Initialize(FetchLane* lane = nullptr);
    void InitializeFilters();
    // Lists the movements of the page's kind that meet the filter fragment.
    void List(const QString& fragment);
    // The query button: the date range, then the name and model filters.
    void QueryButtonClick();
    void ModelDropDown();
    void NameDropDown();
    // The list as last run, again: after a change of the products it shows.
    void Relist();

    // The stock entry dialog for a new movement of the page's kind. True when it closed with OK.
    bool AddMovement(TStoreEditorfrm& editor);
    // The stock entry dialog for the movement in the grid's current row. Does nothing and
    // returns false when the list is closed or empty; else true when it closed with OK.
    bool EditMovement(TStoreEditorfrm& editor);

private:
    MovementKind m_kind;
    DatePicker* m_from;
    DatePicker* m_to;
    ProductFilterControls m_controls;
};
