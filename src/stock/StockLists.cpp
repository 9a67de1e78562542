#include "stock/StockLists.h"

#include "lists/GridColumnFactory.h"
#include "product/ProductStatements.h"
#include "stock/StockStatements.h"

namespace {

const QString quantityFormat = QStringLiteral("#,###.00");
const QString amountFormat = QStringLiteral("￥ #,###.00");

std::vector<GridColumn> movementColumns(bool in) {
    return {
        CountedColumn("ProductSerial", QStringLiteral("商品编号"), 80),
        TextColumn("ProductName", QStringLiteral("商品名称"), 120),
        TextColumn("ProductType", QStringLiteral("商品型号"), 120),
        TextColumn("ProductUnit", QStringLiteral("单位"), 60),
        SummedColumn("StoreNumber", in ? QStringLiteral("入库数量") : QStringLiteral("出库数量"),
                     70, quantityFormat, quantityFormat, clFuchsia),
        NumberColumn("StorePrice", QStringLiteral("价格"), 70, quantityFormat),
        SummedColumn("StoreSum", QStringLiteral("金额"), 90, amountFormat, amountFormat, clBlue),
        TextColumn("StoreRecordDate", in ? QStringLiteral("入库时间") : QStringLiteral("出库时间"),
                   100),
        TextColumn("StoreRemark", QStringLiteral("备注"), 250),
    };
}

std::vector<GridColumn> balanceColumns() {
    return {
        CountedColumn("ProductSerial", QStringLiteral("商品编号"), 100),
        TextColumn("ProductName", QStringLiteral("商品名称"), 100),
        TextColumn("ProductType", QStringLiteral("商品型号"), 100),
        TextColumn("ProductUnit", QStringLiteral("单位"), 50),
        SummedColumn("StoreInNumber", QStringLiteral("入库数量"), 80, quantityFormat, QString(),
                     clBlue),
        SummedColumn("StoreOutNumber", QStringLiteral("出库数量"), 80, quantityFormat, QString(),
                     clRed),
        SummedColumn("StoreBalanceNumber", QStringLiteral("当前库存"), 80, quantityFormat,
                     QString(), clFuchsia),
    };
}

// Narrower than the balance's, so that all ten columns fit the page.
std::vector<GridColumn> summaryColumns() {
    return {
        CountedColumn("ProductSerial", QStringLiteral("商品编号"), 70),
        TextColumn("ProductName", QStringLiteral("商品名称"), 90),
        TextColumn("ProductType", QStringLiteral("商品型号"), 80),
        TextColumn("ProductUnit", QStringLiteral("单位"), 40),
        SummedColumn("StoreBeginNumber", QStringLiteral("期初库存"), 70, quantityFormat, QString(),
                     clFuchsia),
        SummedColumn("StorePeriodInNumber", QStringLiteral("本期入库"), 70, quantityFormat,
                     QString(), clBlue),
        SummedColumn("StorePeriodOutNumber", QStringLiteral("本期出库"), 70, quantityFormat,
                     QString(), clRed),
        SummedColumn("StoreEndNumber", QStringLiteral("期末库存"), 70, quantityFormat, QString(),
                     clFuchsia),
        SummedColumn("StorePeriodInSum", QStringLiteral("入库金额"), 80, amountFormat, amountFormat,
                     clBlue),
        SummedColumn("StorePeriodOutSum", QStringLiteral("出库金额"), 80, amountFormat,
                     amountFormat, clRed),
    };
}

// The order of the file's plan for a movement list (see ListDefinition::order): a product name
// leads it through the name index to each product's movements in the balance index (by date and
// quantity); else a date range leads it through the date index; else it reads the table in
// entry order.
QString movementOrder(const QString& filters) {
    if (FiltersByName(filters))
        return NameIndexOrder +
               QStringLiteral(",StoreRecordDate NULLS FIRST,StoreNumber NULLS FIRST,StoreIndex");
    if (filters.startsWith(DateRangeFragment(QDate(), QDate()).section('#', 0, 0)))
        return QStringLiteral("StoreRecordDate,StoreIndex");
    return QStringLiteral("StoreIndex");
}

} // namespace

ListDefinition MovementList(MovementKind kind, const QString& filters) {
    const bool in = kind == MovementKind::StockIn;
    return {MovementListStatement(kind, filters),
            movementColumns(in),
            in ? QStringLiteral("入库列表") : QStringLiteral("出库列表"),
            in ? QStringLiteral("ADOQueryStoreIn") : QStringLiteral("ADOQueryStoreOut"),
            in ? QStringLiteral("frDBDataSet1") : QStringLiteral("frDBDataSet2"),
            movementOrder(filters)};
}

ListDefinition BalanceList(const QDate& cutoff, const QString& filters) {
    return {BalanceStatement(cutoff, filters), balanceColumns(), QStringLiteral("库存信息"),
            QStringLiteral("ADOQueryStore"), QStringLiteral("frDBDataSet3"),
            // The file groups the movements through the balance index, product by product.
            QStringLiteral("t2.StoreProduct")};
}

ListDefinition SummaryList(const QDate& from, const QDate& to, const QString& filters) {
    return {SummaryStatement(from, to, filters), summaryColumns(), QStringLiteral("进销存汇总"),
            QStringLiteral("ADOQuerySummary"), QStringLiteral("frDBDataSet5"),
            // Like the balance, grouped through the balance index product by product.
            QStringLiteral("t2.StoreProduct")};
}

QString MovementFilterFragment(const QDate& from, const QDate& to, const QString& name,
                               const QString& model) {
    return DateRangeFragment(from, to) + ProductFilterFragment(name, model);
}

QString BalanceFilterFragment(const QString& name, const QString& model, bool belowMinimumOnly) {
    return ProductFilterFragment(name, model) +
           (belowMinimumOnly ? BelowMinimumFragment() : QString());
}
