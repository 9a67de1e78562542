#include "StockListing.h"

#include "DataGridModel.h"
#include "StockStatements.h"

std::vector<QStringList> ListingRows(Query& query, const std::vector<GridColumn>& columns) {
    DataGridModel model;
    model.setColumns(columns);
    model.setQuery(&query);
    model.reload();
    const int columnCount = static_cast<int>(columns.size());

    std::vector<QStringList> rows;
    rows.reserve(static_cast<std::size_t>(model.rowCount()) + 2);
    QStringList line;
    for (const GridColumn& column : columns)
        line << column.Title;
    rows.push_back(line);
    for (int row = 0; row < model.rowCount(); ++row) {
        line.clear();
        for (int c = 0; c < columnCount; ++c)
            line << model.cellText(row, c);
        rows.push_back(line);
    }
    line.clear();
    for (int c = 0; c < columnCount; ++c) {
        switch (columns[c].Footer) {
        case FooterKind::StaticText:
            line << RowCountText(model.rowCount());
            break;
        case FooterKind::Sum:
            line << model.sumText(c);
            break;
        case FooterKind::None:
            line << QString();
            break;
        }
    }
    rows.push_back(line);
    return rows;
}
