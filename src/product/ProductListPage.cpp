#include "product/ProductListPage.h"

#include "data/Query.h"
#include "product/ProductEditorUnit.h"
#include "product/ProductLists.h"
#include "product/ProductStatements.h"

#include <QComboBox>

ProductListPage::ProductListPage(const ProductFilterControls& controls, TProductEditorfrm* editor)
    : m_controls(controls), m_editor(editor) {}

void ProductListPage::Initialize(FetchLane* lane) {
    ClearProductFilters(m_controls);
    if (lane)
        FillList(m_controls, PageStatement(m_controls, ProductList()), *lane);
    else
        List(QString());
}

void ProductListPage::InitializeFilters() {
    InitializeProductFilters(m_controls);
}

void ProductListPage::List(const QString& fragment) {
    RunList(m_controls, PageStatement(m_controls, ProductList(fragment)));
}

void ProductListPage::QueryButtonClick() {
    List(ProductFilterFragment(m_controls.name->currentText(), m_controls.model->currentText()));
}

void ProductListPage::ModelDropDown() {
    RefillModelList(m_controls);
}

void ProductListPage::NameDropDown() {
    RefillNameList(m_controls);
}

bool ProductListPage::EditCurrentProduct() {
    const Query& products = *m_controls.query;
    if (!products.Active() || products.RecordCount() == 0)
        return false;
    m_editor->RecordIndex = static_cast<qint32>(products.AsInteger(QStringLiteral("ProductIndex")));
    if (m_editor->exec() != QDialog::Accepted)
        return false;
    List(QString());
    return true;
}
