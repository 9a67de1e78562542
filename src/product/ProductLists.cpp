#include "product/ProductLists.h"

#include "lists/GridColumnFactory.h"
#include "product/ProductStatements.h"

ListDefinition ProductList(const QString& filters) {
    return {ProductListStatement(filters),
            {
                CountedColumn("ProductSerial", QStringLiteral("商品编号"), 100),
                TextColumn("ProductName", QStringLiteral("商品名称"), 150),
                TextColumn("ProductType", QStringLiteral("商品型号"), 150),
                TextColumn("ProductUnit", QStringLiteral("单位"), 50),
                // Empty for a product without a minimum, 0.00 for a minimum of nothing.
                NumberColumn("ProductMinimum", QStringLiteral("库存下限"), 70,
                             QStringLiteral("#,##0.00")),
            },
            QString(),
            QStringLiteral("ADOQueryProduct"),
            QString(),
            // The file reads the table in key order, or a name's products through the name index.
            FiltersByName(filters) ? NameIndexOrder : QStringLiteral("ProductIndex")};
}
