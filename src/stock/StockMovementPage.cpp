#include "stock/StockMovementPage.h"

#include "data/Query.h"
#include "stock/StockLists.h"
#include "stock/StockStatements.h"
#include "stock/StoreEditorUnit.h"
#include "widgets/DatePicker.h"

#include <QComboBox>

StockMovementPage::StockMovementPage(MovementKind kind, DatePicker* from, DatePicker* to,
                                     const ProductFilterControls& controls)
    : m_kind(kind), m_from(from), m_to(to), m_controls(controls) {}

void StockMovementPage::Initialize(FetchLane* lane) {
    const QDate today = QDate::currentDate();
    m_from->setDate(QDate(today.year(), today.month(), 1));
    m_to->setDate(QDate(today.year(), today.month(), today.daysInMonth()));
    ClearProductFilters(m_controls);
    if (lane)
        FillList(m_controls, PageStatement(m_controls, MovementList(m_kind, QString())), *lane);
    else
        List(QString());
}

void StockMovementPage::InitializeFilters() {
    InitializeProductFilters(m_controls);
}

void StockMovementPage::List(const QString& fragment) {
    RunList(m_controls, PageStatement(m_controls, MovementList(m_kind, fragment)));
}

void StockMovementPage::QueryButtonClick() {
    List(MovementFilterFragment(m_from->date(), m_to->date(), m_controls.name->currentText(),
                                m_controls.model->currentText()));
}

void StockMovementPage::ModelDropDown() {
    RefillModelList(m_controls);
}

void StockMovementPage::NameDropDown() {
    RefillNameList(m_controls);
}

void StockMovementPage::Relist() {
    RelistPage(m_controls);
}

bool StockMovementPage::AddMovement(TStoreEditorfrm& editor) {
    editor.EditFlag = false;
    editor.KindFlag = static_cast<int>(m_kind);
    return editor.exec() == QDialog::Accepted;
}

bool StockMovementPage::EditMovement(TStoreEditorfrm& editor) {
    const Query& query = *m_controls.query;
    if (!query.Active() || query.IsEmpty())
        return false;
    editor.EditFlag = true;
    editor.RecordIndex = static_cast<int>(query.AsInteger(QStringLiteral("StoreIndex")));
    // The dialog takes the kind from the stored movement; the page's kind stands only for a
    // movement that is gone by the time the dialog shows it.
    editor.KindFlag = static_cast<int>(m_kind);
    return editor.exec() == QDialog::Accepted;
}
