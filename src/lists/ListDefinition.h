#pragma once

#include "data/SqlDialect.h"
#include "lists/GridColumn.h"

#include <QString>
#include <vector>

// One page's list, defined once: its statement (with the page's filters in it), its columns
// (titles, widths, display formats and footers) and the names its report goes by. The page's
// grid, its printed report, its workbook and `varnholt-db` are all made from it.
struct ListDefinition {
    QString statement;
    std::vector<GridColumn> columns;
    QString title;   // the report's title and the workbook's proposed name, e.g. "入库列表"
    QString query;   // the page's query, e.g. "ADOQueryStoreIn"; the report's fields name it
    QString dataSet; // the report's data source, e.g. "frDBDataSet1"
    // The order in which the file's plan for `statement` yields the rows (e.g. "StoreIndex" for
    // an unfiltered movement list, read in entry order). The file's statement names no order: its
    // plan gives this one at no cost. The server's plans (hashing) give another, so the server's
    // statement asks for this one, and a list reads the same on both engines.
    QString order;

    // The statement as the engine `target` runs it.
    QString statementOn(SqlTarget target) const {
        if (target == SqlTarget::File || order.isEmpty())
            return statement;
        return statement + QStringLiteral(" order by ") + order;
    }
};
