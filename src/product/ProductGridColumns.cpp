#include "ProductGridColumns.h"

#include "GridColumnFactory.h"

std::vector<GridColumn> ProductGridColumns() {
    return {
        CountedColumn("ProductSerial", QStringLiteral("商品编号"), 100),
        TextColumn("ProductName", QStringLiteral("商品名称"), 150),
        TextColumn("ProductType", QStringLiteral("商品型号"), 150),
        TextColumn("ProductUnit", QStringLiteral("单位"), 50),
    };
}
