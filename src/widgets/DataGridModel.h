#pragma once

#include "lists/GridColumn.h"
#include "lists/ListFormatter.h"

#include <QAbstractTableModel>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Query;
class QFontMetrics;

// The table model of a DataGrid: one row per record of the query in its current order, one
// column per GridColumn. Cells are read from the query when asked for; nothing is copied.
class DataGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Header data role with the column's SortMarker as an int.
    static constexpr int SortMarkerRole = Qt::UserRole + 1;

    explicit DataGridModel(QObject* parent = nullptr);

    void setQuery(Query* query);
    Query* query() const { return m_query; }

    void setColumns(std::vector<GridColumn> columns);
    std::vector<GridColumn>& columns() { return m_columns; }
    const std::vector<GridColumn>& columns() const { return m_columns; }

    // Re-reads the query: row count, field positions and footer sums. While the query is
    // filling, the model holds the rows that are in and no sums.
    void reload();
    // The query's background fetch completes with rows [first, last) after those held: they are
    // inserted (the view keeps its scroll position and current row) and the sums computed.
    void beginAppend(int first, int last);
    void endAppend();

    // The display text of a cell (row 0-based in the query's current order).
    QString cellText(int row, int column) const;
    // The same as UTF-8, appended to `out` without allocating once it has room: the way to
    // format every row of a list (printing, export). Row and column must be valid.
    void appendCellText(int row, int column, std::string& out) const;
    // Sum over all rows for a Sum footer; empty over a closed or empty result. Waits for a list
    // still being filled.
    std::optional<double> sum(int column) const;
    // A Sum footer's text: the sum through the footer format, or the cell format when the
    // column has none; empty over a closed or empty result, and while the list is filling.
    QString sumText(int column) const;
    // The width in pixels of the column's widest display text over all rows (see
    // WidestCellTextWidth); 0 over a closed or empty result.
    int widestCellWidth(int column, const QFontMetrics& metrics) const;
    // The query's field position of a column, -1 when the result has no such field.
    int fieldIndex(int column) const;

    void notifyHeaderChanged(int first, int last);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void resolveFields();
    void computeSums();

    Query* m_query = nullptr;
    std::vector<GridColumn> m_columns;
    std::vector<int> m_fieldIndex;
    std::vector<std::optional<double>> m_sums;
    std::unique_ptr<ListFormatter> m_formatter;
    int m_rowCount = 0;
    bool m_appending = false;
};
