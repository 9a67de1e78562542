#pragma once

#include "lists/GridColumn.h"
#include "lists/ListFormatter.h"

#include <QString>
#include <optional>
#include <string>
#include <vector>

class Query;

// "共 N 条", the row count under the first column of every list.
QString RowCountText(int rows);

// The totals of a list's Sum columns over the first `rowCount` rows of the query in its current
// order; empty for the other columns, for a column without a field (-1 in `fieldIndex`) and
// when there is no row.
std::vector<std::optional<double>> ListColumnSums(const Query& query,
                                                  const std::vector<GridColumn>& columns,
                                                  const std::vector<int>& fieldIndex, int rowCount);

// A list's columns over the rows of a query, in the query's current order: the display texts
// of the cells (as the grid shows them) and the footers. What printing reads; the grid's model
// formats its cells the same way (ListFormatter). Reads the query when asked; copies no row.
// Without a query (or over a closed one) the list has no rows.
class ListTable {
public:
    ListTable(const Query* query, std::vector<GridColumn> columns);
    // The same with the Sum columns' totals known already (a grid's footer sums, see
    // ListColumnSums), so that they are not added up again.
    ListTable(const Query* query, std::vector<GridColumn> columns,
              std::vector<std::optional<double>> sums);

    const Query* query() const { return m_query; }
    // The query's object name: the name by which a report's fields reach the list.
    QString queryName() const;
    const std::vector<GridColumn>& columns() const { return m_columns; }
    int columnCount() const { return static_cast<int>(m_columns.size()); }
    int rowCount() const { return m_rowCount; }
    // The query's field position of a column, -1 when the result has no such field.
    int fieldIndex(int column) const { return m_fieldIndex[column]; }

    QString cellText(int row, int column) const;
    // A Sum footer's total over all rows; empty over an empty result or for other columns.
    std::optional<double> sum(int column) const { return m_sums[column]; }
    const std::vector<std::optional<double>>& columnSums() const { return m_sums; }
    // A StaticText footer's text: the row count.
    QString staticFooterText(int column) const;

private:
    const Query* m_query;
    std::vector<GridColumn> m_columns;
    ListFormatter m_formatter;
    std::vector<int> m_fieldIndex;
    std::vector<std::optional<double>> m_sums;
    int m_rowCount = 0;
};
