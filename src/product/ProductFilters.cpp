#include "product/ProductFilters.h"

#include "data/Connection.h"
#include "data/Query.h"
#include "data/ShareDMUnit.h"
#include "lists/ListDefinition.h"
#include "lists/ListTable.h"
#include "product/ProductStatements.h"
#include "widgets/ControlOps.h"
#include "widgets/DataGrid.h"

#include <QComboBox>

namespace {

// Puts back what a box showed before it was filled again: the same entry, or the text typed.
void RestoreText(QComboBox* combo, const QString& shown) {
    const int entry = combo->findText(shown, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry >= 0)
        combo->setCurrentIndex(entry);
    else
        combo->setEditText(shown);
}

} // namespace

void ClearProductFilters(const ProductFilterControls& controls) {
    controls.name->clear();
    controls.model->clear();
}

// The boxes are filled a moment after the window opens: what a clerk typed meanwhile stays; a
// box still empty shows the first entry (the whole list).
void InitializeProductFilters(const ProductFilterControls& controls) {
    const QString typedName = controls.name->currentText();
    const QString typedModel = controls.model->currentText();
    FillDistinctCombo(*controls.listQuery, controls.name, QStringLiteral("Product"),
                      QStringLiteral("ProductName"), QString(), true, AllItems);
    if (!typedName.isEmpty())
        RestoreText(controls.name, typedName);
    RefillModelList(controls);
    if (!typedModel.isEmpty())
        RestoreText(controls.model, typedModel);
}

void RefillNameList(const ProductFilterControls& controls) {
    const QString typed = controls.name->currentText();
    FillDistinctCombo(*controls.listQuery, controls.name, QStringLiteral("Product"),
                      QStringLiteral("ProductName"), QString(), true, AllItems);
    RestoreText(controls.name, typed);
}

void RefillModelList(const ProductFilterControls& controls) {
    FillDistinctCombo(*controls.listQuery, controls.model, QStringLiteral("Product"),
                      QStringLiteral("ProductType"),
                      ModelListFragment(controls.name->currentText()), true, AllItems);
}

QString PageStatement(const ProductFilterControls& controls, const ListDefinition& list) {
    const Connection* connection = controls.query->connection();
    return list.statementOn(connection ? connection->sqlTarget() : SqlTarget::File);
}

void FillList(const ProductFilterControls& controls, const QString& statement, FetchLane& lane) {
    Query& query = *controls.query;
    DataGrid* grid = controls.grid;
    query.SQL() = QStringList{statement};
    query.OpenInBackground(lane);
    grid->setFooterText(0, QStringLiteral("正在统计…"));
    QObject::connect(
        &query, &Query::fillFinished, grid,
        [grid, &query] { grid->setFooterText(0, RowCountText(query.RowsReady())); },
        Qt::SingleShotConnection);
}

void RelistPage(const ProductFilterControls& controls) {
    Query& query = *controls.query;
    if (!query.Active() || query.SQL().isEmpty())
        return;
    const QString statement = query.SQL().first();
    const QString order = query.Sort();
    RunList(controls, statement);
    if (!order.isEmpty())
        query.SetSort(order);
}

void RunList(const ProductFilterControls& controls, const QString& statement) {
    OpenSQL(*controls.query, statement);
    controls.grid->setFooterText(0, RowCountText(controls.query->RecordCount()));
}
