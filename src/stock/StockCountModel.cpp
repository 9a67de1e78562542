#include "stock/StockCountModel.h"

#include "lists/Colors.h"
#include "widgets/ScreenColors.h"

StockCountModel::StockCountModel(QObject* parent) : QAbstractTableModel(parent) {}

void StockCountModel::setSheet(const Query* query, std::vector<GridColumn> columns) {
    beginResetModel();
    m_table = std::make_unique<ListTable>(query, std::move(columns));
    m_counts.assign(m_table->rowCount(), QString());
    endResetModel();
}

void StockCountModel::setCountText(int row, const QString& text) {
    m_counts[row] = text.trimmed();
    const QModelIndex cell = index(row, countColumn());
    emit dataChanged(cell, cell);
}

int StockCountModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_table ? 0 : m_table->rowCount();
}

int StockCountModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_table ? 0 : m_table->columnCount();
}

QVariant StockCountModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const bool count = index.column() == countColumn();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return count ? m_counts[index.row()] : m_table->cellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    case Qt::ForegroundRole:
        return ColorToQColor(m_table->columns()[index.column()].FontColor);
    case Qt::BackgroundRole:
        if (count)
            return ColorToQColor(clInfoBk);
        return {};
    default:
        return {};
    }
}

bool StockCountModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || index.column() != countColumn())
        return false;
    setCountText(index.row(), value.toString());
    return true;
}

Qt::ItemFlags StockCountModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == countColumn())
        flags |= Qt::ItemIsEditable;
    return flags;
}

QVariant StockCountModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || !m_table)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal)
        return m_table->columns()[section].Title;
    return section + 1;
}
