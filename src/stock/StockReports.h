#pragma once

#include "StockGridColumns.h"

#include <QString>

// What a stock page prints (its "打印" button, and `varnholt-db print`): the report's title and
// the names by which the report reaches the page's list.
struct StockReportNames {
    QString title;   // "入库列表", "出库列表", "库存信息"
    QString query;   // the page's query, e.g. "ADOQueryStoreIn"
    QString dataSet; // the report's data source, e.g. "frDBDataSet1"
};

StockReportNames MovementReportNames(MovementKind kind);
StockReportNames BalanceReportNames();
