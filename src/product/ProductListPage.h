#pragma once

#include "product/ProductFilters.h"

class TProductEditorfrm;

// The product list of the administration page: the catalogue, narrowed by name and model, with
// the number of listed products under the first column.
class ProductListPage {
public:
    ProductListPage(const ProductFilterControls& controls, TProductEditorfrm* editor);

    // Filters to "所有", every product listed.
    // Given a lane, the list is fetched on it in the background.
    // Lists the page: in the background on the lane, else at once. The filter boxes are left to
    // InitializeFilters().
    void Initialize(FetchLane* lane = nullptr);
    void InitializeFilters();
    // Lists the products that meet the filter fragment.
    void List(const QString& fragment);
    // The query button: the name and model filters.
    void QueryButtonClick();
    void ModelDropDown();
    void NameDropDown();
    // Opens the editor for the current product; after a save every product is listed again,
    // while the filter boxes keep their texts. Nothing happens on an empty or closed list.
    // True when a product was saved.
    bool EditCurrentProduct();

private:
    ProductFilterControls m_controls;
    TProductEditorfrm* m_editor;
};
