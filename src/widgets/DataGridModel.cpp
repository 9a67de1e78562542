#include "widgets/DataGridModel.h"

#include "data/Query.h"
#include "lists/ListTable.h"
#include "widgets/ColumnTextWidth.h"

DataGridModel::DataGridModel(QObject* parent)
    : QAbstractTableModel(parent), m_formatter(std::make_unique<ListFormatter>(m_columns)) {}

void DataGridModel::setQuery(Query* query) {
    beginResetModel();
    m_query = query;
    resolveFields();
    computeSums();
    endResetModel();
}

void DataGridModel::setColumns(std::vector<GridColumn> columns) {
    beginResetModel();
    m_columns = std::move(columns);
    resolveFields();
    computeSums();
    endResetModel();
}

void DataGridModel::reload() {
    beginResetModel();
    resolveFields();
    computeSums();
    endResetModel();
}

void DataGridModel::beginAppend(int first, int last) {
    first = m_rowCount;
    if (last <= first)
        return;
    beginInsertRows(QModelIndex(), first, last - 1);
    m_appending = true;
}

void DataGridModel::endAppend() {
    if (m_appending) {
        m_rowCount = m_query->RowsReady();
        m_appending = false;
        endInsertRows();
    }
    computeSums();
}

void DataGridModel::resolveFields() {
    m_formatter = std::make_unique<ListFormatter>(m_columns);
    // Columns are known once the first rows are in (at once, unless it fills in the background).
    const bool open = m_query && m_query->Active() && m_query->FieldCount() > 0;
    m_rowCount = open ? m_query->RowsReady() : 0;
    m_fieldIndex.assign(m_columns.size(), -1);
    if (!open)
        return;
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        m_fieldIndex[i] = m_query->FieldIndex(m_columns[i].FieldName);
}

void DataGridModel::computeSums() {
    if (m_rowCount == 0 || m_query->Filling()) {
        m_sums.assign(m_columns.size(), std::nullopt);
        return;
    }
    m_sums = ListColumnSums(*m_query, m_columns, m_fieldIndex, m_rowCount);
}

QString DataGridModel::cellText(int row, int column) const {
    if (column < 0 || column >= int(m_columns.size()) || row < 0 || row >= m_rowCount)
        return QString();
    const int field = m_fieldIndex[column];
    if (field < 0)
        return QString();
    return m_formatter->text(column, m_query->CellAt(row, field));
}

void DataGridModel::appendCellText(int row, int column, std::string& out) const {
    const int field = m_fieldIndex[column];
    if (field >= 0)
        m_formatter->append(column, m_query->CellAt(row, field), out);
}

std::optional<double> DataGridModel::sum(int column) const {
    if (m_query && m_query->Filling())
        m_query->WaitForFetch(); // the sums come with the whole list
    if (column < 0 || column >= int(m_sums.size()))
        return std::nullopt;
    return m_sums[column];
}

int DataGridModel::widestCellWidth(int column, const QFontMetrics& metrics) const {
    if (!m_query || column < 0 || column >= int(m_columns.size()) || m_rowCount == 0)
        return 0;
    return WidestCellTextWidth(*m_query, m_fieldIndex[column], *m_formatter, column,
                               m_columns[column].DisplayFormat.isEmpty(), metrics);
}

int DataGridModel::fieldIndex(int column) const {
    return column >= 0 && column < int(m_fieldIndex.size()) ? m_fieldIndex[column] : -1;
}

void DataGridModel::notifyHeaderChanged(int first, int last) {
    emit headerDataChanged(Qt::Horizontal, first, last);
}

int DataGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rowCount;
}

int DataGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DataGridModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: // the whole text; the grid shows it where the cell is too narrow
        return cellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    default:
        return QVariant();
    }
}

QVariant DataGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical)
        return QVariant();
    if (section < 0 || section >= int(m_columns.size()))
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return m_columns[section].Title;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    case SortMarkerRole:
        return int(m_columns[section].Marker);
    default:
        return QVariant();
    }
}

Qt::ItemFlags DataGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QString DataGridModel::sumText(int column) const {
    const std::optional<double> total =
        column >= 0 && column < int(m_sums.size()) ? m_sums[column] : std::nullopt;
    if (!total)
        return QString();
    std::string text;
    m_formatter->appendSum(column, *total, text);
    return QString::fromStdString(text);
}
