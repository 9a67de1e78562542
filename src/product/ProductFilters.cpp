#include "product/ProductFilters.h"

#include "data/Query.h"
#include "data/ShareDMUnit.h"
#include "lists/ListTable.h"
#include "product/ProductStatements.h"
#include "widgets/ControlOps.h"
#include "widgets/DataGrid.h"

#include <QComboBox>

void InitializeProductFilters(const ProductFilterControls& controls) {
    FillDistinctCombo(*controls.listQuery, controls.name, QStringLiteral("Product"),
                      QStringLiteral("ProductName"), QString(), true, AllItems);
    RefillModelList(controls);
}

void RefillNameList(const ProductFilterControls& controls) {
    const QString typed = controls.name->currentText();
    FillDistinctCombo(*controls.listQuery, controls.name, QStringLiteral("Product"),
                      QStringLiteral("ProductName"), QString(), true, AllItems);
    const int entry = controls.name->findText(typed, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry >= 0)
        controls.name->setCurrentIndex(entry);
    else
        controls.name->setEditText(typed);
}

void RefillModelList(const ProductFilterControls& controls) {
    FillDistinctCombo(*controls.listQuery, controls.model, QStringLiteral("Product"),
                      QStringLiteral("ProductType"),
                      ModelListFragment(controls.name->currentText()), true, AllItems);
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
