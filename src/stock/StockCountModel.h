#pragma once

#include "lists/ListTable.h"

#include <QAbstractTableModel>
#include <QString>
#include <memory>
#include <vector>

class Query;

// The rows of the stocktaking dialog: the count sheet's columns over its query (shown as the
// list shows them), the last one, "实盘数量", editable. A count is kept as typed; the dialog reads
// it when the stocktaking is recorded.
class StockCountModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit StockCountModel(QObject* parent = nullptr);

    // The sheet's query (open) and columns; every count empty.
    void setSheet(const Query* query, std::vector<GridColumn> columns);
    const ListTable* table() const { return m_table.get(); }
    int countColumn() const { return columnCount() - 1; }

    // The count typed in a row, as typed; empty when none.
    QString countText(int row) const { return m_counts[row]; }
    void setCountText(int row, const QString& text);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::unique_ptr<ListTable> m_table;
    std::vector<QString> m_counts;
};
