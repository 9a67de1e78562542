#include "stock/StockBalancePage.h"

#include "data/Query.h"
#include "product/ProductStatements.h"
#include "stock/StockLists.h"
#include "stock/StockQuantityColor.h"
#include "widgets/DataGrid.h"
#include "widgets/DatePicker.h"
#include "widgets/ScreenColors.h"

#include <QComboBox>

StockBalancePage::StockBalancePage(DatePicker* cutoff, const ProductFilterControls& controls)
    : m_cutoff(cutoff), m_controls(controls) {}

void StockBalancePage::Initialize(FetchLane* lane) {
    m_cutoff->setDate(QDate::currentDate());
    ClearProductFilters(m_controls);
    if (lane)
        FillList(m_controls, PageStatement(m_controls, BalanceList(QDate::currentDate())), *lane);
    else
        List(QString());
}

void StockBalancePage::InitializeFilters() {
    InitializeProductFilters(m_controls);
}

void StockBalancePage::List(const QString& fragment) {
    RunList(m_controls, PageStatement(m_controls, BalanceList(m_cutoff->date(), fragment)));
}

void StockBalancePage::QueryButtonClick() {
    List(ProductFilterFragment(m_controls.name->currentText(), m_controls.model->currentText()));
}

void StockBalancePage::ModelDropDown() {
    RefillModelList(m_controls);
}

void StockBalancePage::NameDropDown() {
    RefillNameList(m_controls);
}

void StockBalancePage::Relist() {
    RelistPage(m_controls);
}

void StockBalancePage::CellColor(const GridColumn& column, int row, QColor& color) const {
    if (column.FieldName == QLatin1String("StoreBalanceNumber"))
        PaintQuantityOnHand(*m_controls.query, column, row, color);
}
