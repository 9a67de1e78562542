#include "ProductFilters.h"

#include "ControlOps.h"
#include "DataGrid.h"
#include "ProductStatements.h"
#include "ShareDMUnit.h"

#include <QComboBox>

void InitializeProductFilters(const ProductFilterControls& controls) {
    FillDistinctCombo(controls.name, QStringLiteral("Product"), QStringLiteral("ProductName"),
                      QString(), true, AllItems);
    RefillModelList(controls);
}

void RefillModelList(const ProductFilterControls& controls) {
    FillDistinctCombo(controls.model, QStringLiteral("Product"), QStringLiteral("ProductType"),
                      ModelListFragment(controls.name->currentText()), true, AllItems);
}

void PrefetchList(const ProductFilterControls& controls, const QString& statement) {
    controls.query->SQL() = QStringList{statement};
    controls.query->Prefetch();
}

void RunList(const ProductFilterControls& controls, const QString& statement) {
    OpenSQL(*controls.query, statement);
    controls.grid->setFooterText(0, RowCountText(controls.query->RecordCount()));
}
