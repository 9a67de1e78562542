#include "MainGridColumns.h"

namespace {

const QString quantityFormat = QStringLiteral("#,###.00");
const QString amountFormat = QStringLiteral("￥ #,###.00");

GridColumn textColumn(const QString& field, const QString& title, int width) {
    GridColumn column;
    column.FieldName = field;
    column.Title = title;
    column.Width = width;
    return column;
}

// The first column of every list: its footer shows the row count as static text.
GridColumn countedColumn(const QString& field, const QString& title, int width) {
    GridColumn column = textColumn(field, title, width);
    column.Footer = FooterKind::StaticText;
    column.FooterColor = clBlue;
    return column;
}

GridColumn numberColumn(const QString& field, const QString& title, int width,
                        const QString& format) {
    GridColumn column = textColumn(field, title, width);
    column.DisplayFormat = format;
    return column;
}

GridColumn summedColumn(const QString& field, const QString& title, int width,
                        const QString& format, const QString& footerFormat, quint32 footerColor) {
    GridColumn column = numberColumn(field, title, width, format);
    column.Footer = FooterKind::Sum;
    column.FooterFormat = footerFormat;
    column.FooterColor = footerColor;
    return column;
}

} // namespace

std::vector<GridColumn> MovementGridColumns(MovementKind kind) {
    const bool in = kind == MovementKind::StockIn;
    return {
        countedColumn("ProductSerial", QStringLiteral("商品编号"), 80),
        textColumn("ProductName", QStringLiteral("商品名称"), 120),
        textColumn("ProductType", QStringLiteral("商品型号"), 120),
        textColumn("ProductUnit", QStringLiteral("单位"), 60),
        summedColumn("StoreNumber", in ? QStringLiteral("入库数量") : QStringLiteral("出库数量"),
                     70, quantityFormat, quantityFormat, clFuchsia),
        numberColumn("StorePrice", QStringLiteral("价格"), 70, quantityFormat),
        summedColumn("StoreSum", QStringLiteral("金额"), 90, amountFormat, amountFormat, clBlue),
        textColumn("StoreRecordDate", in ? QStringLiteral("入库时间") : QStringLiteral("出库时间"),
                   100),
        textColumn("StoreRemark", QStringLiteral("备注"), 250),
    };
}

std::vector<GridColumn> BalanceGridColumns() {
    return {
        countedColumn("ProductSerial", QStringLiteral("商品编号"), 100),
        textColumn("ProductName", QStringLiteral("商品名称"), 100),
        textColumn("ProductType", QStringLiteral("商品型号"), 100),
        textColumn("ProductUnit", QStringLiteral("单位"), 50),
        summedColumn("StoreInNumber", QStringLiteral("入库数量"), 80, quantityFormat, QString(),
                     clBlue),
        summedColumn("StoreOutNumber", QStringLiteral("出库数量"), 80, quantityFormat, QString(),
                     clRed),
        summedColumn("StoreBalanceNumber", QStringLiteral("当前库存"), 80, quantityFormat,
                     QString(), clFuchsia),
    };
}

std::vector<GridColumn> ProductGridColumns() {
    return {
        countedColumn("ProductSerial", QStringLiteral("商品编号"), 100),
        textColumn("ProductName", QStringLiteral("商品名称"), 150),
        textColumn("ProductType", QStringLiteral("商品型号"), 150),
        textColumn("ProductUnit", QStringLiteral("单位"), 50),
    };
}
