#include "stock/StockBalancePage.h"

#include "data/Query.h"
#include "product/ProductStatements.h"
#include "stock/StockLists.h"
#include "stock/StockQuantityColor.h"
#include "widgets/DataGrid.h"
#include "widgets/DatePicker.h"
#include "widgets/ScreenColors.h"

#include <QCheckBox>
#include <QComboBox>

// Amber, light enough for the balance's blue and red figures to stay readable on it.
const QColor StockBalancePage::LowStockBackground = QColor(0xFF, 0xCC, 0x5C);

StockBalancePage::StockBalancePage(DatePicker* cutoff, const ProductFilterControls& controls,
                                   QCheckBox* belowMinimum)
    : m_cutoff(cutoff), m_controls(controls), m_belowMinimum(belowMinimum) {}

void StockBalancePage::Initialize(FetchLane* lane) {
    m_cutoff->setDate(QDate::currentDate());
    ClearProductFilters(m_controls);
    if (m_belowMinimum)
        m_belowMinimum->setChecked(false);
    if (lane)
        FillList(m_controls, PageStatement(m_controls, BalanceList(QDate::currentDate())), *lane);
    else
        List(QString());
}

void StockBalancePage::InitializeFilters() {
    InitializeProductFilters(m_controls);
}

void StockBalancePage::List(const QString& fragment) {
    RunList(m_controls, PageStatement(m_controls, BalanceList(m_cutoff->date(),
                                                              fragment + belowMinimumFilter())));
}

QString StockBalancePage::belowMinimumFilter() const {
    return m_belowMinimum && m_belowMinimum->isChecked() ? BelowMinimumFragment() : QString();
}

void StockBalancePage::QueryButtonClick() {
    List(ProductFilterFragment(m_controls.name->currentText(), m_controls.model->currentText()));
}

QString StockBalancePage::QueryFilters() const {
    return BalanceFilterFragment(m_controls.name->currentText(), m_controls.model->currentText(),
                                 m_belowMinimum && m_belowMinimum->isChecked());
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

bool StockBalancePage::BelowMinimum(int row) const {
    const Query& query = *m_controls.query;
    const int field = query.FieldIndex(QStringLiteral("StoreBelowMinimum"));
    return field >= 0 && row >= 0 && row < query.RowsReady() && query.IntegerAt(row, field) != 0;
}

std::optional<QColor> StockBalancePage::RowBackground(int row, bool selected) const {
    if (!selected && BelowMinimum(row))
        return LowStockBackground;
    return std::nullopt;
}
