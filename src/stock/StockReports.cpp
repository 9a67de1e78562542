#include "StockReports.h"

StockReportNames MovementReportNames(MovementKind kind) {
    if (kind == MovementKind::StockIn)
        return {QStringLiteral("入库列表"), QStringLiteral("ADOQueryStoreIn"),
                QStringLiteral("frDBDataSet1")};
    return {QStringLiteral("出库列表"), QStringLiteral("ADOQueryStoreOut"),
            QStringLiteral("frDBDataSet2")};
}

StockReportNames BalanceReportNames() {
    return {QStringLiteral("库存信息"), QStringLiteral("ADOQueryStore"),
            QStringLiteral("frDBDataSet3")};
}
