#include "stock/CountSheet.h"

#include "lists/GridColumnFactory.h"
#include "stock/StockLists.h"
#include "stock/StockStatements.h"

const QString CountedField = QStringLiteral("StockCountedNumber");

ListDefinition CountSheetList(const QDate& cutoff, const QString& filters) {
    ListDefinition list = BalanceList(cutoff, filters);
    list.columns = {
        CountedColumn("ProductSerial", QStringLiteral("商品编号"), 100),
        TextColumn("ProductName", QStringLiteral("商品名称"), 140),
        TextColumn("ProductType", QStringLiteral("商品型号"), 110),
        TextColumn("ProductUnit", QStringLiteral("单位"), 50),
        NumberColumn("StoreBalanceNumber", QStringLiteral("当前库存"), 90,
                     QStringLiteral("#,##0.00")),
        TextColumn(CountedField, QStringLiteral("实盘数量"), 120),
    };
    list.title =
        QStringLiteral("盘点表（截止日期 %1）").arg(cutoff.toString(QStringLiteral("yyyy-MM-dd")));
    list.query = QStringLiteral("ADOQueryStocktaking");
    list.dataSet = QStringLiteral("frDBDataSetStocktaking");
    return list;
}
