#include "stock/StockSummaryPage.h"

#include "lists/GridColumn.h"
#include "product/ProductStatements.h"
#include "stock/StockLists.h"
#include "stock/StockQuantityColor.h"
#include "widgets/DatePicker.h"

#include <QComboBox>

StockSummaryPage::StockSummaryPage(DatePicker* from, DatePicker* to,
                                   const ProductFilterControls& controls)
    : m_from(from), m_to(to), m_controls(controls) {}

void StockSummaryPage::Initialize(FetchLane* lane) {
    const QDate today = QDate::currentDate();
    m_from->setDate(QDate(today.year(), today.month(), 1));
    m_to->setDate(QDate(today.year(), today.month(), today.daysInMonth()));
    ClearProductFilters(m_controls);
    if (lane)
        FillList(m_controls, PageStatement(m_controls, SummaryList(m_from->date(), m_to->date())),
                 *lane);
    else
        List(QString());
}

void StockSummaryPage::InitializeFilters() {
    InitializeProductFilters(m_controls);
}

void StockSummaryPage::List(const QString& fragment) {
    RunList(m_controls,
            PageStatement(m_controls, SummaryList(m_from->date(), m_to->date(), fragment)));
}

void StockSummaryPage::QueryButtonClick() {
    List(ProductFilterFragment(m_controls.name->currentText(), m_controls.model->currentText()));
}

void StockSummaryPage::ModelDropDown() {
    RefillModelList(m_controls);
}

void StockSummaryPage::NameDropDown() {
    RefillNameList(m_controls);
}

void StockSummaryPage::Relist() {
    RelistPage(m_controls);
}

void StockSummaryPage::CellColor(const GridColumn& column, int row, QColor& color) const {
    if (column.FieldName == QLatin1String("StoreBeginNumber") ||
        column.FieldName == QLatin1String("StoreEndNumber"))
        PaintQuantityOnHand(*m_controls.query, column, row, color);
}
