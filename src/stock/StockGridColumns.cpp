#include "StockGridColumns.h"

#include "GridColumnFactory.h"

namespace {

const QString quantityFormat = QStringLiteral("#,###.00");
const QString amountFormat = QStringLiteral("￥ #,###.00");

} // namespace

std::vector<GridColumn> MovementGridColumns(MovementKind kind) {
    const bool in = kind == MovementKind::StockIn;
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

std::vector<GridColumn> BalanceGridColumns() {
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
